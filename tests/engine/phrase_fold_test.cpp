#include "engine/phrase_fold.h"

#include <gtest/gtest.h>

#include "support/cp1251.h"

namespace tumbo {
namespace {

using test::operator""_cp;

TEST(FoldPhrase, PunctuationCaseAndYoFoldAway) {
    const struct {
        std::string typed;
        std::string folded;
    } rows[] = {
        {u8"Привет!!"_cp, u8"привет"_cp},
        {u8"привет)))"_cp, u8"привет"_cp},
        {u8"ПРИВЕТ..."_cp, u8"привет"_cp},
        {u8"  привет "_cp, u8"привет"_cp},
        {u8"как  дела?"_cp, u8"как дела"_cp},
        {u8"пока-пока"_cp, u8"пока пока"_cp},
        {u8"ЁЛКА"_cp, u8"елка"_cp},
        {u8"ёлка"_cp, u8"елка"_cp},
        {u8"мне 15, а тебе?"_cp, u8"мне 15 а тебе"_cp},
        {"Hello, World", "hello world"},
        // Letters of the code page beyond Russian stay letters, as typed.
        {"\xB3\xE4\xF3", "\xB3\xE4\xF3"},
        {"!!! ...", ""},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FoldPhrase(row.typed), row.folded) << row.typed;
    }
}

TEST(OneTypoApart, OneEditOfALetterButNeverOfADigit) {
    const struct {
        std::string a;
        std::string b;
        bool apart;
    } rows[] = {
        {u8"превет"_cp, u8"привет"_cp, true},   // changed
        {u8"привт"_cp, u8"привет"_cp, true},    // dropped
        {u8"приввет"_cp, u8"привет"_cp, true},  // added
        {u8"пирвет"_cp, u8"привет"_cp, true},   // neighbours swapped
        {u8"как дила"_cp, u8"как дела"_cp, true},
        {u8"какдела"_cp, u8"как дела"_cp, true},  // a blank is not a digit
        {u8"привет"_cp, u8"привет"_cp, false},    // the same is no typo
        {u8"пирвте"_cp, u8"привет"_cp, false},    // two edits
        {u8"прив"_cp, u8"привет"_cp, false},
        {u8"мне 15"_cp, u8"мне 14"_cp, false},
        {u8"мне 15"_cp, u8"мне 5"_cp, false},
        {u8"мне 15"_cp, u8"мне 155"_cp, false},
        {u8"мне 15"_cp, u8"мне 51"_cp, false},
        {u8"мне 1а"_cp, u8"мне а1"_cp, false},
        {"", "a", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OneTypoApart(row.a, row.b), row.apart) << row.a << " / " << row.b;
        EXPECT_EQ(OneTypoApart(row.b, row.a), row.apart) << "either way round";
    }
}

TEST(LetterCount, CountsLettersOnly) {
    EXPECT_EQ(LetterCount(u8"мне 15"_cp), 3u);
    EXPECT_EQ(LetterCount(u8"ёлка ok"_cp), 6u);
}

}  // namespace
}  // namespace tumbo
