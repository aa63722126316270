// The four gauge variants. They differ only in their colour scheme and in
// the form of the data block; the base class is "Rectangular Green".
#pragma once

#include "gauge/RadarGauge.h"

namespace quillon {

using RectangularGreenGauge = RadarGauge;

class RectangularAmberGauge final : public RadarGauge {
public:
    void createScheme() override;
};

class CircularGreenGauge : public RadarGauge {
public:
    CircularGreenGauge();
    void drawDataBlock() override;  // the compact block
};

class CircularAmberGauge final : public CircularGreenGauge {
public:
    void createScheme() override;
};

}  // namespace quillon
