#include "module/GaugeCallbacks.h"

#include <new>

#include "module/PanelTableCalls.h"
#include "views/GaugeVariants.h"
#include "numeric/SaturatingConversion.h"

namespace quillon {
namespace {

// One gauge per variant, shared by every window that shows it.
struct VariantState {
    RadarGauge* instance = nullptr;
    int32_t referenceCount = 0;  // connects minus disconnects, not clamped
};

VariantState variants[kVariantCount];

RadarGauge* constructGauge(GaugeVariant variant) {
    switch (variant) {
        case kRectangularGreen: return new (std::nothrow) RectangularGreenGauge(modulePanelCalls());
        case kRectangularAmber: return new (std::nothrow) RectangularAmberGauge(modulePanelCalls());
        case kCircularGreen: return new (std::nothrow) CircularGreenGauge(modulePanelCalls());
        case kCircularAmber: return new (std::nothrow) CircularAmberGauge(modulePanelCalls());
        default: return nullptr;
    }
}

// A gauge that could not get its traffic list counts as a failed allocation:
// the next connect tries again.
RadarGauge* createGauge(GaugeVariant variant) {
    RadarGauge* gauge = constructGauge(variant);
    if (gauge != nullptr && !gauge->constructedWhole()) {
        delete gauge;
        gauge = nullptr;
    }
    return gauge;
}

void connect(VariantState& state, GaugeVariant variant) {
    ++state.referenceCount;
    if (state.instance == nullptr) state.instance = createGauge(variant);
}

void disconnect(VariantState& state) {
    --state.referenceCount;
    if (state.referenceCount != 0) return;
    delete state.instance;
    state.instance = nullptr;
}

void serve(GaugeVariant variant, host::GaugeHeader* header, int32_t service) {
    VariantState& state = variants[variant];
    switch (service) {
        case host::kServiceCreate: connect(state, variant); return;
        case host::kServiceDestroy: disconnect(state); return;
        case host::kServiceDraw:
            if (state.instance != nullptr) state.instance->drawFrame(header);
            return;
        default:
            if (state.instance != nullptr) state.instance->update();
            return;
    }
}

int32_t click(GaugeVariant variant, const host::ClickRecord* record) {
    LogicalPoint point{};
    RadarGauge* gauge = variants[variant].instance;
    if (logicalClickPoint(record, point) && gauge != nullptr) gauge->onClick(&point);
    return 1;
}

}  // namespace

// Division first, in double, then truncation: 199 of 200 pixels is 995.
// An area without size has no logical point, so such a click is ignored.
bool logicalClickPoint(const host::ClickRecord* click, LogicalPoint& point) {
    if (click == nullptr || click->area == nullptr) return false;
    const host::MouseArea& area = *click->area;
    if (area.boxWidth == 0 || area.boxHeight == 0) return false;
    point.x = truncateToInt32(static_cast<double>(click->x) / static_cast<double>(area.boxWidth) * 1000.0);
    point.y = truncateToInt32(static_cast<double>(click->y) / static_cast<double>(area.boxHeight) * 1000.0);
    return true;
}

void HOST_API rectangularGreenCallback(host::GaugeHeader* header, int32_t service, uint32_t) {
    serve(kRectangularGreen, header, service);
}
void HOST_API rectangularAmberCallback(host::GaugeHeader* header, int32_t service, uint32_t) {
    serve(kRectangularAmber, header, service);
}
void HOST_API circularGreenCallback(host::GaugeHeader* header, int32_t service, uint32_t) {
    serve(kCircularGreen, header, service);
}
void HOST_API circularAmberCallback(host::GaugeHeader* header, int32_t service, uint32_t) {
    serve(kCircularAmber, header, service);
}

int32_t HOST_API rectangularGreenMouse(host::ClickRecord* record, uint32_t) { return click(kRectangularGreen, record); }
int32_t HOST_API rectangularAmberMouse(host::ClickRecord* record, uint32_t) { return click(kRectangularAmber, record); }
int32_t HOST_API circularGreenMouse(host::ClickRecord* record, uint32_t) { return click(kCircularGreen, record); }
int32_t HOST_API circularAmberMouse(host::ClickRecord* record, uint32_t) { return click(kCircularAmber, record); }

RadarGauge* variantGauge(GaugeVariant variant) { return variants[variant].instance; }

int32_t variantReferenceCount(GaugeVariant variant) { return variants[variant].referenceCount; }

}  // namespace quillon
