#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "views/TextFormats.h"

namespace quillon {
namespace {

constexpr size_t kBlockBuffer = 20;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

template <typename Format, typename Value>
std::u16string textOf(Format format, Value value, size_t capacity = kBlockBuffer) {
    char16_t buffer[64];
    for (auto& c : buffer) c = u'#';
    const size_t length = format(value, buffer, capacity);
    EXPECT_EQ(buffer[length], u'\0');
    EXPECT_LT(length, capacity);
    // Nothing is written past the buffer's end.
    for (size_t i = capacity; i < 64; ++i) EXPECT_EQ(buffer[i], u'#') << "overrun at " << i;
    return std::u16string(buffer, length);
}

TEST(AltitudeText, CutsToHundredsAndSwitchesToFlightLevelsAt18000) {
    EXPECT_EQ(textOf(formatAltitudeText, 17999.0), u"17900FT");
    EXPECT_EQ(textOf(formatAltitudeText, 18000.0), u"FL180");
    EXPECT_EQ(textOf(formatAltitudeText, 35049.0), u"FL350");
    EXPECT_EQ(textOf(formatAltitudeText, 100000.0), u"FL1000");
    EXPECT_EQ(textOf(formatAltitudeText, 550.0), u"500FT");
    EXPECT_EQ(textOf(formatAltitudeText, 50.0), u"0FT");
    EXPECT_EQ(textOf(formatAltitudeText, -150.0), u"-100FT");
    EXPECT_EQ(textOf(formatAltitudeText, 1000.0), u"1000FT");
}

TEST(AltitudeText, UnusableHostValuesGiveWholeTextsWithinTheBuffer) {
    EXPECT_EQ(textOf(formatAltitudeText, kNaN), u"0FT");
    EXPECT_EQ(textOf(formatAltitudeText, kInfinity), u"FL2147483647");
    EXPECT_EQ(textOf(formatAltitudeText, -kInfinity), u"-214748364800FT");
    EXPECT_EQ(textOf(formatAltitudeText, 1e300), u"FL2147483647");
}

TEST(VerticalSpeedText, PlaceholderBelowOneHundredFeetPerMinute) {
    EXPECT_EQ(textOf(formatVerticalSpeedText, 99.0), u"----FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, -99.0), u"----FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, 0.0), u"----FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, 100.0), u"+100FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, -100.0), u"-100FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, 1250.0), u"+1200FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, -1299.0), u"-1200FT/M");
}

TEST(VerticalSpeedText, UnusableHostValuesGiveWholeTextsWithinTheBuffer) {
    EXPECT_EQ(textOf(formatVerticalSpeedText, kNaN), u"----FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, kInfinity), u"+214748364700FT/M");
    EXPECT_EQ(textOf(formatVerticalSpeedText, -1e300), u"-214748364800FT/M");
}

TEST(GroundSpeedText, TruncatesAndSaturates) {
    EXPECT_EQ(textOf(formatGroundSpeedText, 250.9), u"250KTS");
    EXPECT_EQ(textOf(formatGroundSpeedText, -0.5), u"0KTS");
    EXPECT_EQ(textOf(formatGroundSpeedText, kNaN), u"0KTS");
    EXPECT_EQ(textOf(formatGroundSpeedText, kInfinity), u"2147483647KTS");
    EXPECT_EQ(textOf(formatGroundSpeedText, -1e12), u"-2147483648KTS");
    char16_t buffer[kBlockBuffer];
    formatHiddenGroundSpeedText(buffer, kBlockBuffer);
    EXPECT_EQ(std::u16string(buffer), u"---KTS");
}

TEST(DistanceAndBearingTexts, RoundAsTheirFormatsDo) {
    EXPECT_EQ(textOf(formatDistanceText, 12.34f), u"12.3NM");
    EXPECT_EQ(textOf(formatDistanceText, 0.0f), u"0.0NM");
    EXPECT_EQ(textOf(formatBearingText, 359.6f), u"BRG360\u00B0");
    EXPECT_EQ(textOf(formatBearingText, 0.4f), u"BRG0\u00B0");
    EXPECT_EQ(textOf(formatBearingText, 90.0f), u"BRG90\u00B0");
}

TEST(DistanceAndBearingTexts, HugeAndNonFiniteValuesStayWithinTheBuffer) {
    const std::u16string huge = textOf(formatDistanceText, std::numeric_limits<float>::max());
    EXPECT_EQ(huge.size(), kBlockBuffer - 1);
    EXPECT_EQ(huge.substr(0, 5), u"34028");
    EXPECT_EQ(textOf(formatDistanceText, std::numeric_limits<float>::infinity()), u"infNM");
    const std::u16string bearing = textOf(formatBearingText, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(bearing.substr(0, 3), u"BRG");
}

TEST(RingLabel, FractionsWithTwoDecimalsWholeValuesWithout) {
    char16_t buffer[kRingLabelCapacity];
    auto label = [&](float value) {
        formatRingLabel(value, buffer, kRingLabelCapacity);
        return std::u16string(buffer);
    };
    EXPECT_EQ(label(1.25f), u"1.25");
    EXPECT_EQ(label(2.5f), u"2.50");
    EXPECT_EQ(label(5.0f), u"5");
    EXPECT_EQ(label(7.5f), u"7.50");
    EXPECT_EQ(label(40.0f), u"40");
}

TEST(RingLabel, LargeRangesAreWrittenWhole) {
    // Ten digits and more: beyond a nine-character label and beyond int32.
    char16_t buffer[kRingLabelCapacity];
    formatRingLabel(1e9f, buffer, kRingLabelCapacity);
    EXPECT_EQ(std::u16string(buffer), u"1000000000");
    formatRingLabel(4294967296.0f, buffer, kRingLabelCapacity);
    EXPECT_EQ(std::u16string(buffer), u"4294967296");
    formatRingLabel(1234567.25f, buffer, kRingLabelCapacity);
    EXPECT_EQ(std::u16string(buffer), u"1234567.25");
    const size_t length = formatRingLabel(std::numeric_limits<float>::max(), buffer, kRingLabelCapacity);
    EXPECT_EQ(length, 39u);
    EXPECT_EQ(std::u16string(buffer).substr(0, 9), u"340282346");
}

TEST(WidenText, CopiesLatin1AndCutsToCapacity) {
    char16_t buffer[4];
    EXPECT_EQ(widenText("AB\xB0", buffer, 4), 3u);
    EXPECT_EQ(std::u16string(buffer), u"AB\u00B0");
    EXPECT_EQ(widenText("ABCDEF", buffer, 4), 3u);
    EXPECT_EQ(std::u16string(buffer), u"ABC");
    EXPECT_EQ(widenText("X", buffer, 0), 0u);
}

}  // namespace
}  // namespace quillon
