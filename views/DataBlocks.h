// The selected target's data block: the compact form of the circular gauges
// (distance at the top, altitude or ground speed at the bottom) and the full
// form of the rectangular gauges (seven texts in the four corners).
#pragma once

#include "gauge/RadarView.h"

namespace quillon {

class FullDataBlock final : public DataBlock {
public:
    void layOut(const render::ColourScheme& scheme, const SelectedTarget& selected,
                render::TextBlock& block) const override;
};

class CompactDataBlock final : public DataBlock {
public:
    void layOut(const render::ColourScheme& scheme, const SelectedTarget& selected,
                render::TextBlock& block) const override;
};

}  // namespace quillon
