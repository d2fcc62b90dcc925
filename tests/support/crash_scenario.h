#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/base_writer.h"
#include "support/engine_fixture.h"

// The base the crash and power-cut tests start from, and what a two-turn lesson makes of it:
// before a cut the base holds the old files, after it the old or the new ones.
namespace tumbo::test::crash_scenario {

inline const std::string kOldOptions = CrLfLines({"me", "false", "70", "1"});
inline const std::string kLearntOptions = CrLfLines({"me", "false", "70", "2"});
inline const std::string kDialogue1 = CrLfLines({"$known", "#yes", "#END"});
inline const std::string kDialogue2 =
    CrLfLines({"$unknown", "#first reply", "$second", "#second reply", "#END"});
inline const std::string kOldPathList = CrLfLines({"dlg\\1.dlg"});
inline const std::string kNewPathList = CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"});
// The base window then edits dialogue 1 and forgets dialogue 2.
inline const std::string kEditedDialogue1 = CrLfLines({"$known", "$also", "#yes, edited", "#END"});
inline const std::string kForgottenOpeners = CrLfLines({"unknown"});

// A program on the base in `folder`, started as the window starts it.
struct Program {
    Program(FileCalls& calls, const std::string& folder)
        : opened(OpenSession(folder, clock, calls)), session(*opened.session), window(session) {}
    FakeClock clock;
    Opened opened;
    Session& session;
    TestWindow window;
};

// The lesson: "unknown" answered "first reply", then "second" answered "second reply".
inline void TeachTwoTurns(TestWindow& window) {
    window.input = "unknown";
    window.SendPhrase();
    window.teachFields[4] = "first reply";
    window.NextTurn();
    window.teachFields[0] = "second";
    window.teachFields[4] = "second reply";
    window.ConfirmTeaching();
}

// A program started on the base gives each reply, then learns a dialogue that answers at
// once.
inline void ExpectAnswersAndLearns(
    FileCalls& calls, const std::string& folder,
    const std::vector<std::pair<std::string, std::string>>& replies) {
    Program program(calls, folder);
    for (const auto& [phrase, reply] : replies) {
        EXPECT_EQ(program.window.Say(phrase), reply) << phrase;
    }
    program.window.Say("later");
    ASSERT_TRUE(program.window.teachPanelVisible);
    program.window.teachFields[4] = "later reply";
    program.window.ConfirmTeaching();
    EXPECT_EQ(program.window.Say("later"), "Tumbo:later reply");
}

}  // namespace tumbo::test::crash_scenario
