#include "tools/base_check.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "support/failing_file_calls.h"
#include "tool_support.h"
#include "tools/base_lines.h"

namespace tumbo {
namespace {

using test::Lines;
using test::operator""_cp;
using Places = std::multiset<std::string>;

class CheckTool : public test::BaseTest {
protected:
    void SetUp() override { WriteSmallBase(); }

    Lines Found() const {
        Lines lines;
        for (const auto& finding : tools::CheckBase(dir.path())) {
            lines.push_back(tools::FormatFinding(finding));
        }
        return lines;
    }
    // "file:line" of every finding, so a test states exactly which lines are at fault.
    Places Where() const {
        Places places;
        for (const auto& finding : tools::CheckBase(dir.path())) {
            places.insert(finding.file + ":" + std::to_string(finding.line));
        }
        return places;
    }
    bool AnyFindingSays(const std::string& text) const {
        const Lines found = Found();
        return std::any_of(found.begin(), found.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }
    void WritePathEntries(std::initializer_list<std::string> entries) {
        dir.Write("path.tmb", test::CrLfLines(entries));
    }
};

TEST(CheckToolBundledBase, HasNoFindings) {
    const auto findings = tools::CheckBase(std::string(TUMBO_SOURCE_DIR) + "/base");
    for (const auto& finding : findings) {
        ADD_FAILURE() << finding;
    }
}

TEST_F(CheckTool, ASoundBaseHasNoFindings) {
    EXPECT_EQ(Found(), Lines{});
}

TEST_F(CheckTool, BytesTheFormatDoesNotAllow) {
    dir.Write("dlg/3.dlg", "$ab\rc\r\n#a\tb\x01\r\n#c\x98\r\n#d\n#END");
    EXPECT_EQ(Where(),
              (Places{"dlg/3.dlg:1", "dlg/3.dlg:2", "dlg/3.dlg:3", "dlg/3.dlg:4", "dlg/3.dlg:5"}));
    EXPECT_TRUE(AnyFindingSays("dlg/3.dlg:1: stray CR at column 4"));
    EXPECT_TRUE(AnyFindingSays("dlg/3.dlg:2: control byte 0x01 at column 5"));
    EXPECT_TRUE(AnyFindingSays("dlg/3.dlg:3: byte 0x98 at column 3"));
    EXPECT_TRUE(AnyFindingSays("dlg/3.dlg:4: warning: line ends with LF alone"));
    EXPECT_TRUE(AnyFindingSays("dlg/3.dlg:5: warning: last line has no CR LF"));
}

TEST_F(CheckTool, LineEndsAreJudgedOncePerFile) {
    dir.Write("path.tmb", "dlg\\1.dlg\ndlg\\2.dlg\ndlg\\3.dlg\n");
    EXPECT_EQ(Found(), (Lines{"path.tmb:1: warning: line ends with LF alone, not CR LF "
                              "(3 such lines in this file)"}));
}

TEST_F(CheckTool, NothingAfterByte26IsRead) {
    dir.Write("path.tmb",
              "dlg\\1.dlg\r\ndlg\\2.dlg\r\n\x1a"
              "dlg\\3.dlg\r\n");
    // The third entry is lost, so the count and dialogue 3 are wrong as well.
    EXPECT_EQ(Where(), (Places{"opt.tmb:4", "path.tmb:3", "dlg/3.dlg:0"}));
    EXPECT_TRUE(
        AnyFindingSays("path.tmb:3: byte 26 (0x1A) ends the file for the program: 11 "
                       "byte(s) after it are never read"));
}

TEST_F(CheckTool, EmptyLinesInEveryKindOfFile) {
    WriteOptions("", 3);
    WritePathEntries({"dlg\\1.dlg", "", "dlg\\2.dlg", "dlg\\3.dlg"});
    WriteDialogue(2, {u8"$пока"_cp, "", u8"#Пока![e]"_cp, "#END"});
    // The program skips a blank path-list line, which leaves three entries: the count is right.
    EXPECT_EQ(Where(), (Places{"opt.tmb:1", "path.tmb:2", "dlg/2.dlg:1", "dlg/2.dlg:2"}));
    EXPECT_TRUE(AnyFindingSays("path.tmb:2: warning: blank line; the program skips it"));
    EXPECT_TRUE(AnyFindingSays("dlg/2.dlg:1: triggers with no reply after them"));
}

TEST_F(CheckTool, APathListLineLongerThanAnyEntry) {
    WriteOptions(u8"Аня"_cp, 4);
    WritePathEntries({"dlg\\1.dlg", std::string(5000, 'x'), "dlg\\2.dlg", "dlg\\3.dlg"});
    EXPECT_EQ(Found(), (Lines{"path.tmb:2: line of 5000 bytes, longer than any entry can be "
                              "(4096): the program fails at it"}));
}

TEST_F(CheckTool, PathListEntriesThatNameNoDialogue) {
    WriteOptions(u8"Аня"_cp, 4);
    WritePathEntries({"dlg\\1.dlg", "dlg/2.dlg", "dlg\\3.dlg", "dlg\\4.dlg"});
    EXPECT_EQ(Found(), (Lines{"path.tmb:2: warning: entry \"dlg/2.dlg\" is not in the usual form "
                              "dlg\\N.dlg; the program reads it as number 2",
                              "path.tmb:4: entry \"dlg\\4.dlg\" names a missing file"}));
}

// What the program refuses to touch is an error: an entry outside dlg/, and a linked dlg
// or dlg/forgotten.
TEST_F(CheckTool, EntriesOutsideTheDialogueFolderAndLinkedFolders) {
    WriteOptions(u8"Аня"_cp, 4);
    for (const std::string entry : {"/etc/passwd", "dlg\\..\\opt.tmb", "x.dlg"}) {
        WritePathEntries({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", entry});
        EXPECT_TRUE(
            AnyFindingSays("path.tmb:4: entry \"" + entry + "\" names no file in the folder dlg"))
            << entry;
    }
    WritePathEntries({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"});
    WriteOptions(u8"Аня"_cp, 3);
    test::TempDir elsewhere;
    std::filesystem::create_directory_symlink(elsewhere.path(), dir.path() / "dlg/forgotten");
    EXPECT_EQ(Where(), Places{"dlg/forgotten:0"});
    std::filesystem::remove(dir.path() / "dlg/forgotten");
    std::filesystem::rename(dir.path() / "dlg", elsewhere.path() / "dlg");
    std::filesystem::create_directory_symlink(elsewhere.path() / "dlg", dir.path() / "dlg");
    EXPECT_TRUE(AnyFindingSays("dlg: is a symbolic link"));
}

// The program opens every entry as it stands and reads a number from the last one only
// to name the next dialogue taught: what it can number is only unusual.
TEST_F(CheckTool, EntriesOfTheWrongForm) {
    WriteOptions(u8"Аня"_cp, 4);
    for (const std::string entry :
         {"dlg\\.dlg", "dlg\\a.dlg", "dlg\\1.dlg ", "dlg\\2147483648.dlg", "dlg\\1\\1.dlg"}) {
        WritePathEntries({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", entry});
        EXPECT_TRUE(AnyFindingSays("path.tmb:4: entry \"" + entry +
                                   "\" is not of the form dlg\\N.dlg: no dialogue can be "
                                   "taught after it"))
            << entry;
    }
    for (const auto& [entry, number] :
         std::vector<std::pair<std::string, int>>{{"DLG\\1.dlg", 1},
                                                  {"dlg\\0.dlg", 0},
                                                  {"dlg\\01.dlg", 1},
                                                  {"dlg\\+1.dlg", 1},
                                                  {"dlg\\$A.dlg", 10},
                                                  {"dlg\\1.txt", 1}}) {
        WritePathEntries({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", entry});
        EXPECT_TRUE(AnyFindingSays("path.tmb:4: warning: entry \"" + entry +
                                   "\" is not in the usual form dlg\\N.dlg; the program reads "
                                   "it as number " +
                                   std::to_string(number)))
            << entry;
    }
    WriteDialogue(2147483647, {"$big", "#number", "#END"});
    WritePathEntries({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", "dlg\\2147483647.dlg"});
    EXPECT_EQ(Found(), Lines{});
}

TEST_F(CheckTool, ARepeatedEntryIsReportedOnce) {
    WriteOptions(u8"Аня"_cp, 4);
    WritePathEntries({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", "dlg\\1.dlg"});
    EXPECT_EQ(Found(), (Lines{"path.tmb:4: entry \"dlg\\1.dlg\" repeats line 1"}));
}

TEST_F(CheckTool, AnEmptyPathListLeavesEveryDialogueUnread) {
    WriteOptions(u8"Аня"_cp, 0);
    dir.Write("path.tmb", "");
    EXPECT_EQ(Where(), (Places{"path.tmb:0", "dlg/1.dlg:0", "dlg/2.dlg:0", "dlg/3.dlg:0"}));
}

TEST_F(CheckTool, UnlistedDialoguesAreWarnedAboutInNumberOrder) {
    WriteDialogue(10, {"$ten", "#10", "#END"});
    WriteDialogue(4, {"$four", "#4", "#END"});
    dir.Write("dlg/notes.txt", "not a dialogue");
    dir.Write("temp.dlg", "$scratch\r\n");
    EXPECT_EQ(Found(), (Lines{"dlg/4.dlg: warning: not listed in path.tmb, so the program "
                              "never reads it",
                              "dlg/10.dlg: warning: not listed in path.tmb, so the program "
                              "never reads it"}));
}

TEST_F(CheckTool, WhatTheBaseWindowForgotIsKeptAsideWithoutWarnings) {
    WriteDialogue(4, {"$four", "#4", "#END"});
    dir.Write("dlg/forgotten/4.dlg", test::CrLfLines({"$four", "#4", "#END"}));
    dir.Write("dlg/forgotten/4-2.dlg", test::CrLfLines({"$four", "#4", "#END"}));
    dir.Write("forgotten.tmb", test::CrLfLines({"four", u8"погода"_cp}));
    EXPECT_EQ(Where(), (Places{"dlg/4.dlg:0"})) << "only the file still in dlg/ is unlisted";
    dir.Write("forgotten.tmb", "four\n\r\n");
    EXPECT_EQ(Where(), (Places{"dlg/4.dlg:0", "forgotten.tmb:1", "forgotten.tmb:2"}))
        << "its lines keep the rules of every base file";
}

TEST_F(CheckTool, WordSubstitutionsTheProgramCannotUse) {
    struct Row {
        const char* name;
        std::string words;
        Lines found;
    };
    const std::string tooLong = u8"вы="_cp + std::string(5000, 'x');
    const Row rows[] = {
        {"sound", test::CrLfLines({u8"ну="_cp, u8"вы=ты"_cp, u8"др=день рождения"_cp}), {}},
        {"malformed",
         test::CrLfLines({u8"вы ты"_cp, u8"вы вас=ты"_cp, u8"=ты"_cp, " "}),
         {"words.tmb:1: \"вы ты\" is not word=replacement (one word, \"=\", then zero or more "
          "words); the program leaves it out",
          "words.tmb:2: \"вы вас=ты\" is not word=replacement (one word, \"=\", then zero or "
          "more words); the program leaves it out",
          "words.tmb:3: \"=ты\" is not word=replacement (one word, \"=\", then zero or more "
          "words); the program leaves it out",
          "words.tmb:4: \" \" is not word=replacement (one word, \"=\", then zero or more "
          "words); the program leaves it out"}},
        {"negation",
         test::CrLfLines({u8"не="_cp, u8"Нет=неа"_cp}),
         {"words.tmb:1: \"не\" turns a phrase's meaning round and is never replaced or "
          "dropped; the program leaves the line out",
          "words.tmb:2: \"нет\" turns a phrase's meaning round and is never replaced or "
          "dropped; the program leaves the line out"}},
        {"itself",
         test::CrLfLines({u8"Ёж=ёж!"_cp}),
         {"words.tmb:1: \"еж\" is replaced by itself; the program leaves the line out"}},
        {"twice",
         test::CrLfLines({u8"вы=ты"_cp, u8"вас=тебя"_cp, u8"Вы=тебя"_cp}),
         {"words.tmb:3: \"вы\" is already given at line 1, which the program uses"}},
        {"cycle",
         test::CrLfLines({u8"ну="_cp, u8"вас=тебя"_cp, u8"тебя=ты вас"_cp}),
         {"words.tmb:2: \"вас\" leads back to itself through the replacements; the program "
          "stops where it would come round",
          "words.tmb:3: \"тебя\" leads back to itself through the replacements; the program "
          "stops where it would come round"}},
        {"line rules",
         u8"вы=ты\r\n\r\nну=\n"_cp,
         {"words.tmb:2: empty line", "words.tmb:3: warning: line ends with LF alone, not CR LF"}},
        {"long",
         test::CrLfLines({tooLong}),
         {"words.tmb:1: line of 5003 bytes, longer than 4096: the program leaves it out"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.Write("words.tmb", row.words);
        EXPECT_EQ(Found(), row.found);
    }
    std::filesystem::remove(dir.file("words.tmb"));
    std::filesystem::create_directory(dir.file("words.tmb"));
    const auto found = tools::CheckBase(dir.path());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].unreadable);
    EXPECT_EQ(tools::FormatFinding(found[0]), "words.tmb: is a folder, not a file");
}

TEST_F(CheckTool, ConceptsMarksAndCatchAlls) {
    dir.Write("concepts.tmb",
              test::CrLfLines({u8"@близкий=друг, @семья"_cp, u8"@семья=мама, брат"_cp,
                               u8"!@опасно=суицид, @нигде"_cp, u8"близкий=друг"_cp,
                               u8"@петля=@узел"_cp, u8"@узел=@петля"_cp}));
    WriteDialogue(1, {u8"$[срочно]"_cp, u8"$& @близкий @выпил -@семья"_cp, "#112", u8"$[срочно]"_cp,
                      "$*", "#112", "#END"});
    WriteDialogue(2, {u8"$[помощь]"_cp, "$*", u8"#Что случилось? 112"_cp, "#END"});
    WriteDialogue(3, {u8"$[срочно]"_cp, u8"$* @близкий *"_cp, "#112", "#END"});
    EXPECT_EQ(Found(),
              (Lines{"concepts.tmb:3: @нигде is not defined",
                     "concepts.tmb:4: is not @name=entry, entry (or !@name=... for danger signs); "
                     "the program leaves it out",
                     "concepts.tmb:5: @петля contains itself through @узел",
                     "concepts.tmb:6: @узел contains itself through @петля",
                     "dlg/1.dlg:2: \"@выпил\" is no class of concepts.tmb, so it meets nothing",
                     "dlg/1.dlg:4: \"[срочно]\" marks a dialogue only as its first line; here "
                     "it is a phrase nobody types",
                     "dlg/2.dlg:2: a trigger of * alone answers what a dialogue's other turns do "
                     "not, so only a later turn may hold it; as an opener it meets nothing"}));
}

// Every read goes through the file calls, so a failing disk is reported for the file.
TEST_F(CheckTool, AFailedReadNamesTheFile) {
    test::FailingFileCalls calls;
    calls.FailAt(test::FailingFileCalls::Call::kRead, EIO, 1, "dlg/2.dlg");
    const auto found = tools::CheckBase(dir.path(), calls);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].unreadable);
    EXPECT_EQ(tools::FormatFinding(found[0]), "dlg/2.dlg: cannot be read: Input/output error");
}

TEST_F(CheckTool, StoredCountAgainstThePathList) {
    WriteOptions(u8"Аня"_cp, 5);
    EXPECT_EQ(Found(),
              (Lines{"opt.tmb:4: stored dialogue count 5 differs from the 3 entries in path.tmb"}));
}

TEST_F(CheckTool, OptionLinesThatAreNotWhatTheProgramReads) {
    dir.Write("opt.tmb", test::CrLfLines({u8"Аня"_cp, "yes", "7x", u8"много"_cp, "extra"}));
    EXPECT_EQ(Found(),
              (Lines{"opt.tmb:2: \"yes\" should be true or false; the program reads it as false",
                     "opt.tmb:3: opacity \"7x\" is not an integer",
                     "opt.tmb:4: dialogue count \"много\" is not an integer",
                     "opt.tmb:5: extra line; the program reads only the first four"}));
}

TEST_F(CheckTool, OptionIntegersAreReadAsTheProgramReadsThem) {
    dir.Write("opt.tmb", test::CrLfLines({u8"Аня"_cp, "true", "$46", " 3 "}));
    EXPECT_EQ(Found(), Lines{});
    dir.Write("opt.tmb", test::CrLfLines({u8"Аня"_cp, "true", "200", "3"}));
    EXPECT_EQ(Found(), (Lines{"opt.tmb:3: warning: opacity 200 is outside 0 to 140; the "
                              "program uses 140"}));
    dir.Write("opt.tmb", test::CrLfLines({u8"Аня"_cp, "true"}));
    EXPECT_EQ(Where(), (Places{"opt.tmb:0"}));
}

TEST_F(CheckTool, ADialogueMustEndWithEndAndOnlyThere) {
    WriteDialogue(3, {u8"$как дела"_cp, u8"#Из другого диалога"_cp});
    WriteDialogue(
        1, {u8"$привет"_cp, u8"#Привет"_cp, "#END", u8"$как дела"_cp, u8"#Отлично."_cp, "#END"});
    EXPECT_EQ(Found(), (Lines{"dlg/1.dlg:3: #END before the end of the file; the program reads "
                              "it as the reply \"END\"",
                              "dlg/3.dlg:2: last line is not #END"}));
}

TEST_F(CheckTool, DialoguesThatCanNeverStart) {
    WriteDialogue(1, {u8"#Привет"_cp, u8"$как дела"_cp, u8"#Отлично."_cp, "#END"});
    WriteDialogue(2, {"#END"});
    dir.Write("dlg/3.dlg", "");
    EXPECT_EQ(Where(), (Places{"dlg/1.dlg:1", "dlg/2.dlg:0", "dlg/3.dlg:0"}));
    WriteDialogue(2, {"#bye", "#END"});
    EXPECT_EQ(Where(), (Places{"dlg/1.dlg:1", "dlg/2.dlg:1", "dlg/2.dlg:0", "dlg/3.dlg:0"}));
    EXPECT_TRUE(AnyFindingSays("dlg/1.dlg:1: replies before any trigger"));
}

TEST_F(CheckTool, TriggersThatCanNeverMatchAreQuotedInUtf8) {
    WriteDialogue(3, {u8"$Как дела"_cp, "$HOW", u8"$ёЁ"_cp, "$", u8"#Из другого"_cp, "#END"});
    EXPECT_EQ(Found(),
              (Lines{"dlg/3.dlg:1: trigger \"Как дела\" is not lower case, so it can never match "
                     "(typed text is lower-cased: \"как дела\")",
                     "dlg/3.dlg:2: trigger \"HOW\" is not lower case, so it can never match "
                     "(typed text is lower-cased: \"how\")",
                     "dlg/3.dlg:4: trigger with no text can never match"}));
}

TEST_F(CheckTool, TurnsWithoutReplies) {
    WriteDialogue(3, {"$a", "hello", "#r", "$b", "#END"});
    EXPECT_EQ(Found(), (Lines{"dlg/3.dlg:1: triggers with no reply after them",
                              "dlg/3.dlg:2: line is neither a trigger ($) nor a reply (#)",
                              "dlg/3.dlg:4: triggers followed by #END instead of a reply; the "
                              "program answers \"END\""}));
    WriteDialogue(3, {"$a", "#", "$b"});
    EXPECT_EQ(Where(), (Places{"dlg/3.dlg:2", "dlg/3.dlg:3", "dlg/3.dlg:3"}));
}

TEST_F(CheckTool, AnOpenerAnEarlierDialogueHasNamesBothFiles) {
    WriteDialogue(3, {u8"$как дела"_cp, "$hello", u8"#Ещё раз"_cp, "#END"});
    EXPECT_EQ(Found(), (Lines{"dlg/3.dlg:2: opener \"hello\" is already an opener of dlg\\1.dlg, "
                              "earlier in path.tmb; this dialogue never answers it out of "
                              "context"}));
}

TEST_F(CheckTool, AnOpenerThatFoldsLikeAnEarlierOneIsAWarning) {
    WriteDialogue(3, {"$hello!", "$hello?", "$hello...", "$!!!", "#x", "#END"});
    const auto findings = tools::CheckBase(dir.path());
    ASSERT_EQ(findings.size(), 1u) << "once, and punctuation alone is no opener to fold";
    EXPECT_TRUE(findings[0].warning);
    EXPECT_EQ(tools::FormatFinding(findings[0]),
              "dlg/3.dlg:1: warning: opener \"hello!\" reads as \"hello\" to the tolerant search, "
              "like an "
              "opener of dlg\\1.dlg, earlier in path.tmb, which answers its other spellings first");
}

TEST_F(CheckTool, ATriggerRepeatedInALaterTurnNeverAnswers) {
    WriteDialogue(1, {u8"$привет"_cp, "$hello", u8"#Привет"_cp, u8"$как дела"_cp, "$hello",
                      u8"#Отлично."_cp, "#END"});
    EXPECT_EQ(Where(), (Places{"dlg/1.dlg:5"}));
    EXPECT_TRUE(AnyFindingSays("repeats line 2 of an earlier turn"));
}

TEST_F(CheckTool, ABaseWithoutItsListsCannotBeChecked) {
    const auto checkFails = [&] {
        EXPECT_THROW(tools::CheckBase(dir.path()), tools::BaseUnreadable);
    };
    std::filesystem::remove(dir.file("path.tmb"));
    checkFails();
    std::filesystem::create_directory(dir.file("path.tmb"));
    checkFails();
    std::filesystem::remove(dir.file("path.tmb"));
    WritePathList(3);
    std::filesystem::remove(dir.file("opt.tmb"));
    checkFails();
    EXPECT_THROW(tools::CheckBase(dir.file("nowhere")), tools::BaseUnreadable);
}

class CheckToolCommand : public CheckTool {
protected:
    test::ToolRun Check(const std::string& arguments) const {
        return test::RunTool(test::ShellQuoted(TUMBO_CHECK_BINARY) + " " + arguments);
    }
};

TEST_F(CheckToolCommand, ExitStatusSaysCleanProblemsOrUnreadable) {
    const auto clean = Check(test::ShellQuoted(dir.path().string()));
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(clean.out, "");

    WriteOptions(u8"Аня"_cp, 5);
    WriteDialogue(3, {u8"$Как дела"_cp, "#x"});
    const auto before = Snapshot();
    const auto problems = Check(test::ShellQuoted(dir.path().string()));
    EXPECT_EQ(problems.status, 1);
    EXPECT_EQ(test::SplitOutput(problems.out), Found()) << "one finding a line, in UTF-8";
    EXPECT_EQ(Snapshot(), before);

    const auto missing = Check(test::ShellQuoted(dir.file("nowhere")));
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "tumbo-check: " + dir.file("nowhere") + ": no such folder\n");
}

// Whatever a base holds, the check ends with a report, in bounded memory.
TEST_F(CheckToolCommand, FilesThatAreNotFilesOrAreHuge) {
    const std::string line = "$" + std::string(tools::kMaxLineLength * 3, 'x');
    dir.Write("dlg/2.dlg", line + "\r\n#r\r\n#END\r\n");
    std::filesystem::remove(dir.file("dlg/3.dlg"));
    ASSERT_EQ(::mkfifo(dir.file("dlg/3.dlg").c_str(), 0600), 0);
    auto run = Check(test::ShellQuoted(dir.path().string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(test::SplitOutput(run.out),
              (Lines{"path.tmb:3: entry \"dlg\\3.dlg\" names a named pipe (FIFO), not a file",
                     "dlg/2.dlg:1: line of " + std::to_string(line.size()) +
                         " bytes, longer than 65536; only its start is checked"}));

    std::filesystem::rename(dir.file("opt.tmb"), dir.file("opt.real"));
    std::filesystem::create_symlink("/dev/zero", dir.file("opt.tmb"));
    run = Check(test::ShellQuoted(dir.path().string()));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "tumbo-check: " + dir.file("opt.tmb") + ": is a character device, not a file\n");
    std::filesystem::remove(dir.file("opt.tmb"));
    std::filesystem::rename(dir.file("opt.real"), dir.file("opt.tmb"));
    std::filesystem::remove(dir.file("path.tmb"));
    ASSERT_EQ(::mkfifo(dir.file("path.tmb").c_str(), 0600), 0);
    run = Check(test::ShellQuoted(dir.path().string()));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "tumbo-check: " + dir.file("path.tmb") + ": is a named pipe (FIFO), not a file\n");
}

TEST_F(CheckToolCommand, Usage) {
    EXPECT_EQ(Check("").status, 2);
    EXPECT_EQ(Check("a b").status, 2);
    const auto help = Check("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(test::SplitOutput(help.out).front(), "usage: tumbo-check BASE_DIR");
}

}  // namespace
}  // namespace tumbo
