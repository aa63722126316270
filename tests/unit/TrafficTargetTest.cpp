// Target records: bounded text copies and their wide forms.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "traffic/AnsiText.h"
#include "traffic/TrafficTarget.h"

namespace quillon {
namespace {

std::u16string wide(const char16_t* text) { return std::u16string(text); }

TEST(TrafficTargetTest, EmptyAndShortTextsAreStoredWholeInBothForms) {
    auto target = std::make_unique<TrafficTarget>();
    target->setAtcId("N12345ABCDEFGHI");  // 15 characters
    EXPECT_STREQ(target->atcId(), "N12345ABCDEFGHI");
    EXPECT_EQ(wide(target->atcIdWide()), u"N12345ABCDEFGHI");
    EXPECT_EQ(target->atcIdWide()[15], 0);

    target->setAtcId("");
    EXPECT_STREQ(target->atcId(), "");
    EXPECT_EQ(target->atcIdWide()[0], 0);

    target->setAirline(nullptr);
    EXPECT_EQ(target->airlineWide()[0], 0);
    target->setFlightNumber("1234");
    EXPECT_EQ(wide(target->flightNumberWide()), u"1234");
}

TEST(TrafficTargetTest, TextsLongerThanTheirFieldAreCut) {
    auto target = std::make_unique<TrafficTarget>();
    const std::string longId(80, 'A');
    target->setAtcId(longId.c_str());
    EXPECT_EQ(std::string(target->atcId()), std::string(TrafficTarget::kAtcIdCapacity - 1, 'A'));
    EXPECT_EQ(wide(target->atcIdWide()).size(), TrafficTarget::kAtcIdCapacity - 1);

    const std::string longText(400, 'b');
    target->setAirline(longText.c_str());
    target->setFlightNumber(longText.c_str());
    EXPECT_EQ(wide(target->airlineWide()).size(), TrafficTarget::kTextCapacity - 1);
    EXPECT_EQ(wide(target->flightNumberWide()).size(), TrafficTarget::kTextCapacity - 1);
}

TEST(TrafficTargetTest, UpperHalfCharactersWidenAsWindowsAnsi) {
    auto target = std::make_unique<TrafficTarget>();
    target->setAirline("Caf\xE9 \x80\x99");
    EXPECT_EQ(wide(target->airlineWide()), u"Caf\u00E9 \u20AC\u2122");

    EXPECT_EQ(widenAnsiCharacter('A'), u'A');
    EXPECT_EQ(widenAnsiCharacter('\xFF'), u'\u00FF');
    EXPECT_EQ(widenAnsiCharacter('\xA0'), u'\u00A0');
    EXPECT_EQ(widenAnsiCharacter('\x9F'), u'\u0178');
    for (char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
        EXPECT_EQ(widenAnsiCharacter(undefined), static_cast<unsigned char>(undefined));
}

TEST(TrafficTargetTest, PaintTimeStartsAtZeroAndClears) {
    auto target = std::make_unique<TrafficTarget>();
    EXPECT_EQ(target->paintTime(), 0.0);
    target->setPaintTime(12.5);
    EXPECT_EQ(target->paintTime(), 12.5);
    target->clearPaintTime();
    EXPECT_EQ(target->paintTime(), 0.0);
}

}  // namespace
}  // namespace quillon
