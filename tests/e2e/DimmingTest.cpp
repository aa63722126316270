// "Radar Dimming": every colour of the picture (background, rings, targets,
// texts, tags, advisories, trails) taken towards black by the same share.
// Drawing blends colours linearly, so a dimmed frame is the undimmed frame
// with each pixel dimmed, to within the roundings of the two.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sim/Host.h"

namespace {

// The share of its light a colour keeps, applied to values of gamma 2.2.
uint32_t dimmedPixel(uint32_t argb, int percent) {
    const double share = std::pow(1.0 - percent / 100.0, 1.0 / 2.2);
    uint32_t dimmed = argb & 0xff000000u;
    for (int shift = 0; shift <= 16; shift += 8)
        dimmed |= static_cast<uint32_t>(((argb >> shift) & 0xff) * share + 0.5) << shift;
    return dimmed;
}

int largestChannelDifference(uint32_t a, uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        largest = std::max(largest, std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)));
    return largest;
}

// Twenty seconds of the built-in traffic with every option on, from a fresh
// load of the module (the sweeps start where they started before).
std::vector<uint32_t> twentySeconds(const char* variant, int dimmingPercent) {
    sim::Host host{QUILLON_MODULE_PATH};
    EXPECT_TRUE(host.loaded()) << host.error();
    if (!host.loaded()) return {};
    sim::Window& window = host.openWindow(variant, 300, 300);
    host.frame();  // registers the named variables
    host.setNamed("Radar Range", 20.0);
    host.setNamed("Radar Altitude Tags", 1.0);
    host.setNamed("Radar Alerts", 1.0);
    host.setNamed("Radar Trails", 1.0);
    host.setNamed("Radar Dimming", dimmingPercent);
    host.frames(18 * 20);
    return window.pixels();
}

TEST(Dimming, EveryPixelIsTheUndimmedOneDimmedWithEveryOptionOn) {
    for (const char* variant : {"Rectangular Amber", "Circular Green"}) {
        const std::vector<uint32_t> undimmed = twentySeconds(variant, 0);
        for (const int percent : {50, 90}) {
            const std::vector<uint32_t> dimmed = twentySeconds(variant, percent);
            ASSERT_EQ(dimmed.size(), undimmed.size());
            int worst = 0;
            for (size_t i = 0; i < dimmed.size(); ++i)
                worst = std::max(worst, largestChannelDifference(dimmed[i], dimmedPixel(undimmed[i], percent)));
            EXPECT_LE(worst, 3) << variant << " at " << percent << " %";
        }
    }
}

}  // namespace
