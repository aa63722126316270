// GDI+ calls that fail once: what was drawn or made while one failed is
// drawn or made again, and what keeps failing is asked for less and less.
// The session layer fails the chosen call, as GDI+ does when it runs out of
// memory.
#include <gtest/gtest.h>

#include "gauge/DrawingMemory.h"
#include "render/ColourScheme.h"
#include "render/RetryPacing.h"
#include "render/SharedGdiObjects.h"
#include "render/TextBlock.h"
#include "sim/GdiPlusSessionLayer.h"
#include "tests/support/TestSurface.h"
#include "views/AltitudeTags.h"
#include "views/FullCircleSweep.h"

namespace quillon {
namespace {

namespace layer = sim::gdiplus_layer;

// Fails the nth call of the function from now until the object goes.
class FailingCall {
public:
    explicit FailingCall(const char* function, int64_t nth = 1, bool keepFailing = false) {
        layer::startCounting(layer::FaultPlan{nth, layer::kStatusOutOfMemory, keepFailing, function});
    }
    ~FailingCall() { layer::stopCounting(); }
    FailingCall(const FailingCall&) = delete;
    FailingCall& operator=(const FailingCall&) = delete;
};

TEST(RetryPacing, WaitsOneChanceThenTwiceAsManyUpToTheLongestAndStartsOverAfterASuccess) {
    render::RetryPacing pacing;
    EXPECT_FALSE(pacing.waiting());
    auto chancesUntilDue = [&pacing] {
        int chances = 1;
        while (!pacing.due()) ++chances;
        return chances;
    };
    for (int expected : {1, 2, 4, 8, 16, 32, 64, 128, 256, 256, 256}) {
        pacing.failed();
        EXPECT_TRUE(pacing.waiting());
        EXPECT_EQ(chancesUntilDue(), expected);
    }
    pacing.succeeded();
    EXPECT_FALSE(pacing.waiting());
    EXPECT_FALSE(pacing.due());
    pacing.failed();
    EXPECT_EQ(chancesUntilDue(), 1);
}

// The tip turns by one matrix step per clock change: a step whose calls
// failed would leave it behind for good.
TEST(FullCircleSweepTip, ATurnWhoseCallFailedIsMadeAtTheNextStep) {
    testing::ensureGdiplusStarted();
    render::Matrix matrix;
    FullCircleSweep clean;
    for (double clock : {1.0, 2.0, 3.0}) stepFullCircleSweep(clean, clock, matrix);

    for (const char* function : {"GdipSetMatrixElements", "GdipRotateMatrix", "GdipTransformMatrixPoints"}) {
        FullCircleSweep sweep;
        stepFullCircleSweep(sweep, 1.0, matrix);
        const render::PointF before = sweep.tip;
        {
            FailingCall fails(function);
            stepFullCircleSweep(sweep, 2.0, matrix);
        }
        EXPECT_EQ(sweep.tip.X, before.X) << function;
        EXPECT_EQ(sweep.tip.Y, before.Y) << function;
        stepFullCircleSweep(sweep, 3.0, matrix);
        EXPECT_EQ(sweep.tip.X, clean.tip.X) << function;
        EXPECT_EQ(sweep.tip.Y, clean.tip.Y) << function;
        EXPECT_EQ(sweep.angle, clean.angle) << function;
    }
}

class TagAtlas : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureGdiplusStarted();
        render::createScheme(scheme, render::kGreenColours);
        ASSERT_TRUE(scheme.complete());
    }
    void TearDown() override {
        memory.releaseTextAtlases();
        scheme.release();
    }
    render::TextAtlasContent tags() {
        return altitudeTagAtlasContent(scheme, render::sharedStringFormat(render::SharedFormat::AltitudeTag));
    }
    render::ColourScheme scheme;
    DrawingMemory memory;
};

// A text the picture lacks would be missing from every tag that shows it.
TEST_F(TagAtlas, BuiltWhileACallFailedIsBuiltOnceMoreAtItsNextUse) {
    {
        FailingCall fails("GdipDrawString", 7);
        EXPECT_EQ(memory.textAtlas(tags(), 1.0f, 1.0f), nullptr);
        EXPECT_STREQ(layer::failedFunction(), "GdipDrawString");
    }
    const render::TextAtlas* again = memory.textAtlas(tags(), 1.0f, 1.0f);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->ready());
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kTextAtlases), 1u);
}

// Failing for good, it is tried twice, then the tags are drawn as text.
TEST_F(TagAtlas, ThatFailsTwiceIsNotBuiltAgain) {
    FailingCall fails("GdipDrawString", 1, true);
    for (int use = 0; use < 6; ++use) EXPECT_EQ(memory.textAtlas(tags(), 1.0f, 1.0f), nullptr);
    const int64_t afterTwoBuilds = layer::callsOfFailedFunctionSince();
    EXPECT_GT(afterTwoBuilds, 0);
    EXPECT_EQ(memory.textAtlas(tags(), 1.0f, 1.0f), nullptr);
    EXPECT_EQ(layer::callsOfFailedFunctionSince(), afterTwoBuilds);
}

// A block picture that lacks a text would show the gap until the text
// changes: it is built once more at its next use, and given up only after
// a second such build (the block is then drawn directly).
TEST_F(TagAtlas, BlockPictureBuiltWhileACallFailedIsBuiltOnceMoreAtItsNextUse) {
    testing::TestSurface surface(200, 200);
    render::TextBlock block;
    block.setStyle(*scheme.largeFont, render::sharedStringFormat(render::SharedFormat::FullBlock), *scheme.brightBrush,
                   scheme.colours.bright);
    block.add({u"BRG360", 1000.0f, 0.0f, gdip::kStringAlignmentFar, gdip::kStringAlignmentNear, -1, 0});
    block.add({u"FL350", 0.0f, 1000.0f, gdip::kStringAlignmentNear, gdip::kStringAlignmentFar, -1, 1});
    auto picture = [&] { return memory.blockTexts(&surface, nullptr, surface.graphics(), block, 0.2f, 0.2f); };
    EXPECT_EQ(picture(), nullptr);  // asked once: drawn directly
    {
        FailingCall fails("GdipDrawString", 2);
        EXPECT_EQ(picture(), nullptr);
    }
    ASSERT_NE(picture(), nullptr);
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBlockTexts), 1u);
    {
        FailingCall fails("GdipDrawString", 1, true);
        block.add({u"123", 0.0f, 500.0f, gdip::kStringAlignmentNear, gdip::kStringAlignmentNear, -1, 2});
        for (int use = 0; use < 3; ++use) EXPECT_EQ(picture(), nullptr);  // asked, built, built again
        const int64_t afterTwoBuilds = layer::callsOfFailedFunctionSince();
        EXPECT_GT(afterTwoBuilds, 0);
        EXPECT_EQ(picture(), nullptr);
        EXPECT_EQ(layer::callsOfFailedFunctionSince(), afterTwoBuilds);
    }
    memory.releaseBlockTexts();
}

// A shared object GDI+ did not give is asked for again, less often each time.
TEST(SharedGdiObjects, AMatrixNotGivenIsAskedForAgainAtLaterUses) {
    testing::ensureGdiplusStarted();
    render::releaseSharedGdiObjects();
    {
        FailingCall fails("GdipCreateMatrix", 1, true);
        for (int use = 0; use < 64; ++use)
            EXPECT_FALSE(render::sharedMatrix(render::SharedMatrix::FullCircleSweep).valid());
        // The first use and the six waits of 1, 2, 4, 8, 16, 32 uses that ran out.
        EXPECT_EQ(layer::callsOfFailedFunctionSince(), 6);
    }
    int uses = 1;
    while (!render::sharedMatrix(render::SharedMatrix::FullCircleSweep).valid() && uses < 256) ++uses;
    EXPECT_EQ(uses, 64);  // the next wait, of 64 uses
    render::releaseSharedGdiObjects();
}

// The targets' path lets its object go when it cannot be emptied: made
// again at its next use, or every later frame strokes line by line.
TEST(SharedGdiObjects, APathLetGoIsMadeAgainAtItsNextUse) {
    testing::ensureGdiplusStarted();
    render::releaseSharedGdiObjects();
    render::StrokePath& path = render::sharedPath(render::SharedPath::TargetLines);
    path.addLine(0.0f, 0.0f, 10.0f, 10.0f);
    {
        FailingCall fails("GdipResetPath");
        path.clear();
    }
    ASSERT_FALSE(path.valid());
    EXPECT_TRUE(render::sharedPath(render::SharedPath::TargetLines).valid());
    render::releaseSharedGdiObjects();
}

}  // namespace
}  // namespace quillon
