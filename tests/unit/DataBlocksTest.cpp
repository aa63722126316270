#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "gauge/DrawingMemory.h"
#include "render/GdiPlusTypes.h"
#include "views/DataBlocks.h"
#include "tests/support/FakePanel.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TestSurface.h"
#include "tests/support/ViewHarness.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::ScriptedTraffic;
using testing::TestSurface;

constexpr uint32_t kBackground = 0xff001400u;
constexpr uint32_t kBright = 0xff00ff00u;
constexpr int kNear = gdip::kStringAlignmentNear;
constexpr int kCentre = gdip::kStringAlignmentCenter;
constexpr int kFar = gdip::kStringAlignmentFar;

void addAircraft(ScriptedTraffic& traffic, host::ObjectId id, const std::string& atcId, const std::string& airline,
                 const std::string& flight, double altitude, double verticalSpeed, double groundSpeed) {
    traffic.add(id, atcId)
        .number("PLANE LATITUDE", "DEGREES", 0.1)
        .number("PLANE LONGITUDE", "DEGREES", 0.1)
        .number("PLANE ALTITUDE", "FEET", altitude)
        .number("INDICATED ALTITUDE", "FEET", altitude)
        .number("VELOCITY WORLD Y", "FEET PER MINUTE", verticalSpeed)
        .number("PLANE ALT ABOVE GROUND", "FEET", altitude)
        .number("GROUND VELOCITY", "KNOTS", groundSpeed)
        .text("ATC ID", atcId)
        .text("ATC AIRLINE", airline)
        .text("ATC FLIGHT NUMBER", flight);
}

void offerTwoAircraft(FakePanel& panel, ScriptedTraffic& traffic) {
    panel.offerTrafficInfo(&traffic);
    panel.setClock(50.0);
    addAircraft(traffic, 1, "OWN", "", "", 0.0, 0.0, 0.0);
    addAircraft(traffic, 2, "G-ABCD", "Speedbird", "123", 35049.0, -1299.0, 251.7);
}

// Draws the data block of a gauge variant over scripted traffic and checks
// each text against the same text drawn alone at its expected place.
template <typename Variant>
class DataBlockTest : public ::testing::Test {
protected:
    DataBlockTest() {
        offerTwoAircraft(panel_, traffic_);
        harness_ = std::make_unique<testing::ViewHarness<Variant>>(surface_);
    }

    void drawBlock(int32_t drawn = 1, int32_t index = 1, float distanceNm = 12.34f, float bearingDeg = 359.6f) {
        harness_->loadTraffic();
        harness_->clearSurface();
        harness_->setSelectionRecord(drawn, index, distanceNm, bearingDeg);
        harness_->gauge().drawDataBlock();
    }

    // The text drawn alone on a clean surface with the block's font, brush
    // and the given alignments must appear pixel for pixel in the block.
    void expectTextAt(const std::u16string& text, float x, float y, int lineAlignment, int alignment) {
        TestSurface reference;
        reference.clear(kBackground);
        reference.graphics().setSmoothingMode(gdip::kSmoothingModeAntiAlias);
        render::StringFormat format(0, 0);
        format.setLineAlignment(lineAlignment);
        format.setAlignment(alignment);
        const render::ColourScheme& scheme = harness_->colours();
        reference.graphics().drawText(text.c_str(), -1, *scheme.largeFont, x, y, &format, scheme.brightBrush.get());

        TestSurface::Bounds ink{};
        ASSERT_TRUE(reference.inkBounds(0, 0, 1000, 1000, kBright, ink, 120)) << "reference shows nothing";
        int differing = 0;
        for (int py = std::max(0, static_cast<int>(ink.top) - 3); py < std::min(1000, static_cast<int>(ink.bottom) + 3);
             ++py) {
            for (int px = std::max(0, static_cast<int>(ink.left) - 3);
                 px < std::min(1000, static_cast<int>(ink.right) + 3); ++px) {
                const uint32_t want = reference.pixel(px, py);
                const uint32_t got = surface_.pixel(px, py);
                if (std::abs(static_cast<int>((want >> 8) & 0xff) - static_cast<int>((got >> 8) & 0xff)) > 8)
                    ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << "text differs from what is drawn at " << x << "," << y;
    }

    int brightPixels() const { return surface_.countColour(0, 0, 999, 999, kBright, 120); }

    FakePanel panel_;
    ScriptedTraffic traffic_;
    TestSurface surface_;
    std::unique_ptr<testing::ViewHarness<Variant>> harness_;
};

using CompactBlock = DataBlockTest<CircularGreenGauge>;
using FullBlock = DataBlockTest<RectangularGreenGauge>;

TEST_F(CompactBlock, DistanceAtTheTopAndAltitudeAtTheBottom) {
    drawBlock();
    expectTextAt(u"12.3NM", 500.0f, 40.0f, kNear, kCentre);
    expectTextAt(u"FL350", 500.0f, 960.0f, kFar, kCentre);
}

TEST_F(CompactBlock, GridModeShowsGroundSpeedInsteadOfAltitude) {
    harness_->setMode(kGridView);
    drawBlock();
    expectTextAt(u"251KTS", 500.0f, 960.0f, kFar, kCentre);
}

TEST_F(CompactBlock, GridModeInLimitedModeShowsTheSpeedTheListHolds) {
    traffic_.setLimitedMode(1);
    harness_->setMode(kGridView);
    drawBlock(1, 0);
    // The list holds its placeholder speed for every aircraft in limited mode.
    char16_t expected[20];
    const double placeholder = harness_->list().item(0)->groundSpeed();
    const std::string narrow = std::to_string(static_cast<int>(placeholder)) + "KTS";
    for (size_t i = 0; i <= narrow.size(); ++i) expected[i] = static_cast<char16_t>(narrow.c_str()[i]);
    expectTextAt(expected, 500.0f, 960.0f, kFar, kCentre);
}

TEST_F(CompactBlock, NothingWhenTheSelectedTargetWasNotDrawn) {
    drawBlock(0);
    EXPECT_EQ(brightPixels(), 0);
}

TEST_F(FullBlock, SevenTextsInTheFourCorners) {
    drawBlock();
    const float line = harness_->lineHeight();
    EXPECT_FLOAT_EQ(line, 48.0f);
    expectTextAt(u"-1200FT/M", 0.0f, 0.0f, kNear, kNear);
    expectTextAt(u"FL350", 0.0f, line, kNear, kNear);
    expectTextAt(u"BRG360\u00B0", 1000.0f, 0.0f, kNear, kFar);
    expectTextAt(u"12.3NM", 1000.0f, line, kNear, kFar);
    expectTextAt(u"G-ABCD", 0.0f, 1000.0f - line, kFar, kNear);
    expectTextAt(u"Speedbird", 0.0f, 1000.0f, kFar, kNear);
    expectTextAt(u"251KTS", 1000.0f, 1000.0f, kFar, kFar);
}

TEST_F(FullBlock, FlightNumberFollowsTheMeasuredAirline) {
    drawBlock();
    const render::ColourScheme& scheme = harness_->colours();
    TestSurface measuring;
    const render::RectF airline = measuring.graphics().measureText(u"Speedbird", -1, *scheme.largeFont, 0, 1000);
    EXPECT_GT(airline.Width, 100.0f);
    expectTextAt(u"123", airline.X + airline.Width, 1000.0f, kFar, kNear);
}

TEST_F(FullBlock, EmptyAirlineStartsTheFlightNumberAtItsMeasuredWidth) {
    traffic_.objects()[1].text("ATC AIRLINE", "");
    drawBlock();
    const render::ColourScheme& scheme = harness_->colours();
    TestSurface measuring;
    const render::RectF empty = measuring.graphics().measureText(u"", -1, *scheme.largeFont, 0, 1000);
    expectTextAt(u"123", empty.X + empty.Width, 1000.0f, kFar, kNear);
}

// The kept picture serves while the texts stay; changed texts are drawn
// directly, and into a picture again once they show the same twice.
TEST_F(FullBlock, PictureIsMadeAgainOnlyWhenATextChangesAndStays) {
    DrawingMemory& memory = drawingMemory();
    const uint64_t before = memory.picturesMade(DrawingMemory::kBlockTexts);
    for (float distanceNm : {12.34f, 12.31f, 12.33f})  // the same texts
        drawBlock(1, 1, distanceNm);
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBlockTexts), before + 1);
    for (float distanceNm : {12.44f, 12.54f, 12.64f})  // a change at every frame
        drawBlock(1, 1, distanceNm);
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBlockTexts), before + 1);
    expectTextAt(u"12.6NM", 1000.0f, harness_->lineHeight(), kNear, kFar);
    drawBlock(1, 1, 12.64f);
    EXPECT_EQ(memory.picturesMade(DrawingMemory::kBlockTexts), before + 2);
    expectTextAt(u"12.6NM", 1000.0f, harness_->lineHeight(), kNear, kFar);
}

TEST_F(FullBlock, LimitedModeHidesTheGroundSpeed) {
    traffic_.setLimitedMode(1);
    drawBlock(1, 1);
    expectTextAt(u"---KTS", 1000.0f, 1000.0f, kFar, kFar);
}

TEST_F(FullBlock, FullBlockShowsAltitudeWhateverTheMode) {
    harness_->setMode(kGridView);
    drawBlock(1, 1, 5.0f, 0.4f);
    expectTextAt(u"FL350", 0.0f, harness_->lineHeight(), kNear, kNear);
    expectTextAt(u"BRG0\u00B0", 1000.0f, 0.0f, kNear, kFar);
    expectTextAt(u"5.0NM", 1000.0f, harness_->lineHeight(), kNear, kFar);
}

TEST_F(FullBlock, NothingWhenTheSelectedTargetWasNotDrawn) {
    drawBlock(0);
    EXPECT_EQ(brightPixels(), 0);
}

TEST_F(FullBlock, UnusableHostNumbersStillGiveWholeTexts) {
    traffic_.objects()[1]
        .number("INDICATED ALTITUDE", "FEET", std::numeric_limits<double>::quiet_NaN())
        .number("VELOCITY WORLD Y", "FEET PER MINUTE", std::numeric_limits<double>::infinity())
        .number("GROUND VELOCITY", "KNOTS", -1e300);
    drawBlock(1, 1, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN());
    expectTextAt(u"0FT", 0.0f, harness_->lineHeight(), kNear, kNear);
    expectTextAt(u"-2147483648KTS", 1000.0f, 1000.0f, kFar, kFar);
    expectTextAt(u"infNM", 1000.0f, harness_->lineHeight(), kNear, kFar);
}

// The gauge copies its block from a picture drawn once; drawn directly, the
// same block must give the same pixels but for one rounding: the copy blends
// the picture's premultiplied pixels where the drawing blended the brush, at
// most one level of a channel. The picture keeps each text's fraction of a
// pixel, which odd surface sizes vary; anything placed otherwise would
// differ by far more along every glyph edge.
template <typename Variant, typename Block>
void expectCopiedBlockAsDrawn(int width, int height, int32_t mode) {
    FakePanel panel;
    ScriptedTraffic traffic;
    offerTwoAircraft(panel, traffic);
    TestSurface copied(width, height);
    testing::ViewHarness<Variant> harness(copied);
    harness.setMode(mode);
    harness.loadTraffic();
    harness.setSelectionRecord(1, 1, 12.34f, 359.6f);
    const uint64_t madeBefore = drawingMemory().picturesMade(DrawingMemory::kBlockTexts);
    for (int frame = 0; frame < 2; ++frame) {  // the second frame copies the picture the first one made
        harness.clearSurface();
        harness.gauge().drawDataBlock();
    }
    EXPECT_EQ(drawingMemory().picturesMade(DrawingMemory::kBlockTexts), madeBefore + 1);

    TestSurface drawn(width, height);
    drawn.clear(harness.colours().backgroundColour);
    render::TextBlock block;
    Block().layOut(harness.colours(), SelectedTarget{*harness.list().item(1), 12.34f, 359.6f, false, mode}, block);
    render::drawTextBlock(drawn.graphics(), block);

    int differing = 0;
    int largest = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t a = copied.pixel(x, y);
            const uint32_t b = drawn.pixel(x, y);
            for (int shift = 0; shift < 24; shift += 8)
                largest = std::max(largest, std::abs(static_cast<int>((a >> shift) & 0xff) -
                                                     static_cast<int>((b >> shift) & 0xff)));
            differing += a != b ? 1 : 0;
        }
    }
    EXPECT_LE(largest, 1) << width << " x " << height << ", " << differing << " pixels differ";
    EXPECT_GT(drawn.countColour(0, 0, 999, 999, harness.colours().colours.bright, 120), 50) << "nothing drawn";
}

TEST(BlockPicture, CopiesLookAsDrawnAtOddSizesInBothSchemes) {
    struct Size {
        int width;
        int height;
    };
    for (const Size size : {Size{1000, 1000}, Size{517, 517}, Size{333, 271}, Size{150, 190}}) {
        expectCopiedBlockAsDrawn<RectangularAmberGauge, FullDataBlock>(size.width, size.height, kFullCircleView);
        expectCopiedBlockAsDrawn<RectangularGreenGauge, FullDataBlock>(size.width, size.height, kGridView);
        expectCopiedBlockAsDrawn<CircularAmberGauge, CompactDataBlock>(size.width, size.height, kForwardArcView);
        expectCopiedBlockAsDrawn<CircularGreenGauge, CompactDataBlock>(size.width, size.height, kGridView);
    }
}

}  // namespace
}  // namespace quillon
