// The selected target's data block: the compact form of the circular gauges
// (distance at the top, altitude or ground speed at the bottom) and the full
// form of the rectangular gauges (seven texts in the four corners).
#pragma once

#include "gauge/RadarView.h"

namespace quillon {

class FullDataBlock final : public DataBlock {
public:
    void draw(render::Graphics& graphics, const render::ColourScheme& scheme,
              const SelectedTarget& selected) const override;
};

class CompactDataBlock final : public DataBlock {
public:
    void draw(render::Graphics& graphics, const render::ColourScheme& scheme,
              const SelectedTarget& selected) const override;
};

}  // namespace quillon
