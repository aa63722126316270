// Loads the built Quillon.dll the way the host does (LoadLibrary, then the
// two records by name), connects and disconnects each gauge once, and unloads
// it: start-up, GDI+ start and shut-down and the unload path must all run
// under a real Windows loader (Wine). Exit code 0 when everything held.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "host/GaugeRecords.h"
#include "tests/windows/CheckReport.h"

using checks::check;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-Quillon.dll\n", argv[0]);
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) {
        std::fprintf(stderr, "FAILED: LoadLibrary(%s): error %lu\n", argv[1], GetLastError());
        return 1;
    }

    auto* importTable = reinterpret_cast<host::ImportTable*>(GetProcAddress(module, "ImportTable"));
    auto* linkage = reinterpret_cast<host::Linkage*>(GetProcAddress(module, "Linkage"));
    check(importTable != nullptr, "ImportTable found by name");
    check(linkage != nullptr, "Linkage found by name");

    if (importTable && linkage) {
        check(importTable->panels.id == host::kImportPanelsId, "ImportTable entry 1 id");
        linkage->moduleInit();

        // No panel-function table: the module must stay quiet, not crash.
        int gauges = 0;
        for (host::GaugeHeader* const* gauge = linkage->gauges; *gauge && gauges < 4; ++gauge, ++gauges) {
            host::GaugeHeader* header = *gauge;
            check(header->gaugeCallback != nullptr, "gauge callback present");
            if (!header->gaugeCallback) continue;
            header->gaugeCallback(header, host::kServiceCreate, 0);
            header->gaugeCallback(header, 1, 0);  // an update
            header->gaugeCallback(header, host::kServiceDestroy, 0);
        }
        check(gauges == 4, "four gauges listed");
        linkage->moduleDeinit();
    }

    check(FreeLibrary(module) != 0, "FreeLibrary");
    return checks::finish("Quillon.dll loaded, ran and unloaded");
}
