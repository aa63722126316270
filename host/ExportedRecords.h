// The two records the host finds by name, defined by the module and declared
// here so that the calls into the panel table can reach them.
#pragma once

#include "host/GaugeRecords.h"

#if defined(_WIN32)
#define QUILLON_EXPORT
#else
#define QUILLON_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
QUILLON_EXPORT extern host::ImportTable ImportTable;
QUILLON_EXPORT extern host::Linkage Linkage;
}
