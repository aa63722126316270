// The forward-arc view: the 120 degrees ahead as a fan of range arcs with
// the own aircraft at the bottom centre, and a sweep that swings between the
// sector's edges.
#pragma once

#include "gauge/RadarView.h"

namespace quillon {

class ForwardArcView final : public RadarView {
public:
    ViewOrigin origin() const override { return kForwardArcOrigin; }
    bool fixedPartShowsRange() const override { return true; }
    void drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float rangeNm) const override;
    void drawLivePart(LiveFrame& frame) override;
};

}  // namespace quillon
