#include <gtest/gtest.h>

#include <algorithm>

#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class ContextSearch : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 2);
        window.LoadOptions();
        WriteDialogue(1, {"$a", "$aa", "#r1", "#r2", "$b", "#r3", "#END"});
        WriteDialogue(2, {"$c", "#rc", "$a", "#second a", "#END"});
        WritePathList(2);
    }
    int NoAnswerLines() const {
        return static_cast<int>(
            std::count(window.chat.begin(), window.chat.end(), u8"Tumbo:не знаю ответа"_cp));
    }
};

TEST_F(ContextSearch, ALaterTurnAnswersInsideItsDialogue) {
    Send("a");
    Send("b");
    EXPECT_EQ(LastLine(), "Tumbo:r3") << "the reply block ended by #END gives r3";
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\1.dlg");
}

TEST_F(ContextSearch, TheCurrentDialogueIsSearchedFromItsTop) {
    Send("c");
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\2.dlg");
    Send("a");
    EXPECT_EQ(LastLine(), "Tumbo:second a") << "dialogue 2's own a, not dialogue 1's opener";
}

TEST_F(ContextSearch, AMissFallsThroughToTheWholeBase) {
    Send("b");
    EXPECT_EQ(NoAnswerLines(), 1);
    Send("c");
    Send("aa");
    EXPECT_TRUE(LastLine() == "Tumbo:r1" || LastLine() == "Tumbo:r2") << LastLine();
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\1.dlg");
}

TEST_F(ContextSearch, APhraseNobodyKnowsGivesOneNoAnswerLine) {
    Send("c");
    Send("nobody knows");
    EXPECT_EQ(NoAnswerLines(), 1);
    EXPECT_EQ(window.teachPanelShown, 1);
    EXPECT_FALSE(window.answered);
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\2.dlg") << "the last entry of the path list";
}

TEST_F(ContextSearch, AnEmptiedCurrentDialogueStillLetsTheBaseAnswer) {
    Send("c");
    dir.Write("dlg/2.dlg", "");
    Send("aa");
    EXPECT_TRUE(LastLine() == "Tumbo:r1" || LastLine() == "Tumbo:r2") << LastLine();
}

TEST_F(ContextSearch, SilenceKeepsTheContext) {
    Send("a");
    Send("");
    Send("b");
    EXPECT_EQ(LastLine(), "Tumbo:r3");
}

}  // namespace
}  // namespace tumbo
