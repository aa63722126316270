// The seven element-list routines every gauge description lists. Each hands
// the host's call back to the host's own panel function.
#pragma once

#include "host/GaugeRecords.h"

namespace quillon {

int32_t HOST_API elementQuery();
int32_t HOST_API elementInstall(uintptr_t value);
int32_t HOST_API elementInitialize();
int32_t HOST_API elementUpdate();
int32_t HOST_API elementGenerate(uintptr_t value);
int32_t HOST_API elementDraw();
int32_t HOST_API elementKill();

}  // namespace quillon
