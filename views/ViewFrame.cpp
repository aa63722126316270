// What the three views share around their own drawing: the guard, the
// container at the view's own-ship centre, the data block after it, where
// the target loop starts, the radar scopes' target procedure and their
// heading and clock lookup.
#include "gauge/RadarGauge.h"
#include "host/PanelCalls.h"
#include "render/SharedGdiObjects.h"
#include "views/TargetProcedure.h"
#include "views/ViewFrame.h"

namespace quillon {

bool RadarGauge::viewCanDraw() {
    if (graphics_ != nullptr && trafficList_ != nullptr && scheme_.complete()) return true;
    selectedDrawn_ = 0;  // nothing drawn, so no data block either
    return false;
}

gdip::GraphicsContainer RadarGauge::openView(float originX, float originY) {
    const gdip::GraphicsContainer container = graphics_->beginContainer();
    graphics_->translateWorldTransform(originX, originY);
    applyRenderingQuality();
    return container;
}

void RadarGauge::closeView(gdip::GraphicsContainer container) {
    graphics_->endContainer(container);
    applyRenderingQuality();
    drawDataBlock();
}

int RadarGauge::firstListedTarget() const { return trafficList_->limitedMode() != 0 ? 0 : 1; }

TargetProcedure RadarGauge::targetProcedure(const TargetFrame& frame) {
    const TargetRecords records{plotPositions_,  &selectedIndex_,      selectedAtcId_,
                                &selectedDrawn_, &selectedDistanceNm_, &selectedBearingDeg_};
    return TargetProcedure(*graphics_, TargetPens{scheme_.dimPen.get(), scheme_.brightPen.get()}, records, frame,
                           render::sharedMatrix(render::SharedMatrix::ViewTarget),
                           render::sharedMatrix(render::SharedMatrix::ViewVector));
}

HeadingAndClock lookUpHeadingThenClock() {
    static host::ModuleVariableRecord headingRecord = moduleVariable(host::kVarOwnHeading);
    static host::ModuleVariableRecord clockRecord = moduleVariable(host::kVarClock);
    const double heading = lookupModuleVariable(headingRecord);
    return HeadingAndClock{heading, lookupModuleVariable(clockRecord)};
}

}  // namespace quillon
