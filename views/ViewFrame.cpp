// What the three views share around their own drawing: the guard, the
// container at the view's own-ship centre, the data block after it, where
// the target loop starts, the radar scopes' target procedure and their
// heading and clock lookup.
#include "gauge/RadarGauge.h"
#include "host/PanelCalls.h"
#include "render/ColourScheme.h"
#include "render/SharedGdiObjects.h"
#include "views/AltitudeTags.h"
#include "views/TargetProcedure.h"
#include "views/TrafficFilter.h"
#include "views/ViewFrame.h"

#include <cstring>

namespace quillon {

bool RadarGauge::viewCanDraw() {
    if (graphics_ != nullptr && trafficList_ != nullptr && scheme_.complete()) return true;
    selectedDrawn_ = 0;  // nothing drawn, so no data block either
    beginShownTargets();  // and nothing to click on
    return false;
}

void RadarGauge::beginShownTargets() {
    std::memset(shownTargets_, 0, sizeof shownTargets_);
    shownMode_ = displayMode_;
}

bool RadarGauge::targetShown(int index) const {
    return index >= 0 && index < TrafficList::kSlots && shownMode_ == displayMode_ && shownTargets_[index] != 0;
}

double ownAltitudeMetres() {
    static host::ModuleVariableRecord altitudeRecord = moduleVariable(host::kVarOwnAltitudeMetres);
    return lookupModuleVariable(altitudeRecord);
}

gdip::GraphicsContainer RadarGauge::openView(float originX, float originY) {
    const gdip::GraphicsContainer container = graphics_->beginContainer();
    graphics_->translateWorldTransform(originX, originY);
    viewOriginX_ = originX;
    viewOriginY_ = originY;
    applyRenderingQuality();
    return container;
}

void RadarGauge::closeView(gdip::GraphicsContainer container) {
    graphics_->endContainer(container);
    applyRenderingQuality();
    drawDataBlock();
}

int RadarGauge::firstListedTarget() const { return trafficList_->limitedMode() != 0 ? 0 : 1; }

TargetProcedure RadarGauge::targetProcedure(const TargetFrame& viewFrame) {
    beginShownTargets();
    const TargetRecords records{plotPositions_,  &selectedIndex_,      selectedAtcId_,
                                &selectedDrawn_, &selectedDistanceNm_, &selectedBearingDeg_, shownTargets_};
    // The pilot's options; left off, the frame and the host calls are as without them.
    TargetFrame frame = viewFrame;
    frame.filter = options_.filter;
    const bool tags = options_.altitudeTags == 1;
    if (tags || filterUsesAltitude(frame.filter)) frame.ownAltitudeMetres = ownAltitudeMetres();
    if (tags) {
        // One scope draws at a time, so one style serves them all.
        static TagStyle style{};
        render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::AltitudeTag);
        // Laying out a text, or stroking a small arrow with anti-aliasing,
        // costs the drawing library several times what copying a small
        // picture does: tags and arrows come from an atlas drawn once per
        // surface scale and scheme.
        const render::TextAtlas* atlas =
            render::textAtlasFor(altitudeTagAtlasContent(scheme_, format), scaleX_, scaleY_);
        if (atlas != nullptr) graphics_->setInterpolationMode(gdip::kInterpolationModeNearestNeighbor);
        style = TagStyle{scheme_.smallFont.get(), &format,           scheme_.dimBrush.get(), scheme_.brightBrush.get(),
                         trafficList_->limitedMode() != 0, atlas, viewOriginX_,           viewOriginY_};
        frame.tags = &style;
    }
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
