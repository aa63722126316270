// The stand-in host driving the built module: loading, windows, services,
// clicks and what the module calls back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/Host.h"

namespace {

TEST(HostModule, LoadsTheModuleAndListsItsGauges) {
    sim::Host host(QUILLON_MODULE_PATH);
    ASSERT_TRUE(host.loaded()) << host.error();
    EXPECT_EQ(host.importTable()->panels.pointer, host.panelTable());
    auto names = host.gaugeNames();
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "Rectangular Green");
}

TEST(HostModule, DrawsAWindowAndSavesIt) {
    sim::Host host(QUILLON_MODULE_PATH);
    ASSERT_TRUE(host.loaded()) << host.error();
    sim::Window& w = host.openWindow("Circular Green", 256, 256);
    host.frames(40);
    std::string path = ::testing::TempDir() + "/sim_circular_green.png";
    w.savePng(path);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(signature[1], 'P');
    EXPECT_EQ(signature[2], 'N');
    EXPECT_EQ(signature[3], 'G');
    // The surface starts black; the gauge paints its background over all of it.
    EXPECT_NE(w.pixel(2, 2), 0xFF000000u);
    EXPECT_NE(w.pixel(253, 253), 0xFF000000u);
}

}  // namespace
