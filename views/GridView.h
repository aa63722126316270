// The grid view: a vertical profile of the 40 degrees ahead, relative
// bearing across and altitude difference up and down, with a sweep that
// scans left and right.
#pragma once

#include "gauge/RadarView.h"

namespace quillon {

class GridView final : public RadarView {
public:
    ViewOrigin origin() const override { return kGridOrigin; }
    // Its ten lines do not depend on the range.
    bool fixedPartShowsRange() const override { return false; }
    void drawFixedPart(render::Graphics& graphics, const render::ColourScheme& scheme, float rangeNm) const override;
    void drawLivePart(LiveFrame& frame) override;
};

}  // namespace quillon
