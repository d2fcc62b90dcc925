#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/phrase_parts.h"
#include "engine/word_match.h"
#include "engine/word_substitutions.h"
#include "support/cp1251.h"

namespace tumbo {
namespace {

using test::operator""_cp;

TEST(PhraseParts, CutAtClausePunctuationButNotInsideNumbersOrWords) {
    const struct {
        std::string phrase;
        std::vector<std::string> parts;
    } rows[] = {
        {"a, b", {"a", "b"}},
        {"a. b! c? d; e: f", {"a", "b", "c", "d", "e", "f"}},
        {"a - b", {"a", "b"}},
        {"a \x96 b \x97 c", {"a", "b", "c"}},
        {"bye-bye", {"bye-bye"}},
        {"1,5 and 3.14", {"1,5 and 3.14"}},
        {"well...  so", {"well", "so"}},
        {",,, ", {}},
        {"plain", {"plain"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PhraseParts(row.phrase), row.parts) << row.phrase;
    }
}

TEST(PhraseSentences, CutOnlyWhereASentenceEnds) {
    const struct {
        std::string phrase;
        std::vector<std::string> sentences;
    } rows[] = {
        {"a, b - c: d", {"a, b - c: d"}},
        {"a. b! c? d; e", {"a", "b", "c", "d", "e"}},
        {"fever 39.8, and now", {"fever 39.8, and now"}},
        {"one\r\ntwo", {"one", "two"}},
        {"?!", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PhraseSentences(row.phrase), row.sentences) << row.phrase;
    }
}

TEST(Patterns, AStarTakesAnyRunOfWordsNoneIncluded) {
    constexpr WordId a = 1, b = 2, c = 3, d = 4;
    const struct {
        std::vector<WordId> pattern;
        std::vector<WordId> phrase;
        bool matches;
    } rows[] = {
        {{kAnyWords, a, b, kAnyWords}, {a, b}, true},
        {{kAnyWords, a, b, kAnyWords}, {c, a, b, d}, true},
        {{kAnyWords, a, b, kAnyWords}, {a, c, b}, false},
        {{a, kAnyWords, b}, {a, c, d, b}, true},
        {{a, kAnyWords, b}, {a, b, c}, false},
        {{kAnyWords, a, kAnyWords, b}, {a, a, c, b}, true},
        {{kAnyWords, a, b}, {a, b, a, c}, false},
        {{kAnyWords, a, b}, {a, b, a, b}, true},
        {{a}, {}, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MatchesPattern(row.pattern, row.phrase), row.matches);
    }
}

TEST(WordSubstitutions, LinesAreReadFoldedAndFaultsLeftOut) {
    const WordSubstitutions words = WordSubstitutions::FromLines({
        u8"Вас = тебя"_cp,
        u8"ну="_cp,
        u8"не=да"_cp,
        u8"без=с"_cp,
        u8"тебя=тебя"_cp,
        u8"как дела=норм"_cp,
        "no equals sign",
        u8"вас=вас"_cp,
        u8"щас=сейчас"_cp,
        u8"сейчас=теперь вот"_cp,
        "a=b",
        "b=a",
        "x=y",
        "x=z",
    });
    ASSERT_NE(words.Find(u8"вас"_cp), nullptr);
    EXPECT_EQ(*words.Find(u8"вас"_cp), std::vector<std::string>{u8"тебя"_cp});
    EXPECT_TRUE(words.IsFiller(u8"ну"_cp));
    EXPECT_EQ(words.Find(u8"не"_cp), nullptr) << "a negation is never replaced";
    EXPECT_EQ(words.Find(u8"без"_cp), nullptr) << "nor is «без»";
    EXPECT_EQ(words.Find(u8"тебя"_cp), nullptr) << "a word replaced by itself";
    EXPECT_EQ(words.Find(u8"как"_cp), nullptr) << "two words before the sign";
    EXPECT_EQ(*words.Find(u8"щас"_cp), (std::vector<std::string>{u8"теперь"_cp, u8"вот"_cp}))
        << "a replacement's words are replaced in turn";
    EXPECT_EQ(words.WordsInCycles(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(*words.Find("a"), std::vector<std::string>{"a"}) << "a cycle stops where it began";
    EXPECT_EQ(*words.Find("x"), std::vector<std::string>{"y"})
        << "the first line for a word stands";
}

}  // namespace
}  // namespace tumbo
