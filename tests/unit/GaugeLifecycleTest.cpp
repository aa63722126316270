// The life of each variant's RadarGauge as the host drives it through the
// gauge callbacks: connects and disconnects, services without a gauge,
// failed creation, the four variants' schemes, and GDI+ sessions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "module/PanelTableCalls.h"
#include "views/GaugeVariants.h"
#include "module/GaugeCallbacks.h"
#include "host/ExportedRecords.h"
#include "render/GdiPlusSession.h"
#include "render/SharedGdiObjects.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/TestSurface.h"

// Non-throwing allocations of one chosen size fail, as they would when memory runs out.
namespace {
size_t failingAllocationSize = 0;
}

// Otherwise the plain operator new, so that the usual operator delete frees
// what it allocated.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failingAllocationSize != 0 && size == failingAllocationSize) return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace quillon {
namespace {

using testing::FakePanel;

struct FailingAllocation {
    explicit FailingAllocation(size_t size) { failingAllocationSize = size; }
    ~FailingAllocation() { failingAllocationSize = 0; }
};

host::GaugeHeader* headerOf(GaugeVariant variant) { return Linkage.gauges[variant]; }

void serve(GaugeVariant variant, int32_t service, host::GaugeHeader* header = nullptr) {
    headerOf(variant)->gaugeCallback(header != nullptr ? header : headerOf(variant), service, 0);
}

class GaugeLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureGdiplusStarted();
        RadarGaugeProbe::forgetNamedVariableRegistration();
        for (int v = 0; v < kVariantCount; ++v) {
            ASSERT_EQ(variantGauge(static_cast<GaugeVariant>(v)), nullptr);
            ASSERT_EQ(variantReferenceCount(static_cast<GaugeVariant>(v)), 0);
        }
    }
    FakePanel panel;
};

TEST_F(GaugeLifecycle, SharedGaugeLivesUntilTheLastDisconnectAndComesBackWithDefaults) {
    serve(kRectangularAmber, host::kServiceCreate);
    RadarGauge* gauge = variantGauge(kRectangularAmber);
    ASSERT_NE(gauge, nullptr);
    serve(kRectangularAmber, host::kServiceCreate);
    EXPECT_EQ(variantGauge(kRectangularAmber), gauge);
    EXPECT_EQ(variantReferenceCount(kRectangularAmber), 2);

    RadarGaugeProbe(*gauge).setDisplayMode(4);
    RadarGaugeProbe(*gauge).setRangeNm(120.0f);
    RadarGaugeProbe(*gauge).select(3, "N123");

    serve(kRectangularAmber, host::kServiceDestroy);
    EXPECT_EQ(variantGauge(kRectangularAmber), gauge);
    EXPECT_EQ(variantReferenceCount(kRectangularAmber), 1);
    serve(kRectangularAmber, host::kServiceDestroy);
    EXPECT_EQ(variantGauge(kRectangularAmber), nullptr);
    EXPECT_EQ(variantReferenceCount(kRectangularAmber), 0);
    EXPECT_EQ(RadarGauge::liveGauges(), 0);

    serve(kRectangularAmber, host::kServiceCreate);
    RadarGauge* again = variantGauge(kRectangularAmber);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->displayMode(), 2);
    EXPECT_FLOAT_EQ(again->rangeNm(), 40.0f);
    EXPECT_EQ(again->selectedIndex(), kNoSelection);
    EXPECT_STREQ(again->selectedAtcId(), "");
    serve(kRectangularAmber, host::kServiceDestroy);
}

TEST_F(GaugeLifecycle, VariantsAreIndependent) {
    serve(kCircularGreen, host::kServiceCreate);
    serve(kCircularAmber, host::kServiceCreate);
    EXPECT_EQ(variantGauge(kRectangularGreen), nullptr);
    EXPECT_NE(variantGauge(kCircularGreen), variantGauge(kCircularAmber));
    EXPECT_EQ(RadarGauge::liveGauges(), 2);
    serve(kCircularGreen, host::kServiceDestroy);
    EXPECT_EQ(variantGauge(kCircularGreen), nullptr);
    EXPECT_NE(variantGauge(kCircularAmber), nullptr);
    serve(kCircularAmber, host::kServiceDestroy);
}

TEST_F(GaugeLifecycle, ServicesWithoutALiveGaugeDoNothing) {
    host::MouseArea area{};
    area.boxWidth = 100;
    area.boxHeight = 100;
    host::ClickRecord click{50, 50, 0, &area};
    auto untouched = [&](GaugeVariant variant) {
        for (int32_t service : {10, 0, 7, 11, 13, 16, 99, -1}) serve(variant, service);
        EXPECT_EQ(headerOf(variant)->mouseAreas[1].function(&click, 0), 1);
        EXPECT_TRUE(panel.calls().empty()) << headerOf(variant)->gaugeName;
        EXPECT_EQ(variantGauge(variant), nullptr);
    };
    for (int v = 0; v < kVariantCount; ++v) untouched(static_cast<GaugeVariant>(v));

    serve(kCircularGreen, host::kServiceCreate);
    serve(kCircularGreen, host::kServiceDestroy);
    panel.clearCalls();
    untouched(kCircularGreen);
    EXPECT_EQ(variantReferenceCount(kCircularGreen), 0);
}

TEST_F(GaugeLifecycle, OtherServicesUpdateTheLiveGauge) {
    serve(kCircularAmber, host::kServiceCreate);
    panel.clearCalls();
    serve(kCircularAmber, 7);  // an update: traffic tick, then the named variables
    EXPECT_GE(panel.callCount(host::kSlotLookupModuleVariable), 1u);
    EXPECT_EQ(panel.callCount(host::kSlotRegisterNamedVariable), 24u);
    EXPECT_TRUE(panel.isRegistered("Radar Dimming")) << "the last one";
    EXPECT_EQ(panel.callCount(host::kSlotLookupModuleVariable), panel.lookedUpTokens().size());
    EXPECT_EQ(panel.lookedUpTokens().front(), host::kVarClock);
    serve(kCircularAmber, host::kServiceDestroy);
}

TEST_F(GaugeLifecycle, UnmatchedDisconnectsAreCountedNotClamped) {
    serve(kRectangularGreen, host::kServiceDestroy);
    EXPECT_EQ(variantReferenceCount(kRectangularGreen), -1);
    EXPECT_EQ(variantGauge(kRectangularGreen), nullptr);

    // A connect at -1 still finds no gauge and creates one, at count 0 ...
    serve(kRectangularGreen, host::kServiceCreate);
    EXPECT_EQ(variantReferenceCount(kRectangularGreen), 0);
    RadarGauge* gauge = variantGauge(kRectangularGreen);
    ASSERT_NE(gauge, nullptr);
    // ... which only a disconnect from 1 to exactly 0 destroys.
    serve(kRectangularGreen, host::kServiceCreate);
    EXPECT_EQ(variantGauge(kRectangularGreen), gauge);
    serve(kRectangularGreen, host::kServiceDestroy);
    EXPECT_EQ(variantGauge(kRectangularGreen), nullptr);
    EXPECT_EQ(variantReferenceCount(kRectangularGreen), 0);
}

TEST_F(GaugeLifecycle, FailedCreationLeavesTheSlotEmptyAndTheNextConnectRetries) {
    for (size_t size : {sizeof(CircularAmberGauge), sizeof(TrafficList)}) {
        {
            FailingAllocation failing(size);
            serve(kCircularAmber, host::kServiceCreate);
        }
        EXPECT_EQ(variantGauge(kCircularAmber), nullptr) << size;
        EXPECT_EQ(variantReferenceCount(kCircularAmber), 1);
        EXPECT_EQ(RadarGauge::liveGauges(), 0);
        panel.clearCalls();
        serve(kCircularAmber, host::kServiceDraw);
        serve(kCircularAmber, 3);
        EXPECT_TRUE(panel.calls().empty());

        serve(kCircularAmber, host::kServiceCreate);
        ASSERT_NE(variantGauge(kCircularAmber), nullptr);
        EXPECT_TRUE(variantGauge(kCircularAmber)->constructedWhole());
        EXPECT_EQ(variantReferenceCount(kCircularAmber), 2);
        serve(kCircularAmber, host::kServiceDestroy);
        serve(kCircularAmber, host::kServiceDestroy);
        EXPECT_EQ(variantGauge(kCircularAmber), nullptr);
    }
}

TEST_F(GaugeLifecycle, FreshCircularAmberHasTheDefaults) {
    serve(kCircularAmber, host::kServiceCreate);
    const RadarGauge& gauge = *variantGauge(kCircularAmber);
    EXPECT_EQ(gauge.displayMode(), 2);
    EXPECT_FLOAT_EQ(gauge.rangeNm(), 40.0f);
    EXPECT_EQ(gauge.selectedIndex(), 99999);
    EXPECT_STREQ(gauge.selectedAtcId(), "");
    EXPECT_EQ(gauge.selectedDrawn(), 0);
    ASSERT_NE(gauge.trafficList(), nullptr);
    EXPECT_DOUBLE_EQ(gauge.trafficList()->queryRangeNm(), 40.0);
    EXPECT_FALSE(gauge.schemeCreated());
    EXPECT_EQ(gauge.surfaceCache().count(), 0);
    EXPECT_EQ(RadarGaugeProbe(const_cast<RadarGauge&>(gauge)).backgroundColour(), 0xff000000u);
    serve(kCircularAmber, host::kServiceDestroy);
}

TEST_F(GaugeLifecycle, EachVariantDrawsInItsSchemeCreatedOnceOnTheFirstDraw) {
    const uint32_t expected[] = {0xff001400u, 0xff1e0f00u, 0xff001400u, 0xff1e0f00u};
    for (int v = 0; v < kVariantCount; ++v) {
        const GaugeVariant variant = static_cast<GaugeVariant>(v);
        serve(variant, host::kServiceCreate);
        RadarGauge& gauge = *variantGauge(variant);
        panel.clearCalls();
        headerOf(variant)->gaugeCallback(nullptr, host::kServiceDraw, 0);  // no header: the scheme all the same
        ASSERT_TRUE(gauge.schemeCreated());
        EXPECT_EQ(RadarGaugeProbe(gauge).backgroundColour(), expected[v]) << headerOf(variant)->gaugeName;
        const render::SolidBrush* brush = gauge.scheme().dimBrush.get();
        headerOf(variant)->gaugeCallback(nullptr, host::kServiceDraw, 0);
        EXPECT_EQ(gauge.scheme().dimBrush.get(), brush);
        EXPECT_TRUE(panel.calls().empty());  // nothing past the scheme without a header
    }
    for (int v = 0; v < kVariantCount; ++v) serve(static_cast<GaugeVariant>(v), host::kServiceDestroy);
}

TEST_F(GaugeLifecycle, LastGaugeReleasesTheSharedObjects) {
    serve(kRectangularGreen, host::kServiceCreate);
    serve(kCircularGreen, host::kServiceCreate);
    render::sharedStringFormat(render::SharedFormat::FullCircleLabel);
    render::genericSansSerifFamily();
    ASSERT_GT(render::liveSharedGdiObjects(), 0);
    serve(kRectangularGreen, host::kServiceDestroy);
    EXPECT_GT(render::liveSharedGdiObjects(), 0);  // still in use by the other gauge
    serve(kCircularGreen, host::kServiceDestroy);
    EXPECT_EQ(render::liveSharedGdiObjects(), 0);
}

TEST(GdiPlusSessions, EndingOneSessionLeavesGdiPlusRunningForTheOthers) {
    testing::ensureGdiplusStarted();
    const gdip::GdiplusStartupInput input{1, nullptr, 0, 0};
    uintptr_t first = 0;
    uintptr_t second = 0;
    ASSERT_EQ(render::startGdiPlus(first, input), gdip::kOk);
    ASSERT_EQ(render::startGdiPlus(second, input), gdip::kOk);
    render::shutdownGdiPlus(first);
    render::SolidBrush brush(0xff102030u);
    EXPECT_TRUE(brush.valid());
    EXPECT_EQ(brush.lastStatus(), gdip::kOk);
    render::shutdownGdiPlus(second);
}

TEST(GdiPlusSessions, ASessionThatDidNotStartIsNeverEnded) {
    namespace layer = sim::gdiplus_layer;
    const gdip::GdiplusStartupInput unsupported{99, nullptr, 0, 0};
    uintptr_t token = 12345;
    EXPECT_NE(render::startGdiPlus(token, unsupported), gdip::kOk);
    EXPECT_EQ(token, 0u);
    layer::setOnFailure(layer::OnFailure::Count);
    const int failures = layer::figures().failures;
    render::shutdownGdiPlus(token);  // would end somebody else's session
    EXPECT_EQ(layer::figures().failures, failures) << layer::lastFailure();
    layer::setOnFailure(layer::OnFailure::Abort);
}

}  // namespace
}  // namespace quillon
