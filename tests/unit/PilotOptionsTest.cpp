// The pilots' options (altitude tags, traffic filter) and what the hit test
// may take: only targets the last frame of the current view drew.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/FakePanel.h"
#include "tests/support/RadarGaugeProbe.h"
#include "tests/support/ScriptedTraffic.h"
#include "tests/support/TargetPlacement.h"
#include "tests/support/TestSurface.h"
#include "tests/support/ViewHarness.h"
#include "render/ColourScheme.h"
#include "module/PanelTableCalls.h"
#include "render/SharedGdiObjects.h"
#include "gauge/DrawingMemory.h"
#include "render/TextAtlas.h"
#include "views/AltitudeTags.h"
#include "views/FullCircleSweep.h"
#include "views/RingLabels.h"
#include "views/TagLayout.h"
#include "views/TextFormats.h"
#include "views/TrafficFilter.h"

namespace quillon {
namespace {

using testing::FakePanel;
using testing::placeTarget;
using testing::ScriptedTraffic;
using testing::TestSurface;
using Gauge = testing::ViewHarness<RectangularGreenGauge>;

constexpr uint32_t kDim = 0xff008200u;
constexpr uint32_t kBright = 0xff00ff00u;
constexpr double kClock = 100.0;

std::string tagOf(double relativeFeet) {
    int32_t hundreds = 0;
    if (!altitudeTagHundreds(relativeFeet, hundreds)) return "none";
    char16_t text[kAltitudeTagCapacity];
    formatAltitudeTag(hundreds, text, kAltitudeTagCapacity);
    std::string narrow;
    for (const char16_t* c = text; *c != 0; ++c) narrow.push_back(static_cast<char>(*c));
    return narrow;
}

TEST(AltitudeTagTexts, NearestHundredSignedTwoDigitsCapped) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double feet;
        const char* tag;
    } cases[] = {{500.0, "+05"},   {-1200.0, "-12"}, {49.0, "00"},     {50.0, "00"},    {-50.0, "00"},
                 {50.5, "+01"},    {-149.0, "-01"},  {151.0, "+02"},   {9949.0, "+99"}, {25000.0, "+99"},
                 {-1e300, "-99"},  {inf, "+99"},     {-inf, "-99"},    {std::nan(""), "none"}};
    for (const auto& c : cases) EXPECT_EQ(tagOf(c.feet), c.tag) << c.feet;

    EXPECT_EQ(climbArrowDirection(499.0), 0);
    EXPECT_EQ(climbArrowDirection(500.0), 1);
    EXPECT_EQ(climbArrowDirection(-500.0), -1);
    EXPECT_EQ(climbArrowDirection(std::nan("")), 0);
}

TEST(TrafficFilterBands, EachBandIncludesItsLimits) {
    const struct {
        int32_t filter;
        int32_t aboveGround;
        double relative;
        bool hidden;
    } cases[] = {
        {kShowAllTraffic, 0, 50000.0, false}, {99, 0, 50000.0, false},  {-1, 0, 0.0, false},
        {kAirborneOnly, 100, 0.0, true},      {kAirborneOnly, 101, 50000.0, false},
        {kNormalBand, 101, 2700.0, false},    {kNormalBand, 101, -2700.0, false},
        {kNormalBand, 101, 2700.5, true},     {kNormalBand, 101, -2700.5, true},
        {kNormalBand, 100, 0.0, true},        {kNormalBand, 101, std::nan(""), true},
        {kAboveBand, 101, 9900.0, false},     {kAboveBand, 101, -2700.0, false},
        {kAboveBand, 101, 9900.5, true},      {kAboveBand, 101, -2700.5, true},
        {kBelowBand, 101, -9900.0, false},    {kBelowBand, 101, 2700.0, false},
        {kBelowBand, 101, -9900.5, true},     {kBelowBand, 101, 2700.5, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filterHides(c.filter, c.aboveGround, c.relative), c.hidden)
            << "filter " << c.filter << " agl " << c.aboveGround << " relative " << c.relative;
}

// Pixel bounds of everything not the background in a pixel rectangle.
struct PixelBounds {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
PixelBounds inkOf(const TestSurface& surface, int left, int top, int right, int bottom, uint32_t background) {
    PixelBounds b;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (surface.pixel(x, y) != background) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// The arrows copied from the atlas against the same arrows stroked, at
// surface sizes with odd and even pen widths in pixels and at points
// between pixels: whole, in place within the half-pixel snap, and in the
// same colour.
TEST(AltitudeTagAtlas, CopiedArrowsCoverWhatTheStrokeWould) {
    testing::ensureGdiplusStarted();
    render::ColourScheme scheme;
    render::createScheme(scheme, render::kGreenColours);
    ASSERT_TRUE(scheme.complete());
    render::StringFormat& format = render::sharedStringFormat(render::SharedFormat::AltitudeTag);
    const render::TextAtlasContent tags = altitudeTagAtlasContent(scheme, format);
    const uint32_t background = scheme.backgroundColour;
    for (int pixels : {128, 300, 512, 1024}) {
        const float scale = pixels * 0.001f;
        const render::TextAtlas* atlas = drawingMemory().textAtlas(tags, scale, scale);
        ASSERT_NE(atlas, nullptr) << pixels;
        ASSERT_TRUE(atlas->hasDrawings());
        for (float offset : {0.0f, 0.3f, 0.5f, 0.8f}) {
            for (double climb : {600.0, -600.0}) {
                for (bool bright : {false, true}) {
                    TestSurface stroked(pixels, pixels), copied(pixels, pixels);
                    // As a scope draws: from its origin, aircraft 30 units left and
                    // 100 above it, the fraction of a pixel further on.
                    const float x = -30.0f + offset / scale, y = -100.0f + offset / scale;
                    for (TestSurface* surface : {&stroked, &copied}) {
                        surface->clear(background);
                        surface->graphics().translateWorldTransform(500.0f, 500.0f);
                        surface->graphics().setSmoothingMode(gdip::kSmoothingModeAntiAlias);
                        const TagStyle style{scheme.smallFont.get(),  &format, scheme.dimBrush.get(),
                                             scheme.brightBrush.get(), false,  surface == &copied ? atlas : nullptr,
                                             500.0f,                  500.0f};
                        const render::Pen& pen = bright ? *scheme.brightPen : *scheme.dimPen;
                        drawAltitudeTag(surface->graphics(), style, bright, pen, x, y, 0.0, climb);
                    }
                    // Right of the symbol, clear of the tag above it.
                    const int left = static_cast<int>(475.0f * scale), right = static_cast<int>(505.0f * scale);
                    const int top = static_cast<int>(380.0f * scale), bottom = static_cast<int>(420.0f * scale) + 1;
                    const PixelBounds a = inkOf(stroked, left, top, right, bottom, background);
                    const PixelBounds b = inkOf(copied, left, top, right, bottom, background);
                    const std::string where = std::to_string(pixels) + " px, offset " + std::to_string(offset) +
                                              (climb > 0 ? ", climb" : ", descent") + (bright ? ", bright" : ", dim");
                    ASSERT_GE(a.right, 0) << where;
                    EXPECT_LE(std::abs(a.left - b.left), 1) << where;
                    EXPECT_LE(std::abs(a.right - b.right), 1) << where;
                    EXPECT_LE(std::abs(a.top - b.top), 1) << where;
                    EXPECT_LE(std::abs(a.bottom - b.bottom), 1) << where;
                    // The shaft's middle in the pen's own colour where it is a pixel or more wide.
                    if (pixels >= 512) {
                        const int shaftY = static_cast<int>((400.0f + offset / scale) * scale);
                        const uint32_t colour = bright ? scheme.colours.bright : scheme.colours.dim;
                        bool found = false;
                        for (int px = b.left; px <= b.right; ++px) found = found || copied.pixel(px, shaftY) == colour;
                        EXPECT_TRUE(found) << where;
                    }
                }
            }
        }
    }
    drawingMemory().releaseTextAtlases();
    scheme.release();
}

// A gauge drawing on a test surface over four scripted aircraft after the
// own one, set directly in their slots; the options come through the panel.
class PilotOptions : public ::testing::Test {
protected:
    PilotOptions() {
        testing::ensureGdiplusStarted();
        RadarGaugeProbe::forgetNamedVariableRegistration();
        for (host::ObjectId id = 100; id <= 104; ++id) traffic.add(id);
        panel.offerTrafficInfo(&traffic);
        panel.setClock(kClock);
        harness = std::make_unique<Gauge>(surface);
        harness->loadTraffic();
        for (int i = 1; i <= 4; ++i) {
            target(i).setAtcId(("N" + std::to_string(i)).c_str());
            placeTarget(target(i), 180.0, 30.0, 0.0);  // out of the way
        }
        gauge().syncVariables();  // registers
        fullCircleSweep() = FullCircleSweep{};
        fullCircleSweep().lastTime = kClock;  // no step: the window covers bearings 85 to 90
    }

    void setOptions(double tags, double filter) {
        panel.setNamedVariable("Radar Altitude Tags", tags);
        panel.setNamedVariable("Radar Filter", filter);
        gauge().syncVariables();
    }
    void drawFullCircle() {
        harness->clearSurface();
        gauge().drawFullCircleView();
    }
    void click(float x, float y) {
        const LogicalPoint point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
        gauge().onClick(&point);
    }
    RadarGauge& gauge() { return harness->gauge(); }
    TrafficTarget& target(int index) { return *harness->list().item(index); }
    int ink(float left, float top, float right, float bottom, uint32_t colour) const {
        return surface.countColour(left, top, right, bottom, colour);
    }

    FakePanel panel;
    ScriptedTraffic traffic;
    TestSurface surface;
    std::unique_ptr<Gauge> harness;
};

// 10 NM of 40 is 118.75 units from the centre.
constexpr float kNorthY = 500.0f - 118.75f;
constexpr float kWestX = 500.0f - 118.75f;

TEST_F(PilotOptions, TagsSitAboveOrBelowInTheSymbolsColourWithArrowsForBriskClimbs) {
    panel.setModuleVariable(host::kVarOwnAltitudeMetres, 1000.0);
    const double ownFeet = 1000.0 * 3.2808;
    placeTarget(target(1), 0.0, 10.0, ownFeet + 500.0);     // +05, climbing
    target(1).setVerticalSpeed(600.0);
    placeTarget(target(2), 270.0, 10.0, ownFeet - 1200.0);  // -12, descending too slowly for an arrow
    target(2).setVerticalSpeed(-499.0);
    struct Region {
        float left, top, right, bottom;
    };
    const Region aboveNorth{460, kNorthY - 75, 540, kNorthY - 27}, belowNorth{460, kNorthY + 27, 540, kNorthY + 75};
    const Region aboveWest{kWestX - 40, 425, kWestX + 40, 473}, belowWest{kWestX - 40, 527, kWestX + 40, 575};
    const Region arrowNorth{515, kNorthY - 10, 521, kNorthY + 10}, arrowWest{kWestX + 15, 490, kWestX + 21, 510};
    const Region all[] = {aboveNorth, belowNorth, aboveWest, belowWest, arrowNorth, arrowWest};
    // What the tags add to the picture drawn without them (rings, spokes and
    // labels share the dim colour).
    int before[6][2];
    drawFullCircle();
    for (int r = 0; r < 6; ++r) {
        before[r][0] = ink(all[r].left, all[r].top, all[r].right, all[r].bottom, kDim);
        before[r][1] = ink(all[r].left, all[r].top, all[r].right, all[r].bottom, kBright);
    }
    auto added = [&](int r, uint32_t colour) {
        return ink(all[r].left, all[r].top, all[r].right, all[r].bottom, colour) - before[r][colour == kDim ? 0 : 1];
    };
    setOptions(1.0, 0.0);
    drawFullCircle();
    surface.savePng(::testing::TempDir() + "/altitude_tags.png");

    EXPECT_GT(added(0, kDim), 20) << "above the aircraft above";
    EXPECT_EQ(added(1, kDim), 0);
    EXPECT_EQ(added(0, kBright), 0) << "the symbol is dim, so is its tag";
    EXPECT_GT(added(4, kDim), 5) << "the arrow right of the climbing aircraft";
    EXPECT_GT(added(3, kDim), 20) << "below the aircraft below";
    EXPECT_EQ(added(2, kDim), 0);
    EXPECT_EQ(added(5, kDim), 0) << "no arrow under 500 ft/min";

    // Limited traffic has no vertical speed: no arrow, the tag stays.
    traffic.setLimitedMode(1);
    drawFullCircle();
    EXPECT_EQ(added(4, kDim), 0);
    EXPECT_GT(added(0, kDim), 20);
}

TEST_F(PilotOptions, AHiddenSelectedAircraftLosesItsBoxAndTakesNoClick) {
    placeTarget(target(1), 0.0, 10.0, 3000.0);  // own altitude 0: 3,000 ft above
    drawFullCircle();
    click(500.0f, kNorthY);
    ASSERT_STREQ(gauge().selectedAtcId(), "N1");
    drawFullCircle();
    ASSERT_EQ(gauge().selectedDrawn(), 1);

    const int withBox = ink(470, kNorthY - 30, 530, kNorthY + 30, kDim);
    setOptions(0.0, kNormalBand);
    drawFullCircle();
    EXPECT_EQ(gauge().selectedDrawn(), 0);
    EXPECT_LT(ink(470, kNorthY - 30, 530, kNorthY + 30, kDim), withBox - 100) << "neither cross nor box";
    click(500.0f, kNorthY);
    EXPECT_EQ(gauge().selectedIndex(), kNoSelection);

    setOptions(0.0, kAboveBand);  // 9,900 ft above at most: shown again
    drawFullCircle();
    click(500.0f, kNorthY);
    EXPECT_STREQ(gauge().selectedAtcId(), "N1");
}

TEST_F(PilotOptions, OnlyTargetsTheLastFrameOfTheCurrentViewDrewTakeClicks) {
    // Drawn in the full circle, then the panel switches to the forward arc:
    // until the arc draws, the circle's points are stale.
    placeTarget(target(1), 0.0, 10.0, 3000.0);
    drawFullCircle();
    harness->setMode(kForwardArcView);
    click(500.0f, kNorthY);
    EXPECT_EQ(gauge().selectedIndex(), kNoSelection);

    // The grid stores the point of a target beyond its 20 degrees but does
    // not draw it: a click there finds nothing.
    panel.setModuleVariable(host::kVarOwnHeading, 0.0);
    placeTarget(target(2), 30.0, 10.0, 0.0);
    harness->setMode(kGridView);
    gauge().drawGridView();
    const PlotPosition beyond = gauge().plotPosition(2);
    ASSERT_NEAR(beyond.x, 600.0f, 1.0f);
    click(500.0f + beyond.x, 500.0f + beyond.y);
    EXPECT_EQ(gauge().selectedIndex(), kNoSelection);
    placeTarget(target(2), 10.0, 10.0, 0.0);
    gauge().drawGridView();
    click(500.0f + gauge().plotPosition(2).x, 500.0f + gauge().plotPosition(2).y);
    EXPECT_STREQ(gauge().selectedAtcId(), "N2");
}

// A text's ink as the drawing library lays it out at the anchor, in the
// logical space: drawn alone on a surface like the gauge's.
struct DrawnText {
    TestSurface::Bounds ink;
    std::string what;
};

bool inkOverlaps(const TestSurface::Bounds& a, const TestSurface::Bounds& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TestSurface::Bounds inkOf(TestSurface& alone, const render::Font& font, const char16_t* text, float x, float y,
                          int alignment, int lineAlignment) {
    alone.clear(0xff000000u);
    alone.graphics().setSmoothingMode(gdip::kSmoothingModeAntiAlias);
    render::StringFormat format(0, 0);
    format.setAlignment(alignment);
    format.setLineAlignment(lineAlignment);
    render::SolidBrush white(0xffffffffu);
    alone.graphics().drawText(text, -1, font, x, y, &format, &white);
    TestSurface::Bounds ink{};
    alone.inkBounds(0.0f, 0.0f, 1000.0f, 1000.0f, 0xffffffffu, ink, 250);
    return ink;
}

// No text over text: in a crowded picture (aircraft at the ring labels, at
// each other, one selected so that its block shows) the ink of every tag the
// frame placed lies clear of the ring labels', the data block's and the
// other tags', in all three views, with the pilot's tags on and off; with
// alerts on the advisory's tag is there whatever the tags say.
TEST_F(PilotOptions, NoTagLiesOverARingLabelTheDataBlockOrAnotherTag) {
    panel.setModuleVariable(host::kVarOwnAltitudeMetres, 1000.0);
    const double ownFeet = 1000.0 * 3.2808;
    placeTarget(target(0), 0.0, 0.0, ownFeet, 3000);     // the own aircraft, as the host lists it
    placeTarget(target(1), 0.0, 0.3, ownFeet + 300.0);   // an advisory, within DMOD
    placeTarget(target(2), 0.0, 2.2, ownFeet + 300.0);   // its tag above would cover "2.50"
    placeTarget(target(3), 2.0, 2.25, ownFeet - 400.0);  // crowding the one before
    placeTarget(target(4), 10.0, 4.8, ownFeet + 900.0);  // at "5", selected
    harness->setRange(10.0f);
    harness->select(4, "N4");
    const render::ColourScheme& scheme = harness->colours();
    TestSurface size(surface.width(), surface.height());
    for (const double alerts : {0.0, 1.0}) {
        for (const double tags : {0.0, 1.0}) {
            panel.setNamedVariable("Radar Alerts", alerts);
            setOptions(tags, 0.0);
            harness->classify(kClock - 1.0);
            harness->classify(kClock);
            for (const int32_t mode : {kFullCircleView, kForwardArcView, kGridView}) {
                const std::string where = "alerts " + std::to_string(alerts) + " tags " + std::to_string(tags) +
                                          " mode " + std::to_string(mode);
                harness->setMode(mode);
                harness->clearSurface();
                if (mode == kFullCircleView) gauge().drawFullCircleView();
                if (mode == kForwardArcView) gauge().drawForwardArcView();
                if (mode == kGridView) gauge().drawGridView();
                ViewOrigin origin{};
                ASSERT_TRUE(viewOriginOf(mode, origin));

                std::vector<DrawnText> fixed;
                const float spacing = mode == kFullCircleView ? kFullCircleRadius / 4 : kForwardArcRadius / 4;
                for (int ring = 1; mode != kGridView && ring <= 4; ++ring) {
                    char16_t label[kRingLabelCapacity];
                    formatRingLabel(ringLabelValue(static_cast<float>(ring), 10.0f), label, kRingLabelCapacity);
                    fixed.push_back({inkOf(size, *scheme.smallFont, label, origin.x, origin.y - spacing * ring,
                                           gdip::kStringAlignmentCenter, gdip::kStringAlignmentNear),
                                     "ring label " + std::to_string(ring)});
                }
                render::TextBlock block;
                ASSERT_TRUE(harness->layOutBlock(block));
                std::vector<float> ends;
                for (int i = 0; i < block.count(); ++i) {
                    const render::PlacedText& text = block.text(i);
                    const render::RectF bounds = surface.graphics().measureText(text.text, -1, *scheme.largeFont, 0, 0);
                    const bool follows = text.follows >= 0;
                    const float x = follows ? ends[text.follows] : text.x;
                    const int alignment = follows ? gdip::kStringAlignmentNear : text.alignment;
                    ends.push_back(alignment == gdip::kStringAlignmentNear ? x + bounds.Width : x);
                    fixed.push_back({inkOf(size, *scheme.largeFont, text.text, x, text.y, alignment, text.lineAlignment),
                                     "block text " + std::to_string(i)});
                }

                const TagLayout& layout = frameTagLayout();
                std::vector<DrawnText> drawnTags;
                bool advisoryTagged = false;
                for (int i = 0; i < layout.placedCount(); ++i) {
                    const PlacedTag& tag = layout.placed(i);
                    char16_t text[kAltitudeTagCapacity];
                    formatAltitudeTag(tag.hundreds, text, kAltitudeTagCapacity);
                    drawnTags.push_back({inkOf(size, *scheme.smallFont, text, tag.centreX + origin.x,
                                               tag.textTop + origin.y, gdip::kStringAlignmentCenter,
                                               gdip::kStringAlignmentNear),
                                         "tag " + std::to_string(tag.hundreds)});
                    advisoryTagged = advisoryTagged || tag.urgency == TagUrgency::kAdvisory;
                }
                if (alerts == 1.0) EXPECT_TRUE(advisoryTagged) << where;
                if (alerts == 0.0 && (tags == 0.0 || mode == kGridView)) EXPECT_EQ(layout.placedCount(), 0) << where;
                if (alerts == 0.0 && tags == 1.0 && mode != kGridView) EXPECT_GE(layout.placedCount(), 2) << where;
                for (size_t t = 0; t < drawnTags.size(); ++t) {
                    for (const DrawnText& other : fixed)
                        EXPECT_FALSE(inkOverlaps(drawnTags[t].ink, other.ink))
                            << where << ": " << drawnTags[t].what << " over " << other.what;
                    for (size_t u = t + 1; u < drawnTags.size(); ++u)
                        EXPECT_FALSE(inkOverlaps(drawnTags[t].ink, drawnTags[u].ink))
                            << where << ": " << drawnTags[t].what << " over " << drawnTags[u].what;
                }
            }
        }
    }
}

// Auto range widens the range only while "Radar Auto Range" is 1 and alerts
// are on: by doubling from the pilot's up to 320 NM, as far as the farthest
// advisory needs; any other value, or one that is not a number, keeps the
// pilot's range. "Radar Range" is never written.
TEST_F(PilotOptions, AutoRangeDoublesForTheFarthestAdvisoryOnlyWhenAskedFor) {
    panel.setModuleVariable(host::kVarOwnAltitudeMetres, 1000.0);
    const double ownFeet = 1000.0 * 3.2808;
    panel.setNamedVariable("Radar Range", 5.0);
    const auto shownAfter = [&](double alerts, double autoRange, double fromNm, double toNm) {
        panel.setNamedVariable("Radar Alerts", alerts);
        panel.setNamedVariable("Radar Auto Range", autoRange);
        gauge().syncVariables();
        placeTarget(target(0), 0.0, 0.0, ownFeet, 3000);  // the own aircraft; level 4: tau 30 s
        target(1).setAtcId("N1");  // the range change read the host's list afresh
        placeTarget(target(1), 0.0, fromNm, ownFeet + 300.0);
        harness->classify(kClock - 1.0);
        placeTarget(target(1), 0.0, toNm, ownFeet + 300.0);  // closing: within tau of DMOD
        harness->classify(kClock);
        harness->followAutoRange(kClock);
        const float shown = gauge().shownRangeNm();
        panel.setNamedVariable("Radar Auto Range", 0.0);  // the next case starts from the pilot's range
        gauge().syncVariables();
        harness->followAutoRange(kClock);
        return shown;
    };
    EXPECT_EQ(shownAfter(1.0, 1.0, 6.0, 5.8), 10.0f);
    EXPECT_EQ(shownAfter(1.0, 1.0, 31.0, 30.0), 40.0f);
    EXPECT_EQ(shownAfter(1.0, 1.0, 4.6, 4.5), 5.0f) << "within the pilot's range";
    EXPECT_EQ(shownAfter(0.0, 1.0, 6.0, 5.8), 5.0f) << "without alerts";
    for (const double hostile : {std::nan(""), 1e30, -1.0, 0.5, 2.0, -1e30})
        EXPECT_EQ(shownAfter(1.0, hostile, 6.0, 5.8), 5.0f) << hostile;
    EXPECT_EQ(panel.namedVariable("Radar Range"), 5.0);
}

}  // namespace
}  // namespace quillon
