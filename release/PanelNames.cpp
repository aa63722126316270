// quillon-panel-names MODULE
// Loads a built module into the stand-in host, opens a window of each of its
// gauges and draws a frame, then prints what a panel can refer to:
//   gauge <name>      for each gauge the module lists
//   variable <name>   for each named variable registered by then
// The stand-in registers no names of its own, so every variable listed is
// one the module registered.
#include <cstdio>
#include <exception>
#include <string>

#include "sim/Host.h"

namespace {

constexpr int kWindowPixels = 200;

int listNames(const char* modulePath) {
    sim::Host host(modulePath);
    if (!host.loaded()) {
        std::fprintf(stderr, "%s: %s\n", modulePath, host.error().c_str());
        return 1;
    }
    const auto gauges = host.gaugeNames();
    for (const std::string& gauge : gauges) host.openWindow(gauge, kWindowPixels, kWindowPixels);
    host.frame();
    for (const std::string& gauge : gauges) std::printf("gauge %s\n", gauge.c_str());
    sim::NamedVariables& variables = host.namedVariables();
    const auto last = static_cast<int32_t>(variables.size()) + sim::NamedVariables::kFirstId;
    for (int32_t id = sim::NamedVariables::kFirstId; id < last; ++id)
        std::printf("variable %s\n", variables.name(id).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillon-panel-names MODULE\n");
        return 2;
    }
    try {
        return listNames(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        return 1;
    }
}
