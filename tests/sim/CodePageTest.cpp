// UTF-8 scenario texts become the host's code page 1252 bytes.
#include <gtest/gtest.h>

#include "sim/CodePage.h"

namespace {

TEST(CodePage, LatinLettersAndTheHighControlBlockMapToSingleBytes) {
    EXPECT_EQ(sim::utf8ToCp1252("DLH4AB"), "DLH4AB");
    EXPECT_EQ(sim::utf8ToCp1252("A\xC3\xA9rom\xC3\xA9xico"), "A\xE9rom\xE9xico");         // é
    EXPECT_EQ(sim::utf8ToCp1252("\xC3\x9F\xC3\xBF"), "\xDF\xFF");                            // ß ÿ
    EXPECT_EQ(sim::utf8ToCp1252("\xE2\x82\xAC \xC5\xA0 \xE2\x80\x94"), "\x80 \x8A \x97");  // € Š —
}

TEST(CodePage, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(sim::utf8ToCp1252("\xE6\x9D\xB1\xE4\xBA\xAC"), "??");          // two CJK characters
    EXPECT_EQ(sim::utf8ToCp1252("\xF0\x9F\x9B\xA9"), "?");                   // outside the basic plane
    EXPECT_EQ(sim::utf8ToCp1252("\xC2\x81"), "?");                           // a C1 control 1252 leaves unassigned
    EXPECT_EQ(sim::utf8ToCp1252("a\xC3"), "a?");                             // cut short
    EXPECT_EQ(sim::utf8ToCp1252("\xC0\xAF"), "??");                          // overlong form
    EXPECT_EQ(sim::utf8ToCp1252("\xE9t\xE9"), "?t?");                        // Latin-1 bytes, not UTF-8
}

}  // namespace
