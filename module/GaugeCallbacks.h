// The routines each gauge description hands to the host: the gauge callback
// that creates, draws, updates and destroys the variant's RadarGauge, and
// the mouse function of its click area.
#pragma once

#include "gauge/RadarGauge.h"
#include "host/GaugeRecords.h"

namespace quillon {

// In the order of the module's gauge list.
enum GaugeVariant : int {
    kRectangularGreen,
    kRectangularAmber,
    kCircularGreen,
    kCircularAmber,
    kVariantCount,
};

void HOST_API rectangularGreenCallback(host::GaugeHeader* header, int32_t service, uint32_t extra);
void HOST_API rectangularAmberCallback(host::GaugeHeader* header, int32_t service, uint32_t extra);
void HOST_API circularGreenCallback(host::GaugeHeader* header, int32_t service, uint32_t extra);
void HOST_API circularAmberCallback(host::GaugeHeader* header, int32_t service, uint32_t extra);

int32_t HOST_API rectangularGreenMouse(host::ClickRecord* click, uint32_t mouseFlags);
int32_t HOST_API rectangularAmberMouse(host::ClickRecord* click, uint32_t mouseFlags);
int32_t HOST_API circularGreenMouse(host::ClickRecord* click, uint32_t mouseFlags);
int32_t HOST_API circularAmberMouse(host::ClickRecord* click, uint32_t mouseFlags);

// The click in the area's pixels as a point of the 1000 x 1000 logical
// space; false (no point) without a click record, an area or an area size.
bool logicalClickPoint(const host::ClickRecord* click, LogicalPoint& point);

// The variant's live gauge (null when none) and its reference count.
RadarGauge* variantGauge(GaugeVariant variant);
int32_t variantReferenceCount(GaugeVariant variant);

}  // namespace quillon
