#include <gtest/gtest.h>

#include <map>

#include "platform/errors.h"
#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class ReplySearch : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions(u8"Аня"_cp, 3);
        window.LoadOptions();
    }
    // Sends a phrase with the clock's counter, and so the seed, at a chosen value.
    std::string ReplyWithCounter(const std::string& phrase, std::uint64_t counter) {
        clock.counter = counter;
        Send(phrase);
        return LastLine();
    }
};

TEST_F(ReplySearch, WorkedExampleOutOfContext) {
    WriteDialogue(1, {"$a", "$aa", "#r1", "#r2", "$b", "#r3", "#END"});
    WritePathList(1);
    // Seed 0 becomes 1: (2 * 1) >> 32 picks r1; seed 2^32-1 becomes 0xF7F77BFC: r2.
    EXPECT_EQ(ReplyWithCounter("aa", 0), "Tumbo:r1");
    EXPECT_EQ(ReplyWithCounter("aa", 0xFFFFFFFFu), "Tumbo:r2");
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\1.dlg");
    EXPECT_TRUE(window.answered);
}

TEST_F(ReplySearch, EchoesTheLowerCasedPhraseAndKeepsItInTheField) {
    WriteDialogue(1, {u8"$привет"_cp, u8"#Привет, [n]!"_cp, "#END"});
    WriteDialogue(2, {u8"$Ёлка"_cp, u8"#колючая"_cp, "#END"});
    WritePathList(2);
    Send(u8"ПРИВЕТ"_cp);
    EXPECT_EQ(window.input, u8"привет"_cp);
    ASSERT_EQ(window.chat.size(), 2u);
    EXPECT_EQ(window.chat[0], u8"Аня:привет"_cp);
    EXPECT_EQ(window.chat[1], u8"Tumbo:Привет, Аня!"_cp);
    Send(u8"ЁЛКА"_cp);
    EXPECT_EQ(window.chat[2], u8"Аня:Ёлка"_cp);
    EXPECT_EQ(LastLine(), u8"Tumbo:колючая"_cp);
}

TEST_F(ReplySearch, ComparesExactlyWithoutTrimming) {
    WriteDialogue(1, {"$hi ", "#with blank", "#END"});
    WriteDialogue(2, {"$hi", "#without", "#END"});
    WritePathList(2);
    Send("hi");
    EXPECT_EQ(LastLine(), "Tumbo:without");
    Send("hi ");
    EXPECT_EQ(LastLine(), "Tumbo:with blank");
}

TEST_F(ReplySearch, OneReplyBeforeTheEndIsAlwaysChosen) {
    WriteDialogue(1, {"$q", "#only", "#END"});
    WritePathList(1);
    for (std::uint64_t counter : {0ull, 1ull, 0x7FFFFFFFull, 0xFFFFFFFFull}) {
        EXPECT_EQ(ReplyWithCounter("q", counter), "Tumbo:only");
    }
}

TEST_F(ReplySearch, ThreeRepliesAreEquallyLikelyAndTheNextTriggerNever) {
    WriteDialogue(1, {"$q", "#one", "#two", "#three", "$next", "#END"});
    WritePathList(1);
    std::map<std::string, int> seen;
    for (std::uint64_t counter = 0; counter < 3000; ++counter) {
        // Spread the seeds over the whole 32-bit range.
        ++seen[ReplyWithCounter("q", counter * 1431655u)];
    }
    ASSERT_EQ(seen.size(), 3u);
    for (const auto& [reply, times] : seen) {
        EXPECT_NE(reply, "Tumbo:next");
        EXPECT_NEAR(times, 1000, 120) << reply;
    }
}

TEST_F(ReplySearch, NameMarkerEverywhereAndExitMarkerOnlyFromTheBase) {
    WriteDialogue(1, {"$hi", "#[n], [n]!", "#END"});
    WritePathList(1);
    window.controls = {"[e][n]", false, 0, 0};
    window.SaveOptions();
    Send("hi");
    EXPECT_EQ(LastLine(), "Tumbo:[e][n], [e][n]!");
    EXPECT_EQ(window.closeRequests, 0);
}

TEST_F(ReplySearch, ExitMarkerShowsTheReplyPausesAndCloses) {
    WriteDialogue(1, {"$bye", "#[e]Bye, [n][e]", "#END"});
    WritePathList(1);
    Send("bye");
    ASSERT_EQ(window.chat.size(), 2u);
    EXPECT_EQ(window.chat[1], u8"Tumbo:Bye, Аня"_cp);
    EXPECT_EQ(window.closeRequests, 1);
}

TEST_F(ReplySearch, TurnWithoutRepliesAndTriggerOnTheLastLine) {
    WriteDialogue(1, {"$start", "#go on", "$mute", "#END"});
    WriteDialogue(2, {"$lonely"});
    WritePathList(2);
    Send("start");
    Send("mute");
    EXPECT_EQ(LastLine(), "Tumbo:END");
    Send("lonely");
    EXPECT_EQ(LastLine(), "Tumbo:lonely");
}

TEST_F(ReplySearch, OnlyOpenerBlocksAnswerOutOfContext) {
    WriteDialogue(1, {"$a", "#r1", "$b", "#r3", "#END"});
    WritePathList(1);
    Send("b");
    EXPECT_EQ(LastLine(), u8"Tumbo:не знаю ответа"_cp);
    EXPECT_FALSE(window.answered);
}

TEST_F(ReplySearch, TheWalkMovesTheProgressBarOncePerDialogue) {
    WriteDialogue(1, {"$a", "#1", "#END"});
    WriteDialogue(2, {"$b", "#2", "#END"});
    WriteDialogue(3, {"$c", "#3", "#END"});
    WritePathList(3);
    Send("c");
    EXPECT_EQ(window.progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(LastLine(), "Tumbo:3");
    EXPECT_EQ(window.teachPanelShown, 0) << "the last dialogue answered";
}

TEST_F(ReplySearch, NoAnswerOpensTeachingWithThePhrase) {
    WriteDialogue(1, {"$a", "#1", "#END"});
    WritePathList(1);
    dir.Write("temp.dlg", "$old\r\n");
    window.teachFields = {"1", "2", "3", "4", "5", "6", "7", "8"};
    Send(u8"Что Это"_cp);
    EXPECT_EQ(LastLine(), u8"Tumbo:не знаю ответа"_cp);
    EXPECT_EQ(window.teachPanelShown, 1);
    EXPECT_EQ(window.teachFields[0], u8"что это"_cp);
    for (int field = 1; field < 8; ++field) {
        EXPECT_EQ(window.teachFields[field], "") << field;
    }
    EXPECT_TRUE(session.Teaching());
    EXPECT_EQ(dir.Read("temp.dlg"), "") << "the scratch dialogue starts empty";
    EXPECT_EQ(session.CurrentDialogue(), "dlg\\1.dlg");
}

TEST_F(ReplySearch, AnEmptyPathListAsksToBeTaught) {
    WritePathList({});
    Send("anything");
    EXPECT_EQ(window.chat,
              (std::vector<std::string>{u8"Аня:anything"_cp, u8"Tumbo:не знаю ответа"_cp}));
    EXPECT_EQ(window.teachPanelShown, 1);
    EXPECT_EQ(window.teachFields[0], "anything");
    EXPECT_TRUE(session.Teaching());
    EXPECT_TRUE(window.progress.empty()) << "no dialogue was read";
}

TEST_F(ReplySearch, AnEmptyFieldIsSilenceAndChangesNothing) {
    WritePathList({});
    Send("");
    EXPECT_EQ(window.chat, std::vector<std::string>{u8"Tumbo:Аня ты чё молчишь ?"_cp});
    Send(" ");
    EXPECT_EQ(window.chat.at(1), u8"Аня: "_cp) << "blanks are a phrase";
}

TEST_F(ReplySearch, AMissingDialogueStopsTheSearchWithFileNotFound) {
    WriteDialogue(1, {"$a", "#1", "#END"});
    WritePathList({"dlg\\1.dlg", "dlg\\9.dlg", "dlg\\1.dlg"});
    try {
        Send("zzz");
        ADD_FAILURE();
    } catch (const test::FailedStep& error) {
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_EQ(window.teachPanelShown, 0);
    // The interrupted search leaves nothing behind that breaks the next one.
    Send("a");
    EXPECT_EQ(LastLine(), "Tumbo:1");
}

TEST_F(ReplySearch, ABaseWrittenOnWindowsIsReadAsItIs) {
    dir.Write("path.tmb", "dlg\\1.dlg\r\ndlg\\2.dlg\r\n");
    dir.Write("dlg/1.dlg",
              "$\xea\xe0\xea \xe4\xe5\xeb\xe0\r\n#\xce\xf2\xeb\xe8\xf7\xed\xee\r\n#END\r\n");
    dir.Write("dlg/2.dlg", "$x\r\n#y\r\n#END\r\n");
    Send("\xca\xc0\xca \xc4\xc5\xcb\xc0");
    EXPECT_EQ(LastLine(), u8"Tumbo:Отлично"_cp);
}

}  // namespace
}  // namespace tumbo
