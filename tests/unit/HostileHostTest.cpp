// What a careless or broken host may hand the module, driven through the
// gauge callbacks and mouse functions: surfaces of no, negative or absurd
// size, clocks that are not numbers, panel values far out of range, clicks
// in areas without size. The module must neither crash nor stay broken: once
// the host behaves again, the picture comes back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "gauge/RadarGauge.h"
#include "module/GaugeCallbacks.h"
#include "render/GdiPlusObjects.h"
#include "tests/support/FakePanel.h"
#include "tests/support/PanelWindows.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/ScriptedTraffic.h"

namespace quillon::testing {
namespace {

constexpr int kPixels = 100;
constexpr uint32_t kGreenBackground = 0xff001400u;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

class HostileHost : public ::testing::Test {
protected:
    void SetUp() override {
        // This panel hands out its own ids: the module registers afresh with it.
        RadarGaugeProbe::forgetNamedVariableRegistration();
        traffic_.add(1, "OWN").text("ATC ID", "OWN");
        traffic_.add(2, "N1")
            .number("PLANE LATITUDE", "DEGREES", 0.1)
            .number("PLANE LONGITUDE", "DEGREES", 0.1)
            .number("INDICATED ALTITUDE", "FEET", 5000)
            .number("PLANE ALT ABOVE GROUND", "FEET", 5000)
            .number("GROUND VELOCITY", "KNOTS", 250)
            .text("ATC ID", "N1")
            .text("ATC AIRLINE", "QUILL")
            .text("ATC FLIGHT NUMBER", "7");
        panel_.offerTrafficInfo(&traffic_);
        surface_ = std::make_unique<HostSurface>(kPixels, kPixels);
        window_ = std::make_unique<PanelWindow>(kRectangularGreen);
        window_->attach(surface_->deviceContext(), kPixels, kPixels);
        window_->service(host::kServiceCreate);
    }

    void TearDown() override { disconnectEveryGauge(); }

    // One frame: the clock moves on, the window is drawn.
    void frame() {
        clock_ += 1.0 / 18.0;
        panel_.setClock(clock_);
        window_->service(host::kServiceDraw);
    }

    // Pixels that are neither the background nor untouched.
    int inkPixels() const {
        int ink = 0;
        for (int y = 0; y < kPixels; ++y)
            for (int x = 0; x < kPixels; ++x) {
                const uint32_t pixel = surface_->pixel(x, y);
                ink += pixel != kGreenBackground && pixel != 0 ? 1 : 0;
            }
        return ink;
    }

    uint32_t corner() const { return surface_->pixel(1, 1); }

    RadarGauge* gauge() const { return variantGauge(kRectangularGreen); }

    FakePanel panel_;
    ScriptedTraffic traffic_;
    std::unique_ptr<HostSurface> surface_;
    std::unique_ptr<PanelWindow> window_;
    double clock_ = 5.0;
};

TEST_F(HostileHost, PictureComesBackAfterTheSurfaceReportedNoNegativeOrAbsurdSize) {
    frame();
    const int normalInk = inkPixels();
    ASSERT_GT(normalInk, kPixels);

    const int32_t sizes[][2] = {{0, 0}, {0, kPixels}, {-kPixels, -kPixels}, {INT32_MAX, INT32_MAX},
                                {INT32_MIN, 1},   {1, 1}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(::testing::Message() << size[0] << " x " << size[1]);
        window_->attach(surface_->deviceContext(), size[0], size[1]);
        frame();
        frame();
        window_->attach(surface_->deviceContext(), kPixels, kPixels);
        frame();
        EXPECT_EQ(corner(), kGreenBackground);
        EXPECT_GT(inkPixels(), normalInk / 2);
    }
}

TEST_F(HostileHost, ClockThatIsNotANumberOrInfiniteDrawsAndTheSweepGoesOnAfterwards) {
    for (double clock : {kNaN, kInfinity, -kInfinity, kNaN}) {
        panel_.setClock(clock);
        window_->service(host::kServiceDraw);
        window_->service(0);
        EXPECT_EQ(corner(), kGreenBackground);
    }
    // Back to a clock that runs, also one that went back: frames draw again.
    clock_ = 2.0;
    frame();
    EXPECT_GT(inkPixels(), kPixels);
}

TEST_F(HostileHost, PanelValuesOutOfEveryRangeLeaveAWorkingGauge) {
    frame();
    const float range = gauge()->rangeNm();
    for (double value : {kNaN, kInfinity, -kInfinity, 1e300, -1e300, 4.9, 0.0}) {
        SCOPED_TRACE(value);
        panel_.setNamedVariable("Radar Range", value);
        panel_.setNamedVariable("Radar Mode", value);
        panel_.setModuleVariable(host::kVarOwnHeading, value);
        panel_.setModuleVariable(host::kVarOwnLatitude, value);
        panel_.setModuleVariable(host::kVarOwnLongitude, value);
        panel_.setModuleVariable(host::kVarOwnAltitudeMetres, value);
        frame();
        window_->click(50, 50, kPixels, kPixels);
        EXPECT_EQ(corner(), kGreenBackground);
        // A range only ever takes a finite value of at least 5.
        EXPECT_TRUE(std::isfinite(gauge()->rangeNm()));
        EXPECT_GE(gauge()->rangeNm(), 5.0f);
    }
    EXPECT_NE(gauge()->rangeNm(), range);  // 1e300 was taken, as large as a float goes

    panel_.setNamedVariable("Radar Range", 40.0);
    panel_.setNamedVariable("Radar Mode", 2.0);
    for (int32_t token : {host::kVarOwnHeading, host::kVarOwnLatitude, host::kVarOwnLongitude,
                          host::kVarOwnAltitudeMetres}) {
        panel_.setModuleVariable(token, 0.0);
    }
    frame();
    EXPECT_EQ(gauge()->rangeNm(), 40.0f);
    EXPECT_EQ(gauge()->displayMode(), kFullCircleView);
    EXPECT_GT(inkPixels(), kPixels);
}

TEST_F(HostileHost, ClicksInAreasWithoutSizeOrWithoutRecordsAreAnsweredAndIgnored) {
    frame();
    // Select the aircraft first, so that an ignored click shows as a kept selection.
    const PlotPosition& plotted = gauge()->plotPosition(1);
    window_->click(static_cast<int32_t>(500 + plotted.x), static_cast<int32_t>(500 + plotted.y), 1000, 1000);
    frame();
    ASSERT_EQ(gauge()->selectedIndex(), 1);

    EXPECT_EQ(window_->click(50, 50, 0, 0), 1);
    EXPECT_EQ(window_->click(50, 50, 0, kPixels), 1);
    EXPECT_EQ(window_->click(50, 50, kPixels, 0), 1);
    EXPECT_EQ(window_->clickWithoutArea(50, 50), 1);
    EXPECT_EQ(window_->clickWithoutRecord(), 1);
    EXPECT_EQ(gauge()->selectedIndex(), 1);

    // Negative and extreme areas and points are answered; the logical point
    // saturates rather than overflow, and hits nothing.
    EXPECT_EQ(window_->click(INT32_MAX, INT32_MIN, 1, -1), 1);
    EXPECT_EQ(window_->click(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MAX), 1);
    EXPECT_EQ(gauge()->selectedIndex(), kNoSelection);
}

TEST_F(HostileHost, DrawsWithoutHeaderElementsOrImageDoNothingAndLaterFramesDraw) {
    window_->serviceWithoutHeader(host::kServiceDraw);
    window_->dropImageRecord();
    frame();
    window_->detachDrawingElement();
    frame();
    EXPECT_EQ(inkPixels(), 0);

    PanelWindow healthy(kRectangularGreen);
    healthy.attach(surface_->deviceContext(), kPixels, kPixels);
    clock_ += 1.0;
    panel_.setClock(clock_);
    healthy.service(host::kServiceDraw);
    EXPECT_GT(inkPixels(), kPixels);
}

}  // namespace
}  // namespace quillon::testing
