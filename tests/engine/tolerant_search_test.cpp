#include <gtest/gtest.h>

#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class TolerantSearch : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 0);
        window.LoadOptions();
    }
    std::string Reply(const std::string& phrase) {
        Send(phrase);
        return LastLine();
    }
};

TEST_F(TolerantSearch, ACloseSpellingGetsTheAnswerOfThePlainOne) {
    WriteDialogue(1, {u8"$привет"_cp, u8"#Привет!"_cp, u8"$как дела"_cp, u8"#Отлично."_cp, "#END"});
    WriteDialogue(2, {u8"$пока-пока"_cp, u8"#До встречи."_cp, "#END"});
    WriteDialogue(3, {u8"$как дела"_cp, u8"#Хорошо."_cp, "#END"});
    WritePathList(3);
    EXPECT_EQ(Reply(u8"Привет!!"_cp), u8"Tumbo:Привет!"_cp);
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\1.dlg");
    EXPECT_TRUE(window.answered);
    EXPECT_EQ(Reply(u8"как  дела"_cp), u8"Tumbo:Отлично."_cp) << "the context goes on";
    EXPECT_EQ(Reply(u8"пока пока"_cp), u8"Tumbo:До встречи."_cp);
    EXPECT_EQ(Reply(u8"превет"_cp), u8"Tumbo:Привет!"_cp);
    EXPECT_EQ(window.teachPanelShown, 0);
}

TEST_F(TolerantSearch, TheExactRuleDecidesThenFoldedThenOneTypo) {
    WriteDialogue(1, {u8"$привет!"_cp, "#folded", "#END"});
    WriteDialogue(2, {u8"$привет"_cp, "#exact", "#END"});
    WriteDialogue(3, {u8"$до встреч"_cp, "#typo", "#END"});
    WriteDialogue(4, {u8"$до встречи..."_cp, "#folded later", "#END"});
    WritePathList(4);
    EXPECT_EQ(Reply(u8"привет)))"_cp), "Tumbo:folded") << "the first folded one";
    EXPECT_EQ(Reply(u8"привет"_cp), "Tumbo:exact") << "an exact trigger further on";
    EXPECT_EQ(Reply(u8"до встрече"_cp), "Tumbo:typo") << "the first one a typo away";
    EXPECT_EQ(Reply(u8"до встречи"_cp), "Tumbo:folded later")
        << "before a typo, even in the current dialogue";
}

TEST_F(TolerantSearch, InContextTheCurrentDialogueComesFirstWithinEachTier) {
    WriteDialogue(1, {"$a", "#in 1", u8"$да!"_cp, "#folded in 1", "#END"});
    WriteDialogue(2, {u8"$да"_cp, "#exact in 2", "#END"});
    WritePathList(2);
    Reply("a");
    EXPECT_EQ(Reply(u8"да!!"_cp), "Tumbo:folded in 1") << "before a folded opener elsewhere";
    EXPECT_EQ(Reply(u8"да"_cp), "Tumbo:exact in 2") << "an exact opener beats folding";
}

TEST_F(TolerantSearch, PunctuationAloneShortWordsAndNumbersStayExact) {
    WriteDialogue(1, {"$?", "#question", "#END"});
    WriteDialogue(2, {u8"$пока"_cp, "#bye", u8"$мне 14"_cp, "#fourteen", "#END"});
    WritePathList(2);
    EXPECT_EQ(Reply("?"), "Tumbo:question");
    Reply("!!!");
    EXPECT_TRUE(window.teachPanelVisible) << "a phrase that folds to nothing";
    window.LeaveTeaching();
    Reply(u8"пака"_cp);
    EXPECT_EQ(window.teachPanelShown, 2) << "four letters are too few for a typo";
    window.LeaveTeaching();
    Reply(u8"пока"_cp);
    EXPECT_EQ(Reply(u8"мне 15"_cp), u8"Tumbo:не знаю ответа"_cp) << "a digit is never a typo";
}

TEST_F(TolerantSearch, ATaughtTriggerAnswersItsPlainAndMistypedSpellings) {
    WriteDialogue(1, {"$a", "#b", "#END"});
    WritePathList(1);
    Reply(u8"ты человек или робот?"_cp);
    ASSERT_TRUE(window.teachPanelVisible);
    window.SetTeachField(5, u8"Программа."_cp);
    window.ConfirmTeaching();
    EXPECT_EQ(Reply(u8"Ты человек или робот"_cp), u8"Tumbo:программа."_cp);
    EXPECT_EQ(Reply(u8"ты человк или робот"_cp), u8"Tumbo:программа."_cp);
}

TEST_F(TolerantSearch, NoSearchWritesAFile) {
    WriteDialogue(1, {"$a", "#b", "#END"});
    WritePathList(1);
    dir.Write("temp.dlg", "$old\r\n");
    const auto names = dir.Names();
    OpenSettings readOnly;
    readOnly.readOnly = true;
    const Opened reader = Session::Open(dir.path().string(), readOnly);
    EXPECT_FALSE(reader.session->Say("unknown").answered);
    EXPECT_EQ(dir.Read("temp.dlg"), "$old\r\n");
    EXPECT_EQ(dir.Names(), names);
}

}  // namespace
}  // namespace tumbo
