#include "tools/merge.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>

#include "engine/base_editor.h"
#include "platform/base_lock.h"
#include "support/engine_fixture.h"
#include "support/failing_file_calls.h"
#include "tool_support.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::Lines;
using test::operator""_cp;
using Call = test::FailingFileCalls::Call;

const std::string kUserPathList = CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"});
const std::string kMergedPathList =
    CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", "dlg\\4.dlg"});
// Bundled dialogues 2 and 3 are new to the user's base; they become its 3 and 4.
const std::map<std::string, std::string> kAdditions = {{"dlg/3.dlg", "dlg/2.dlg"},
                                                       {"dlg/4.dlg", "dlg/3.dlg"}};

struct MergeRun {
    int status = -1;
    Lines out;
    std::string err;
};

// A user's base with two dialogues, and a bundled base of five: one shares a later opener
// with the user's, one opens with what the user has only as a later turn, one is new, one
// shares an opener with that new one, and one is the user's farewell again.
class MergeTool : public test::BaseTest {
protected:
    void SetUp() override { WriteBases(); }

    void WriteBases() {
        dir.Clear();
        bundled.Clear();
        dir.Write("opt.tmb", UserOptions(2));
        dir.Write("path.tmb", kUserPathList);
        WriteDialogue(1, {u8"$привет"_cp, "$hello", u8"#Привет, [n]!"_cp, u8"$как дела"_cp,
                          u8"#Отлично."_cp, "#END"});
        WriteDialogue(2, {u8"$пока"_cp, u8"#Пока![e]"_cp, "#END"});
        bundled.Write("opt.tmb", CrLfLines({u8"Гость"_cp, "false", "70", "5"}));
        bundled.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg", "dlg\\4.dlg",
                                             "dlg\\5.dlg"}));
        bundled.Write("dlg/1.dlg", CrLfLines({"$hi", "$hello", "#Hi!", "#END"}));
        bundled.Write("dlg/2.dlg", CrLfLines({u8"$как дела"_cp, u8"#Хорошо!"_cp, "#END"}));
        bundled.Write("dlg/3.dlg", CrLfLines({u8"$погода"_cp, u8"#Солнечно."_cp, u8"$а завтра"_cp,
                                              u8"#Дождь."_cp, "#END"}));
        bundled.Write("dlg/4.dlg",
                      CrLfLines({u8"$что нового"_cp, u8"$погода"_cp, u8"#Ничего."_cp, "#END"}));
        bundled.Write("dlg/5.dlg", CrLfLines({u8"$пока"_cp, u8"#До встречи."_cp, "#END"}));
    }

    MergeRun Merge(FileCalls& calls = SystemFileCalls()) {
        const std::string from = bundled.path().string();
        const std::string to = dir.path().string();
        const char* argv[] = {"tumbo-merge", from.c_str(), to.c_str()};
        std::ostringstream out;
        std::ostringstream err;
        MergeRun run;
        run.status = tools::RunMerge(3, argv, out, err, calls);
        run.out = test::SplitOutput(out.str());
        run.err = err.str();
        return run;
    }

    static std::string UserOptions(int count) {
        return CrLfLines({u8"Аня"_cp, "false", "70", std::to_string(count)});
    }

    std::string Summary(int added, int present) const {
        return "tumbo-merge: added " + std::to_string(added) + " dialogue(s) to " + dir.prefix() +
               "; " + std::to_string(present) + " open with a phrase it already has";
    }

    // The path list may name the first, or both, of the additions; each is whole.
    void ExpectWholeAdditions(const std::string& pathList) {
        ASSERT_TRUE(kMergedPathList.starts_with(pathList) && pathList.starts_with(kUserPathList))
            << pathList;
        std::set<std::string> names = {"1.dlg", "2.dlg"};
        for (const auto& [added, from] : kAdditions) {
            if (pathList.find(added.substr(4)) != std::string::npos) {
                EXPECT_EQ(dir.Read(added), bundled.Read(from)) << added;
                names.insert(added.substr(4));
            }
        }
        EXPECT_EQ(dir.Names("dlg"), names) << "no half or unnamed dialogue";
        EXPECT_EQ(dir.Names(), (std::set<std::string>{"dlg", "opt.tmb", "path.tmb"}));
    }

    test::TempDir bundled;
};

TEST_F(MergeTool, AddsWhatIsNewInTheBundledOrderAndOnlyOnce) {
    const auto before = Snapshot();
    const auto run = Merge();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              (Lines{"added dlg/3.dlg: как дела", "added dlg/4.dlg: погода", Summary(2, 3)}));
    ExpectWholeAdditions(kMergedPathList);
    EXPECT_EQ(dir.Read("opt.tmb"), UserOptions(4));
    for (const std::string name : {"dlg/1.dlg", "dlg/2.dlg"}) {
        EXPECT_EQ(dir.Read(name), before.at(name)) << "the user's files stay as they were";
    }
    const auto merged = Snapshot();
    EXPECT_EQ(Merge().out, Lines{Summary(0, 5)});
    EXPECT_EQ(Snapshot(), merged) << "a second run changes nothing";
}

// The user's path list ends at byte 26 and skips blank lines for the merge as for the
// program: additions go before the mark, a second run adds nothing, and the count stored
// is the path list's, whatever was there.
TEST_F(MergeTool, AdditionsGoBeforeTheEndMarkAndTheCountHeals) {
    dir.Write("path.tmb", "dlg\\1.dlg\r\n\r\ndlg\\2.dlg\r\n\x1a");
    dir.Write("opt.tmb", UserOptions(1));
    EXPECT_EQ(Merge().status, 0);
    EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg\r\n\r\ndlg\\2.dlg\r\ndlg\\3.dlg\r\ndlg\\4.dlg\r\n");
    EXPECT_EQ(dir.Read("opt.tmb"), UserOptions(4));
    EXPECT_FALSE(dir.Exists("path.tmb.bak")) << "nothing but the mark followed it";
    EXPECT_EQ(Merge().out, Lines{Summary(0, 5)});
}

TEST_F(MergeTool, ADialogueForgottenInTheBaseWindowNeverComesBack) {
    ASSERT_EQ(Merge().status, 0);
    {
        const Opened opened = Session::Open(dir.path().string());
        test::TestWindow window(*opened.session);
        window.input = u8"погода"_cp;
        window.SendPhrase();
        ASSERT_EQ(window.chat.back(), u8"Tumbo:Солнечно."_cp);
        ASSERT_FALSE(opened.session->Forget("dlg\\4.dlg"));
        window.SendPhrase();
        EXPECT_TRUE(window.teachPanelVisible) << "forgotten, it answers no more";
        window.LeaveTeaching();
    }

    const auto forgotten = Snapshot();
    const auto run = Merge();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Lines{Summary(0, 3) + "; 2 were forgotten there"})
        << "neither the dialogue nor one sharing its opener";
    EXPECT_EQ(Snapshot(), forgotten);
}

// forgotten.tmb ends at its end mark for the merge as for every reader: an opener after it
// keeps nothing out, and the merge says it is there.
TEST_F(MergeTool, ForgottenOpenersEndAtTheEndMark) {
    const std::string forgotten = CrLfLines({"hi"}) + "\x1a" + CrLfLines({u8"погода"_cp});
    dir.Write("forgotten.tmb", forgotten);
    const auto run = Merge();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              (Lines{"added dlg/3.dlg: как дела", "added dlg/4.dlg: погода", Summary(2, 3)}));
    EXPECT_EQ(run.err, "tumbo-merge: " + dir.prefix() +
                           "forgotten.tmb goes on after its end mark (byte 26); what follows it "
                           "is not read, so it keeps no dialogue out\n");
    EXPECT_EQ(dir.Read("forgotten.tmb"), forgotten);
}

// A line longer than any reader takes is an error naming its file and line: in the user's
// forgotten openers nothing is merged, in a bundled dialogue that one is left out.
TEST_F(MergeTool, ALineOverTheLimitIsAnErrorNamingItsFileAndLine) {
    struct Case {
        const char* name;
        test::TempDir& base;
        std::string file;
        int status;
        std::string pathList;
    };
    const Case cases[] = {
        {"forgotten openers", dir, "forgotten.tmb", 2, kUserPathList},
        {"bundled dialogue", bundled, "dlg/3.dlg", 1, kMergedPathList},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBases();
        c.base.Write(c.file, "$a\r\n" + std::string(1 << 20, 'x') + "\r\n");
        const auto run = Merge();
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find("Line too long\n  Operation: read\n  File: " + c.base.file(c.file) +
                               "\n  Reason: line 2 is longer than 65536 bytes\n"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(dir.Read("path.tmb"), c.pathList);
    }
}

TEST_F(MergeTool, NewDialoguesTakeFreeNamesAfterTheLastEntry) {
    // A file the path list leaves out is still the user's, and a last entry without a line
    // end is not joined to the next one.
    WriteDialogue(3, {"$kept aside", "#yes", "#END"});
    dir.Write("path.tmb", "dlg\\1.dlg\r\ndlg\\2.dlg");
    EXPECT_EQ(Merge().out.front(), "added dlg/4.dlg: как дела");
    EXPECT_EQ(dir.Read("dlg/3.dlg"), CrLfLines({"$kept aside", "#yes", "#END"}));
    EXPECT_EQ(dir.Read("path.tmb"),
              CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\4.dlg", "dlg\\5.dlg"}));
    EXPECT_EQ(dir.Read("dlg/5.dlg"), bundled.Read("dlg/3.dlg"));
}

TEST_F(MergeTool, AUserDialogueThatCannotBeReadIsLeftOutOfTheComparison) {
    dir.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\7.dlg", "dlg\\2.dlg"}));
    const auto run = Merge();
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.err.starts_with("tumbo-merge: cannot read the openers of dlg\\7.dlg in " +
                                    dir.prefix() + ": File not found\n"))
        << run.err;
    EXPECT_EQ(run.out.back(), Summary(2, 3)) << "the farewell in a readable file still counts";
}

TEST_F(MergeTool, TheCountIsRaisedOnlyInAnOptionFileTheProgramCanRead) {
    // Values the window would not show as they are, kept as the user wrote them.
    dir.Write("opt.tmb", CrLfLines({u8"Аня"_cp, "true", "200", "2"}));
    EXPECT_EQ(Merge().status, 0);
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({u8"Аня"_cp, "true", "200", "4"}));

    WriteBases();
    const std::string unreadable = CrLfLines({u8"Аня"_cp, "false", "7O", "2"});
    dir.Write("opt.tmb", unreadable);
    const auto run = Merge();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.Read("path.tmb"), kMergedPathList);
    EXPECT_EQ(dir.Read("opt.tmb"), unreadable);
    EXPECT_TRUE(run.err.starts_with("tumbo-merge: the dialogue count in " + dir.prefix() +
                                    "opt.tmb is left as it is: Invalid numeric input\n"))
        << run.err;
}

// Records whether the user's folder was ever free while the merge opened a file in it.
class LockProbe : public FileCalls {
public:
    explicit LockProbe(std::string folder) : folder_(std::move(folder)) {}
    int Open(const char* path, int flags, mode_t mode) override {
        // The folder itself is opened to take the lock.
        if (std::string_view(path).starts_with(folder_) && path != folder_) {
            ++opens;
            freeAtSomeOpen = freeAtSomeOpen || BaseLock::TryAcquire(folder_) != nullptr;
        }
        return FileCalls::Open(path, flags, mode);
    }
    int opens = 0;
    bool freeAtSomeOpen = false;

private:
    std::string folder_;
};

TEST_F(MergeTool, HoldsTheUserBaseAndLeavesABusyOneAlone) {
    LockProbe probe(dir.path().string());
    EXPECT_EQ(Merge(probe).status, 0);
    EXPECT_GT(probe.opens, 10);
    EXPECT_FALSE(probe.freeAtSomeOpen);

    WriteBases();
    const auto before = Snapshot();
    const auto held = BaseLock::TryAcquire(dir.path().string());
    ASSERT_NE(held, nullptr);
    const auto run = Merge();
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "tumbo-merge: " + dir.prefix() +
                           " is in use by Tumbo or another merge; nothing was changed\n");
    EXPECT_EQ(Snapshot(), before);
}

// Every kind of file call failing from each of its uses on: the user's base gains only
// whole dialogues, each named by the path list, and a later run completes it.
TEST_F(MergeTool, AFailureAddsWholeDialoguesOrNothing) {
    int faultsMet = 0;
    for (const Call call :
         {Call::kOpen, Call::kRead, Call::kWrite, Call::kFsync, Call::kClose, Call::kRename,
          Call::kFchmod, Call::kRenameNoReplace, Call::kStat, Call::kLseek, Call::kPread}) {
        for (int use = 1;; ++use) {
            SCOPED_TRACE("call " + std::to_string(static_cast<int>(call)) + " failing from use " +
                         std::to_string(use));
            ASSERT_LT(use, 100);
            WriteBases();
            test::FailingFileCalls failing;
            failing.FailAt(call, EIO, use);
            const auto run = Merge(failing);
            if (run.status == 0 && run.err.empty()) {
                break;  // no call of that kind is left to fail
            }
            ++faultsMet;
            EXPECT_NE(run.err.find("File: /"), std::string::npos) << run.err;
            ExpectWholeAdditions(dir.Read("path.tmb"));
            const std::string options = dir.Read("opt.tmb");
            EXPECT_TRUE(options == UserOptions(2) || options == UserOptions(3) ||
                        options == UserOptions(4))
                << options;
            failing.Heal();
            EXPECT_EQ(Merge(failing).status, 0);
            EXPECT_EQ(dir.Read("path.tmb"), kMergedPathList);
        }
    }
    EXPECT_GT(faultsMet, 20);
}

// The user's words.tmb, or none, and the bundled one: what the user's holds after a merge
// and what the merge says it added.
// A linked dlg would take the new dialogues out of the data folder: nothing is written.
TEST_F(MergeTool, ALinkedDialogueFolderIsRefused) {
    test::TempDir elsewhere;
    std::filesystem::rename(dir.path() / "dlg", elsewhere.path() / "dlg");
    elsewhere.Write("dlg/9.dlg.tmp", "not the merge's to remove");
    std::filesystem::create_directory_symlink(elsewhere.path() / "dlg", dir.path() / "dlg");
    const auto names = elsewhere.Names("dlg");
    const auto run = Merge();
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("File: " + dir.file("dlg")), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("symbolic link"), std::string::npos) << run.err;
    EXPECT_EQ(dir.Read("path.tmb"), kUserPathList);
    EXPECT_EQ(dir.Read("opt.tmb"), UserOptions(2));
    EXPECT_EQ(elsewhere.Names("dlg"), names);
    EXPECT_TRUE(elsewhere.Exists("dlg/9.dlg.tmp"));
}

TEST_F(MergeTool, WordsTheUserDoesNotGiveAreAddedAndTheUsersLinesStay) {
    struct Row {
        const char* name;
        std::optional<std::string> user;
        std::optional<std::string> bundled;
        std::optional<std::string> merged;
        Lines added;
    };
    const Row rows[] = {
        {"none bundled", std::nullopt, std::nullopt, std::nullopt, {}},
        {"created whole",
         std::nullopt,
         CrLfLines({u8"ну="_cp, u8"вы=ты"_cp}),
         CrLfLines({u8"ну="_cp, u8"вы=ты"_cp}),
         {"ну=", "вы=ты"}},
        {"only new words, in order",
         CrLfLines({u8"Вы=тебя"_cp, u8"щас="_cp}),
         CrLfLines({u8"вы=ты"_cp, u8"ну="_cp, u8"щас=сейчас"_cp, u8"спс=спасибо"_cp}),
         CrLfLines({u8"Вы=тебя"_cp, u8"щас="_cp, u8"ну="_cp, u8"спс=спасибо"_cp}),
         {"ну=", "спс=спасибо"}},
        {"a faulty line of the user's still gives its word",
         CrLfLines({u8"ну=ну"_cp}),
         CrLfLines({u8"ну="_cp, u8"вы=ты"_cp}),
         CrLfLines({u8"ну=ну"_cp, u8"вы=ты"_cp}),
         {"вы=ты"}},
        {"bundled faults and repeats are left out",
         std::nullopt,
         CrLfLines({u8"не="_cp, u8"ну="_cp, u8"Ну=да"_cp, u8"а б=в"_cp}),
         CrLfLines({u8"ну="_cp}),
         {"ну="}},
        {"after the end mark, on a line of its own",
         u8"вы=ты\x1a"_cp,
         CrLfLines({u8"ну="_cp}),
         CrLfLines({u8"вы=ты"_cp, u8"ну="_cp}),
         {"ну="}},
        {"nothing new",
         CrLfLines({u8"ну="_cp}),
         CrLfLines({u8"ну="_cp}),
         CrLfLines({u8"ну="_cp}),
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBases();
        if (row.user) {
            dir.Write("words.tmb", *row.user);
        }
        if (row.bundled) {
            bundled.Write("words.tmb", *row.bundled);
        }
        const auto run = Merge();
        EXPECT_EQ(run.status, 0) << run.err;
        Lines added;
        for (const std::string& line : run.out) {
            if (line.starts_with("added to words.tmb: ")) {
                added.push_back(line.substr(20));
            }
        }
        EXPECT_EQ(added, row.added);
        EXPECT_EQ(run.out.back().ends_with("; " + std::to_string(row.added.size()) +
                                           " line(s) added to words.tmb"),
                  !row.added.empty())
            << run.out.back();
        EXPECT_EQ(dir.Exists("words.tmb"), row.merged.has_value());
        if (row.merged) {
            EXPECT_EQ(dir.Read("words.tmb"), *row.merged);
        }
        const auto merged = Snapshot();
        EXPECT_EQ(Merge().out, Lines{Summary(0, 5)});
        EXPECT_EQ(Snapshot(), merged) << "a second run changes nothing";
    }
}

// Classes the user lacks come whole, a class the user has gets the entries it lacks under
// its own line, and the user's lines stay as they are.
TEST_F(MergeTool, ConceptsTheUserLacksAreAddedAndTheUsersLinesStay) {
    dir.Write("concepts.tmb", CrLfLines({u8"@близкий=друг, брат"_cp, u8"@моё=кот"_cp}));
    bundled.Write("concepts.tmb", CrLfLines({u8"@близкий=друг, мама, брат, папа"_cp,
                                             u8"!@опасно=суицид"_cp, u8"кривая строка"_cp}));
    const auto run = Merge();
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_GE(run.out.size(), 2U);
    EXPECT_EQ(run.out[0], "added to concepts.tmb: @близкий=мама, папа");
    EXPECT_EQ(run.out[1], "added to concepts.tmb: !@опасно=суицид");
    EXPECT_TRUE(run.out.back().ends_with("; 2 line(s) added to concepts.tmb")) << run.out.back();
    EXPECT_EQ(dir.Read("concepts.tmb"),
              CrLfLines({u8"@близкий=друг, брат"_cp, u8"@моё=кот"_cp, u8"@близкий=мама, папа"_cp,
                         u8"!@опасно=суицид"_cp}));
    const auto merged = Snapshot();
    Merge();
    EXPECT_EQ(Snapshot(), merged) << "a second run changes nothing";
}

// A mark says nothing of which dialogue it is; an urgent bundled dialogue is kept out only
// by an urgent one of the user's, so help reaches a base whose older dialogues share its
// phrases.
TEST_F(MergeTool, UrgentDialoguesAreToldApartByTheirPhrasesAndComeToOlderHelp) {
    WriteDialogue(2, {u8"$хочу умереть"_cp, u8"#Позвони 8-800-2000-122."_cp, "#END"});
    bundled.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
    bundled.Write("dlg/1.dlg",
                  CrLfLines({u8"$[срочно]"_cp, u8"$хочу умереть"_cp, u8"#Звони 112."_cp, "#END"}));
    bundled.Write("dlg/2.dlg", CrLfLines({u8"$[срочно]"_cp, u8"$пахнет газом"_cp,
                                          u8"#Уходи и звони 112."_cp, "#END"}));
    bundled.Write("dlg/3.dlg",
                  CrLfLines({u8"$[срочно]"_cp, u8"$хочу умереть"_cp, u8"#Звони 112!"_cp, "#END"}));
    const auto run = Merge();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, (Lines{"added dlg/3.dlg: хочу умереть", "added dlg/4.dlg: пахнет газом",
                              Summary(2, 1)}));
    EXPECT_EQ(dir.Read("dlg/3.dlg"), bundled.Read("dlg/1.dlg"));
}

// A failure on words.tmb leaves the user's file as it was, adds the dialogues all the same
// and says the merge is incomplete; the next run completes it.
TEST_F(MergeTool, AFailureOnWordsAddsAllOfThemOrNone) {
    int faultsMet = 0;
    for (const bool userHasWords : {false, true}) {
        for (const Call call : {Call::kOpen, Call::kRead, Call::kWrite, Call::kFsync,
                                Call::kRenameNoReplace, Call::kLseek, Call::kStat}) {
            for (int use = 1;; ++use) {
                SCOPED_TRACE(std::string(userHasWords ? "appending" : "creating") + ", call " +
                             std::to_string(static_cast<int>(call)) + " failing from use " +
                             std::to_string(use));
                ASSERT_LT(use, 20);
                WriteBases();
                const std::string before = CrLfLines({u8"вы=тебя"_cp});
                if (userHasWords) {
                    dir.Write("words.tmb", before);
                }
                bundled.Write("words.tmb", CrLfLines({u8"вы=ты"_cp, u8"ну="_cp}));
                const std::string merged = userHasWords ? CrLfLines({u8"вы=тебя"_cp, u8"ну="_cp})
                                                        : bundled.Read("words.tmb");
                test::FailingFileCalls failing;
                failing.FailAt(call, EIO, use, "words.tmb");
                const auto run = Merge(failing);
                if (run.status == 0) {
                    EXPECT_EQ(dir.Read("words.tmb"), merged);
                    break;
                }
                ++faultsMet;
                EXPECT_EQ(run.status, 1);
                EXPECT_NE(run.err.find("could not add the bundled word substitutions to " +
                                       dir.prefix() + "words.tmb"),
                          std::string::npos)
                    << run.err;
                EXPECT_EQ(dir.Read("path.tmb"), kMergedPathList);
                if (userHasWords) {
                    EXPECT_EQ(dir.Read("words.tmb"), before);
                } else {
                    EXPECT_FALSE(dir.Exists("words.tmb"));
                }
                EXPECT_EQ(dir.Leftovers(), std::set<std::string>{});
                failing.Heal();
                EXPECT_EQ(Merge(failing).status, 0);
                EXPECT_EQ(dir.Read("words.tmb"), merged);
            }
        }
    }
    EXPECT_GT(faultsMet, 8);
}

TEST_F(MergeTool, RunsAsACommand) {
    const auto merge = [&](const std::string& arguments) {
        return test::RunTool(test::ShellQuoted(TUMBO_MERGE_BINARY) + " " + arguments);
    };
    const std::string bases =
        test::ShellQuoted(bundled.path().string()) + " " + test::ShellQuoted(dir.path().string());
    const auto run = merge(bases);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::SplitOutput(run.out),
              (Lines{"added dlg/3.dlg: как дела", "added dlg/4.dlg: погода", Summary(2, 3)}));
    std::filesystem::remove(bundled.file("path.tmb"));
    const auto unreadable = merge(bases);
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_TRUE(unreadable.err.starts_with("tumbo-merge: File not found\n")) << unreadable.err;
    EXPECT_EQ(merge(bases + " extra").err, "usage: tumbo-merge BUNDLED_BASE USER_BASE\n");
}

}  // namespace
}  // namespace tumbo
