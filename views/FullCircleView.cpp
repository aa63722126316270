// The full-circle view: range rings with labels, spokes, the turning sweep
// and every target of the list around the own aircraft at the centre.
#include "views/FullCircleSweep.h"

#include "gauge/RadarGauge.h"
#include "module/HostPanel.h"
#include "render/SharedGdiObjects.h"
#include "views/RingLabels.h"
#include "views/Spokes.h"

namespace quillon {
namespace {

constexpr float kRingSpacing = kFullCircleRadius / 4;  // 118.75
constexpr int kSpokes = 12;
constexpr float kSpokeStep = 30.0f;

void drawRangeRings(render::Graphics& graphics, const render::ColourScheme& scheme,
                    const render::StringFormat& labelFormat, float rangeNm) {
    // Ring 0 is a zero-size ellipse at the centre and carries no label.
    for (float ring = 0.0f; ring <= 4.0f; ring += 1.0f) {
        const float radius = kRingSpacing * ring;
        graphics.drawEllipse(*scheme.dashedPen, -radius, -radius, 2 * radius, 2 * radius);
        if (ring > 0.0f) {
            drawRingLabel(graphics, *scheme.smallFont, *scheme.dimBrush, labelFormat, ring, rangeNm, radius);
        }
    }
    graphics.drawEllipse(*scheme.dimPen, -kFullCircleRadius, -kFullCircleRadius, 2 * kFullCircleRadius,
                         2 * kFullCircleRadius);
}

}  // namespace

void RadarGauge::drawFullCircleView() {
    if (graphics_ == nullptr || trafficList_ == nullptr || !scheme_.complete()) {
        selectedDrawn_ = 0;  // nothing drawn, so no data block either
        return;
    }
    render::Graphics& graphics = *graphics_;
    render::StringFormat& labelFormat = render::sharedStringFormat(render::SharedFormat::FullCircleLabel);

    const auto container = graphics.beginContainer();
    graphics.translateWorldTransform(500.0f, 500.0f);
    applyRenderingQuality();
    labelFormat.setAlignment(gdip::kStringAlignmentCenter);

    drawRangeRings(graphics, scheme_, labelFormat, rangeNm_);
    // One spoke every 30 degrees; the one straight up runs through the labels.
    drawSpokes(graphics, *scheme_.dimPen, render::sharedMatrix(render::SharedMatrix::ViewSpokes), kFullCircleRadius,
               kSpokeStep, kSpokes);

    static host::ModuleVariableRecord headingRecord = moduleVariable(host::kVarOwnHeading);
    static host::ModuleVariableRecord clockRecord = moduleVariable(host::kVarClock);
    const double heading = lookupModuleVariable(headingRecord);
    const double now = lookupModuleVariable(clockRecord);

    FullCircleSweep& sweep = fullCircleSweep();
    stepFullCircleSweep(sweep, now, render::sharedMatrix(render::SharedMatrix::FullCircleSweep));
    graphics.drawLine(*scheme_.brightPen, 0.0f, 0.0f, sweep.tip.X, sweep.tip.Y);

    const TargetFrame frame{now, heading, kFullCircleRadius / rangeNm_, fullCircleSweepWindow(sweep.angle)};
    const TargetRecords records{plotPositions_,       &selectedIndex_,      selectedAtcId_,
                                &selectedDrawn_,      &selectedDistanceNm_, &selectedBearingDeg_};
    TargetProcedure procedure(graphics, TargetPens{scheme_.dimPen.get(), scheme_.brightPen.get()}, records, frame,
                              render::sharedMatrix(render::SharedMatrix::ViewTarget),
                              render::sharedMatrix(render::SharedMatrix::ViewVector));
    selectedDrawn_ = 0;

    // In full mode the host's first object is the own aircraft.
    const int first = trafficList_->limitedMode() != 0 ? 0 : 1;
    for (int index = first; index < static_cast<int>(trafficList_->count()); ++index) {
        TrafficTarget* target = trafficList_->item(index);
        if (target == nullptr) break;
        procedure.run(index, *target);
    }

    graphics.endContainer(container);
    applyRenderingQuality();
    drawDataBlock();
}

}  // namespace quillon
