#include "module/ElementListRoutines.h"

#include "host/ExportedRecords.h"
#include "module/PanelTableCalls.h"

namespace quillon {
namespace {

// Whatever gauge the host is working on, the element passed on is the first
// element of the first gauge in the module's list.
host::ImageElement* firstGaugeElement() {
    const host::GaugeHeader* first = Linkage.gauges[0];
    if (first == nullptr || first->elementList == nullptr) return nullptr;
    return first->elementList[0];
}

}  // namespace

int32_t HOST_API elementQuery() { return modulePanelCalls().forwardElementList(host::kSlotElementQuery, firstGaugeElement()); }

int32_t HOST_API elementInstall(uintptr_t value) {
    return modulePanelCalls().forwardElementList(host::kSlotElementInstall, firstGaugeElement(), value);
}

int32_t HOST_API elementInitialize() {
    return modulePanelCalls().forwardElementList(host::kSlotElementInitialize, firstGaugeElement());
}

int32_t HOST_API elementUpdate() { return modulePanelCalls().forwardElementList(host::kSlotElementUpdate, firstGaugeElement()); }

int32_t HOST_API elementGenerate(uintptr_t value) {
    return modulePanelCalls().forwardElementList(host::kSlotElementGenerate, firstGaugeElement(), value);
}

int32_t HOST_API elementDraw() { return modulePanelCalls().forwardElementList(host::kSlotElementDraw, firstGaugeElement()); }

int32_t HOST_API elementKill() { return modulePanelCalls().forwardElementList(host::kSlotElementKill, firstGaugeElement()); }

}  // namespace quillon
