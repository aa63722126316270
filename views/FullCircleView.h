// The full-circle view: range rings with labels, spokes, the turning sweep
// and every target of the list around the own aircraft at the centre.
#pragma once

#include "gauge/RadarView.h"

namespace quillon {

class FullCircleView final : public RadarView {
public:
    ViewOrigin origin() const override { return kFullCircleOrigin; }
    bool fixedPartShowsRange() const override { return true; }
    void drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float rangeNm) const override;
    void drawLivePart(LiveFrame& frame) override;
};

}  // namespace quillon
