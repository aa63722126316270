// The GDI+ session layer that every hosting program runs over: a module that
// breaks the session rules is caught, step by step. The real module passing
// under the layer is shown by every end-to-end test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "sim/GdiPlusSessionLayer.h"

// The calls of a module, as the layer sees them from outside the host.
extern "C" {
int32_t GdiplusStartup(uintptr_t* token, const void* input, void* output);
void GdiplusShutdown(uintptr_t token);
int32_t GdipCreateMatrix(void** matrix);
int32_t GdipRotateMatrix(void* matrix, float angle, int32_t order);
int32_t GdipDeleteMatrix(void* matrix);
}

namespace {

namespace layer = sim::gdiplus_layer;

struct StartupInput {
    uint32_t version;
    void* debugCallback;
    int32_t suppressBackgroundThread;
    int32_t suppressExternalCodecs;
};

TEST(GdiPlusSessionLayer, CatchesAModuleThatUsesGdiPlusOutsideItsSessions) {
    ASSERT_EQ(layer::figures().moduleSessions, 0) << "a module session is open from elsewhere";
    layer::setOnFailure(layer::OnFailure::Count);
    const int before = layer::figures().failures;
    auto failuresSoFar = [&] { return layer::figures().failures - before; };
    auto lastSays = [](const char* words) { return std::strstr(layer::lastFailure(), words) != nullptr; };

    const StartupInput input{1, nullptr, 0, 0};
    uintptr_t hostToken = 0;
    {
        layer::HostGdiPlusCalls hostCalls;
        ASSERT_EQ(GdiplusStartup(&hostToken, &input, nullptr), 0);
    }
    void* early = nullptr;
    EXPECT_EQ(GdipCreateMatrix(&early), 0);  // libgdiplus runs, for the host
    EXPECT_EQ(failuresSoFar(), 1);
    EXPECT_TRUE(lastSays("called GdipCreateMatrix while it has no GDI+ session")) << layer::lastFailure();

    uintptr_t token = 0;
    ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), 0);
    void* matrix = nullptr;
    ASSERT_EQ(GdipCreateMatrix(&matrix), 0);
    EXPECT_EQ(GdipDeleteMatrix(early), 0);
    EXPECT_EQ(layer::figures().moduleObjects, 1);
    EXPECT_EQ(failuresSoFar(), 1);  // nothing wrong inside the session

    GdiplusShutdown(token);  // the matrix still alive
    EXPECT_EQ(failuresSoFar(), 2);
    EXPECT_TRUE(lastSays("last GDI+ session with 1 of its GDI+ objects alive")) << layer::lastFailure();
    GdipRotateMatrix(matrix, 30.0f, 0);
    EXPECT_EQ(failuresSoFar(), 3);
    EXPECT_TRUE(lastSays("used a GDI+ object made by GdipCreateMatrix (GdipRotateMatrix)")) << layer::lastFailure();
    GdipDeleteMatrix(matrix);
    EXPECT_EQ(failuresSoFar(), 4);
    EXPECT_TRUE(lastSays("deleted a GDI+ object made by GdipCreateMatrix (GdipDeleteMatrix)")) << layer::lastFailure();
    GdiplusShutdown(token);  // ended twice
    EXPECT_EQ(failuresSoFar(), 5);
    EXPECT_TRUE(lastSays("no open GDI+ session")) << layer::lastFailure();

    EXPECT_EQ(layer::figures().moduleObjects, 0);
    GdiplusShutdown(hostToken);
    EXPECT_EQ(failuresSoFar(), 5);
    layer::setOnFailure(layer::OnFailure::Abort);
}

}  // namespace
