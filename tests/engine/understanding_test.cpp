#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::operator""_cp;

// Each kind of understanding on a base small enough to see through. The base's order
// matters: help first, as an author puts it.
class Understanding : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 0);
        WriteDialogue(1, {u8"$* не хочу жить *"_cp, u8"$* хочу умереть *"_cp, "#help", "#END"});
        WriteDialogue(2, {u8"$привет"_cp, "#hello", "#END"});
        WriteDialogue(3, {u8"$давление скачет"_cp, "#pressure", "#END"});
        WriteDialogue(4, {u8"$загадай загадку"_cp, "#riddle", u8"$ещё"_cp, "#another", "#END"});
        WriteDialogue(5, {u8"$я устала"_cp, "#tired", "#END"});
        WriteDialogue(6, {u8"$как тебя зовут"_cp, "#name", "#END"});
        WriteDialogue(7, {u8"$кот рыжий"_cp, "#same words", "#END"});
        WriteDialogue(8, {u8"$рыжий кот!"_cp, "#folded", "#END"});
        WriteDialogue(9, {u8"$посоветуй фильм"_cp, "#film", "#END"});
        // Common words, which weigh little in the closest meaning.
        WriteDialogue(10, {u8"$у меня кот"_cp, u8"$у меня собака"_cp, u8"$у меня брат"_cp,
                           u8"$у меня сестра"_cp, u8"$у меня дом"_cp, u8"$у меня работа"_cp,
                           u8"$у меня всё хорошо"_cp, u8"$мне 14"_cp, "#fine", "#END"});
        WritePathList(10);
        dir.Write("words.tmb",
                  test::CrLfLines({u8"вас=тебя"_cp, u8"ну="_cp, u8"посоветуйте=посоветуй"_cp}));
    }

    std::string Answer(const std::vector<std::string>& phrases) {
        return test::LastReply(clock, dir.prefix(), phrases);
    }
};

TEST_F(Understanding, EachTierAnswersWhatItShouldAndNothingMore) {
    const std::vector<test::ChatRow> rows = {
        {"exact", {u8"привет"_cp}, "hello"},
        {"folded", {u8"ПРИВЕТ!!!"_cp}, "hello"},
        {"a typo in a word no dictionary knows", {u8"превет"_cp}, "hello"},
        {"a typo never turns a real word into another", {u8"не хочу пить"_cp}, ""},
        {"the same words in another order", {u8"загадку загадай"_cp}, "riddle"},
        {"another form of the same word", {u8"я устал"_cp}, "tired"},
        {"a negation is never dropped", {u8"я не устала"_cp}, ""},
        {"a substitution from the base", {u8"как вас зовут"_cp}, "name"},
        {"substitutions apply to the words of a typed form", {u8"посоветуйте фильм"_cp}, "film"},
        {"a pattern inside a longer line", {u8"я больше не хочу жить вообще"_cp}, "help"},
        {"a pattern's star may be empty", {u8"хочу умереть"_cp}, "help"},
        {"a clause after a comma", {u8"погода сегодня плохая, давление скачет"_cp}, "pressure"},
        {"a filler clause says nothing", {u8"ну, давление скачет"_cp}, "pressure"},
        {"the clause with more words wins", {u8"привет - давление скачет"_cp}, "pressure"},
        {"the later clause on a tie", {u8"давление скачет. загадай загадку"_cp}, "riddle"},
        {"the closest meaning", {u8"давление у меня скачет"_cp}, "pressure"},
        {"common words alone are not meaning enough", {u8"у меня"_cp}, ""},
        {"numbers must agree", {u8"у меня 15 собака"_cp}, ""},
        {"a folded hit later beats the same words earlier", {u8"рыжий кот"_cp}, "folded"},
        {"in context", {u8"загадай загадку"_cp, u8"ещё"_cp}, "another"},
        {"a follow-up after one miss", {u8"загадай загадку"_cp, "qwerty", u8"ещё!"_cp}, "another"},
        {"two misses drop the dialogue",
         {u8"загадай загадку"_cp, "qwerty", "asdfgh", u8"ещё"_cp},
         ""},
    };
    for (const test::ChatRow& row : rows) {
        EXPECT_EQ(Answer(row.phrases), row.reply) << row.why;
    }
}

TEST_F(Understanding, NoSubstitutionIsBuiltIn) {
    std::filesystem::remove(dir.file("words.tmb"));
    EXPECT_EQ(Answer({u8"как вас зовут"_cp}), "");
    EXPECT_EQ(Answer({u8"как тебя зовут"_cp}), "name");
}

TEST_F(Understanding, AChangedFileIsReadAfresh) {
    EXPECT_EQ(Answer({u8"как вас зовут"_cp}), "name");
    EXPECT_TRUE(session.Say(u8"зовут тебя как"_cp).answered);
    WriteDialogue(6, {u8"$как тебя величать"_cp, "#name", "#END"});
    EXPECT_FALSE(session.Say(u8"зовут тебя как"_cp).answered)
        << "the cache must not keep the old words";
    EXPECT_TRUE(session.Say(u8"величать как тебя"_cp).answered);
}

}  // namespace
}  // namespace tumbo
