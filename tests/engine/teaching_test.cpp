#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/errors.h"
#include "support/engine_fixture.h"
#include "support/failing_file_calls.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::operator""_cp;

class Teaching : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 2);
        WriteDialogue(1, {"$a", "#1", "#END"});
        WriteDialogue(2, {"$b", "#2", "#END"});
        WritePathList(2);
        window.LoadOptions();
    }
    // Sends a phrase nobody knows, which opens the teaching panel with it filled in.
    void StartTeaching(const std::string& phrase) {
        Send(phrase);
        ASSERT_TRUE(window.teachPanelVisible);
    }
    void Fill(std::initializer_list<std::pair<int, std::string>> fields) {
        for (const auto& [number, text] : fields) {
            window.teachFields.at(number - 1) = text;
        }
    }
    std::string PathList() const { return dir.Read("path.tmb"); }
};

TEST_F(Teaching, ThePrefilledPhraseAndOneReplyMakeAThreeLineDialogue) {
    StartTeaching("new one");
    Fill({{5, "Hello THERE"}});
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$new one", "#hello there", "#END"}));
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "3"}));
    EXPECT_EQ(window.applied.back().DialogueCount, 3) << "the window's counters follow";
    EXPECT_EQ(LastLine(), u8"Tumbo:Усвоил  :)"_cp);
    EXPECT_FALSE(window.teachPanelVisible);
    EXPECT_FALSE(session.Teaching());
    Send("new one");
    EXPECT_EQ(LastLine(), "Tumbo:hello there");
}

TEST_F(Teaching, ExtendCollectsVariantsInTheOrderTyped) {
    StartTeaching("t1");
    Fill({{2, "t2"}, {3, "t3"}, {4, "t4"}, {5, "r1"}});
    window.ExtendTurn();
    EXPECT_EQ(window.teachFields, (std::array<std::string, 8>{}));
    Fill({{1, "t5"}, {2, "t6"}, {3, "T7"}, {4, "t8"}, {8, "r2"}});
    window.ExtendTurn();
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$t1", "$t2", "$t3", "$t4", "$t5", "$t6", "$t7",
                                                "$t8", "#r1", "#r2", "#END"}));
}

TEST_F(Teaching, TurnsFollowEachOtherAndEmptyFieldsWriteNothing) {
    StartTeaching("hi");
    Fill({{5, "hello"}, {6, " "}});
    window.NextTurn();
    window.NextTurn();
    EXPECT_EQ(window.teachFields, (std::array<std::string, 8>{}));
    Fill({{1, "and you"}, {3, "you?"}});
    window.ConfirmTeaching();
    EXPECT_EQ(window.missing, LessonGap::kLastTurnWithoutReply) << "it would answer END";
    EXPECT_TRUE(window.teachPanelVisible);
    EXPECT_FALSE(dir.Exists("dlg/3.dlg"));
    Fill({{5, "fine"}});
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"),
              CrLfLines({"$hi", "#hello", "# ", "$and you", "$you?", "#fine", "#END"}));
    Send("hi");
    Send("you?");
    EXPECT_EQ(LastLine(), "Tumbo:fine");
}

TEST_F(Teaching, ALessonWithoutAReplyOrAnOpenerStoresNothing) {
    StartTeaching("lonely");
    window.ConfirmTeaching();
    EXPECT_EQ(window.missing, LessonGap::kNoReply);
    Fill({{1, ""}, {5, "reply"}});
    window.ConfirmTeaching();
    EXPECT_EQ(window.missing, LessonGap::kNoTrigger);
    EXPECT_TRUE(window.teachPanelVisible);
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"}));
    EXPECT_TRUE(session.Teaching()) << "the lesson goes on";
}

TEST_F(Teaching, TheNewNumberFollowsTheLastEntryAndNeverOverwrites) {
    dir.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\41.dlg"}));
    WriteDialogue(41, {"$x", "#y", "#END"});
    WriteDialogue(42, {"$hand made", "#keep me", "#END"});
    StartTeaching("zzz");
    Fill({{5, "r"}});
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/42.dlg"), CrLfLines({"$hand made", "#keep me", "#END"}));
    EXPECT_EQ(dir.Read("dlg/43.dlg"), CrLfLines({"$zzz", "#r", "#END"}));
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\41.dlg", "dlg\\43.dlg"}));
    EXPECT_EQ(session.Options().DialogueCount, 3) << "the stored count is raised, not recounted";
}

TEST_F(Teaching, AnEmptyBaseLearnsItsFirstDialogue) {
    std::filesystem::remove_all(dir.path() / "dlg");
    std::filesystem::create_directory(dir.path() / "dlg");
    dir.Write("path.tmb", "");
    StartTeaching("first");
    Fill({{5, "one"}});
    window.ConfirmTeaching();
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg"}));
    EXPECT_EQ(dir.Read("dlg/1.dlg"), CrLfLines({"$first", "#one", "#END"}));
    Send("first");
    EXPECT_EQ(LastLine(), "Tumbo:one");

    // dlg/1.dlg is there but no longer listed: it is never overwritten.
    dir.Write("path.tmb", "");
    StartTeaching("second");
    Fill({{5, "two"}});
    window.ConfirmTeaching();
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\2.dlg"}));
    EXPECT_EQ(dir.Read("dlg/1.dlg"), CrLfLines({"$first", "#one", "#END"}));
}

// Every save stores the number of path-list entries, whatever a crash or a hand edit
// left in the file.
TEST_F(Teaching, EverySaveStoresThePathListsCount) {
    WriteOptions("me", 2147483647);
    window.LoadOptions();
    StartTeaching("zzz");
    Fill({{5, "r"}});
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$zzz", "#r", "#END"}));
    EXPECT_EQ(session.Options().DialogueCount, 3);
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "3"}));
    WriteOptions("me", 1);
    window.LoadOptions();
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "3"}));
}

// A byte 26 a hand edit left ends the path list for every reader: the lesson goes before
// it, where it is read, and what followed the mark is kept as path.tmb.bak.
TEST_F(Teaching, ALessonGoesBeforeTheEndMark) {
    dir.Write("path.tmb", PathList() + "\x1a" + "dlg\\9.dlg\r\n");
    StartTeaching("zzz");
    Fill({{5, "r"}});
    window.ConfirmTeaching();
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
    EXPECT_EQ(dir.Read("path.tmb.bak"), "dlg\\9.dlg\r\n");
    Send("zzz");
    EXPECT_EQ(LastLine(), "Tumbo:r");
}

// A name taken by anything is skipped; a path list that is a link is never written through.
TEST_F(Teaching, TakenNamesAreSkippedAndALinkedPathListIsRefused) {
    std::filesystem::create_symlink(dir.file("nowhere"), dir.file("dlg/3.dlg"));
    std::filesystem::create_directory(dir.file("dlg/4.dlg"));
    StartTeaching("zzz");
    Fill({{5, "r"}});
    window.ConfirmTeaching();
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\5.dlg"}));

    const std::string listed = PathList();
    std::filesystem::rename(dir.file("path.tmb"), dir.file("elsewhere"));
    std::filesystem::create_symlink(dir.file("elsewhere"), dir.file("path.tmb"));
    StartTeaching("yyy");
    Fill({{5, "r"}});
    try {
        window.ConfirmTeaching();
        ADD_FAILURE() << "appended through a link";
    } catch (const test::FailedStep& error) {
        EXPECT_NE(error.details().find("path.tmb"), std::string::npos) << error.details();
    }
    EXPECT_EQ(dir.Read("elsewhere"), listed);
    EXPECT_FALSE(dir.Exists("dlg/6.dlg"));
}

TEST_F(Teaching, AHandEditedPathListWithoutALastLineEndKeepsItsEntries) {
    dir.Write("path.tmb", "dlg\\1.dlg\r\ndlg\\2.dlg");
    StartTeaching("zzz");
    Fill({{5, "r"}});
    window.ConfirmTeaching();
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
}

TEST_F(Teaching, TypedLineBreaksCannotSplitADialogue) {
    StartTeaching("q");
    Fill({{2, "two\r\nlines"},
          {5,
           "end\x1a"
           "here"}});
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$q", "$two  lines", "#end here", "#END"}));
}

// What was typed for a lesson that was left is never learnt with the next one.
TEST_F(Teaching, LeavingDiscardsTheLesson) {
    StartTeaching("first");
    Fill({{2, "kept"}, {5, "kept reply"}});
    window.ExtendTurn();
    window.LeaveTeaching();
    EXPECT_EQ(LastLine(), u8"Tumbo:ты меня не учишь :("_cp);
    EXPECT_FALSE(window.teachPanelVisible);
    EXPECT_FALSE(session.Teaching());
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"}));
    EXPECT_EQ(dir.Read("temp.dlg"), "");
    StartTeaching("second");
    Fill({{5, "r"}});
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$second", "#r", "#END"}));
    Send("first");
    EXPECT_TRUE(window.teachPanelVisible);
}

class TeachingFailure : public Teaching {
protected:
    // Tries to confirm, expects `message`, and checks that nothing was learnt and the
    // panel is as it was; then lets the retry succeed.
    void ExpectNothingLearnt(const std::string& message) {
        const std::string pathList = PathList();
        const std::string options = dir.Read("opt.tmb");
        try {
            window.ConfirmTeaching();
            ADD_FAILURE() << "confirmed";
        } catch (const TumboError& error) {
            EXPECT_EQ(error.what(), message);
        }
        EXPECT_TRUE(window.teachPanelVisible);
        EXPECT_EQ(window.teachFields[0], "taught");
        EXPECT_EQ(PathList(), pathList);
        EXPECT_EQ(dir.Read("opt.tmb"), options);
        EXPECT_EQ(session.Options().DialogueCount, 2);
        EXPECT_FALSE(dir.Exists("dlg/3.dlg"));
    }
    // The panel open for `phrase`, the options read; the file calls can be made to fail.
    test::TestWindow& TeachThroughFailingCalls(const std::string& phrase) {
        window.LoadOptions();
        window.input = phrase;
        window.SendPhrase();
        return window;
    }
};

TEST_F(TeachingFailure, AMissingDialogueFolderCanBeRetried) {
    Send("one");
    Fill({{5, "reply one"}});
    window.NextTurn();
    Fill({{1, "taught"}, {5, "again"}});
    std::filesystem::rename(dir.path() / "dlg", dir.path() / "away");
    ExpectNothingLearnt("Invalid filename");
    std::filesystem::rename(dir.path() / "away", dir.path() / "dlg");
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"),
              CrLfLines({"$one", "#reply one", "$taught", "#again", "#END"}));
    EXPECT_EQ(session.Options().DialogueCount, 3);
}

TEST_F(TeachingFailure, ABadLastEntryNamesTheText) {
    dir.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\x7.dlg"}));
    std::filesystem::copy_file(dir.path() / "dlg/1.dlg", dir.path() / "dlg/x7.dlg");
    Send("taught");
    Fill({{5, "again"}});
    ExpectNothingLearnt("'x7' is not a valid integer value");
}

TEST_F(TeachingFailure, AFullDiskLeavesNoHalfDialogue) {
    auto& failing = TeachThroughFailingCalls("taught");
    Fill({{5, std::string(300, 'r')}});
    // The scratch dialogue's lines fit in its buffer; the first write is the new file's.
    calls.FailAt(test::FailingFileCalls::Call::kWrite, ENOSPC, 2);
    const std::string pathList = PathList();
    EXPECT_THROW(failing.ConfirmTeaching(), TumboError);
    EXPECT_FALSE(dir.Exists("dlg/3.dlg"));
    EXPECT_EQ(PathList(), pathList);
    EXPECT_TRUE(window.teachPanelVisible);
    calls.Heal();
    failing.ConfirmTeaching();
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$taught", "#" + std::string(300, 'r'), "#END"}));
}

TEST_F(TeachingFailure, ALineNoReaderTakesIsRefused) {
    Send("taught");
    Fill({{5, std::string(65536, 'r')}});
    ExpectNothingLearnt(
        u8"Строка длиннее 65536 знаков: программа её не прочтёт, диалог не сохранён"_cp);
}

TEST_F(TeachingFailure, AFailedOptionSaveStillLearnsOnce) {
    auto& failing = TeachThroughFailingCalls("taught");
    Fill({{5, "r"}});
    calls.FailAt(test::FailingFileCalls::Call::kRename, EIO);
    EXPECT_THROW(failing.ConfirmTeaching(), TumboError);
    EXPECT_FALSE(window.teachPanelVisible) << "the dialogue is learnt; confirming twice would dup";
    EXPECT_EQ(LastLine(), u8"Tumbo:Усвоил  :)"_cp);
    EXPECT_EQ(PathList(), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "2"}));
}

}  // namespace
}  // namespace tumbo
