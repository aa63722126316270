#include "views/GaugeVariants.h"

#include "views/DataBlocks.h"
#include "views/ForwardArcView.h"
#include "views/FullCircleView.h"
#include "views/GridView.h"

namespace quillon {
namespace {

// The views and blocks keep nothing of one gauge: the module has one of each.
FullCircleView fullCircleView;
ForwardArcView forwardArcView;
GridView gridView;
const FullDataBlock fullDataBlock;
const CompactDataBlock compactDataBlock;

GaugeParts partsWith(const DataBlock& block) {
    return GaugeParts{&fullCircleView, &forwardArcView, &gridView, &block};
}

}  // namespace

RectangularGreenGauge::RectangularGreenGauge(const PanelCalls& panel) : RadarGauge(panel, partsWith(fullDataBlock)) {}

RectangularGreenGauge::~RectangularGreenGauge() = default;

void RectangularAmberGauge::createScheme() { render::createScheme(scheme_, render::kAmberColours, dimmingStep()); }

CircularGreenGauge::CircularGreenGauge(const PanelCalls& panel) : RadarGauge(panel, partsWith(compactDataBlock)) {
    displayMode_ = kFullCircleView;
}

CircularGreenGauge::~CircularGreenGauge() = default;

void CircularAmberGauge::createScheme() { render::createScheme(scheme_, render::kAmberColours, dimmingStep()); }

}  // namespace quillon
