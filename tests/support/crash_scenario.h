#pragma once

#include <string>

#include "support/base_writer.h"

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

}  // namespace tumbo::test::crash_scenario
