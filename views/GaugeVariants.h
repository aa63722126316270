// The four gauge variants: the radar gauge with the three views and the
// data block of its form, in its colour scheme. They differ only in the
// scheme and in the form of the data block.
#pragma once

#include "gauge/RadarGauge.h"

namespace quillon {

// Full data block, green (the base gauge's scheme).
class RectangularGreenGauge : public RadarGauge {
public:
    explicit RectangularGreenGauge(const PanelCalls& panel);
    // Out of line: the table of operations then lives with the module's
    // objects, built without type information.
    ~RectangularGreenGauge() override;
};

class RectangularAmberGauge final : public RectangularGreenGauge {
public:
    using RectangularGreenGauge::RectangularGreenGauge;
    void createScheme() override;
};

// Compact data block, green.
class CircularGreenGauge : public RadarGauge {
public:
    explicit CircularGreenGauge(const PanelCalls& panel);
    ~CircularGreenGauge() override;
};

class CircularAmberGauge final : public CircularGreenGauge {
public:
    using CircularGreenGauge::CircularGreenGauge;
    void createScheme() override;
};

}  // namespace quillon
