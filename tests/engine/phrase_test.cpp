#include <gtest/gtest.h>

#include "engine/phrase.h"
#include "support/cp1251.h"

namespace tumbo {
namespace {

using test::operator""_cp;

TEST(NormalizePhrase, LowersLatinAndCyrillicCapitalsOnly) {
    EXPECT_EQ(NormalizePhrase(u8"ПРИВЕТ, Hello!"_cp), u8"привет, hello!"_cp);
    EXPECT_EQ(NormalizePhrase(u8"ЁЖИК"_cp), u8"Ёжик"_cp) << "Ё is not folded";
    EXPECT_EQ(NormalizePhrase(u8"  Я  "_cp), u8"  я  "_cp) << "nothing is trimmed";
    EXPECT_EQ(NormalizePhrase(std::string("\x00\x98\xff@[", 5)), std::string("\x00\x98\xff@[", 5));
}

TEST(Markers, EveryNameMarkerIsReplacedHoweverLongTheName) {
    const std::string name(300, 'N');
    EXPECT_EQ(ExpandNameMarker("#[n], [n][n]", name), "#" + name + ", " + name + name);
    EXPECT_EQ(ExpandNameMarker(u8"#[n], привет"_cp, u8"Аня"_cp), u8"#Аня, привет"_cp);
    EXPECT_EQ(ExpandNameMarker("#[N] [n", "x"), "#[N] [n");
}

TEST(Markers, ANameHoldingMarkersIsShownAsItIs) {
    EXPECT_FALSE(HasExitMarker("#hi [n]"));
    EXPECT_TRUE(HasExitMarker("#bye[e]"));
    EXPECT_EQ(RenderReply("bye [n][e]", "[e][n]"), "bye [e][n]");
    EXPECT_EQ(RenderReply("a[e]b[e]", "x"), "ab");
}

}  // namespace
}  // namespace tumbo
