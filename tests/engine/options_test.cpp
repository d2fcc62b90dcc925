#include <gtest/gtest.h>

#include "engine/base_format.h"
#include "platform/errors.h"
#include "support/engine_fixture.h"
#include "support/failing_file_calls.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::operator""_cp;

class Options : public test::EngineTest {};

TEST_F(Options, LoadsTheFourLinesAndAppliesThem) {
    dir.Write("opt.tmb", CrLfLines({u8"Аня Петрова"_cp, "true", "90 extra", "12 words"}));
    window.LoadOptions();
    ASSERT_EQ(window.applied.size(), 1u);
    const TOptions& options = window.applied.front();
    EXPECT_EQ(options.UserName, u8"Аня Петрова"_cp);
    EXPECT_TRUE(options.TransparentSkin);
    EXPECT_EQ(options.Opacity, 90);
    EXPECT_EQ(options.DialogueCount, 12);
    EXPECT_EQ(session.Options().UserName, options.UserName);
}

TEST_F(Options, OnlyTheExactWordTrueIsTrue) {
    for (const std::string skin : {"True", "true ", " true", "TRUE", "1", ""}) {
        dir.Write("opt.tmb", CrLfLines({"a", skin, "0", "0"}));
        window.LoadOptions();
        EXPECT_FALSE(session.Options().TransparentSkin) << "'" << skin << "'";
    }
}

TEST_F(Options, MissingLinesReadAsEmptyAndZero) {
    dir.Write("opt.tmb", CrLfLines({"a", "true", "50"}));
    window.LoadOptions();
    EXPECT_EQ(session.Options().DialogueCount, 0);
    dir.Write("opt.tmb", "");
    window.LoadOptions();
    EXPECT_EQ(session.Options().UserName, "");
    EXPECT_EQ(session.Options().Opacity, 0);
}

TEST_F(Options, OpacityOutsideTheTrackBarIsClamped) {
    dir.Write("opt.tmb", CrLfLines({"a", "true", "-300", "1"}));
    window.LoadOptions();
    EXPECT_EQ(session.Options().Opacity, 0);
    dir.Write("opt.tmb", CrLfLines({"a", "true", "$7FFFFFFF", "1"}));
    window.LoadOptions();
    EXPECT_EQ(session.Options().Opacity, 140);
}

// One bad line loses nothing else: the good lines are used, the bad one keeps the value
// it had, and the file is kept as opt.tmb.bak before the next save replaces it.
TEST_F(Options, ABadLineKeepsTheGoodOnes) {
    WriteOptions("before", 3);
    window.LoadOptions();
    const std::string handEdited = CrLfLines({"after", "true", "lots", "4"});
    dir.Write("opt.tmb", handEdited);
    try {
        window.LoadOptions();
        ADD_FAILURE();
    } catch (const test::FailedStep& error) {
        EXPECT_STREQ(error.what(), "Invalid numeric input");
    }
    const TOptions& loaded = session.Options();
    EXPECT_EQ(loaded.UserName, "after");
    EXPECT_TRUE(loaded.TransparentSkin);
    EXPECT_EQ(loaded.Opacity, 70) << "as it was";
    EXPECT_EQ(loaded.DialogueCount, 4);
    WritePathList(2);
    window.controls = loaded;
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"after", "true", "70", "2"}));
    EXPECT_EQ(dir.Read("opt.tmb.bak"), handEdited);
}

// A name longer than the settings field takes is cut to it, with a warning, and read no
// further; the whole file is kept as opt.tmb.bak by the next save.
TEST_F(Options, ALongNameIsCutToTheField) {
    WriteOneDialogueBase();
    const std::string name(10 * 1024 * 1024, 'n');
    dir.Write("opt.tmb", CrLfLines({name, "true", "90", "1"}));
    try {
        window.LoadOptions();
        ADD_FAILURE();
    } catch (const TumboError& error) {
        EXPECT_NE(error.details().find("longer than 64 characters"), std::string::npos);
    }
    const std::string cut(kMaxUserNameLength, 'n');
    EXPECT_EQ(session.Options().UserName, cut);
    EXPECT_EQ(session.Options().Opacity, 90);
    Send("hi");
    EXPECT_EQ(window.chat, (std::vector<std::string>{cut + ":hi", "Tumbo:hello"}));
    window.controls = session.Options();
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({cut, "true", "90", "1"}));
    EXPECT_EQ(dir.Read("opt.tmb.bak"), CrLfLines({name, "true", "90", "1"}));
}

TEST_F(Options, AMissingFileIsFileNotFound) {
    try {
        window.LoadOptions();
        ADD_FAILURE();
    } catch (const test::FailedStep& error) {
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_TRUE(window.applied.empty());
}

TEST_F(Options, WritesExactlyFourLines) {
    WriteOptions("before", 61);
    window.LoadOptions();
    window.controls = TOptions{u8"Ваня"_cp, true, 140, 0};
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({u8"Ваня"_cp, "true", "140", "61"}));
    window.controls = TOptions{"two\r\nlines\x1a", false, 140, 0};
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"two  lines ", "false", "140", "61"}));
}

TEST_F(Options, SaveTakesTheControlsKeepsTheCountAndReloads) {
    WriteOptions("old", 7);
    window.LoadOptions();
    window.controls = TOptions{"new", true, 33, 999};
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"new", "true", "33", "7"}));
    ASSERT_EQ(window.applied.size(), 2u);
    EXPECT_EQ(window.applied.back().UserName, "new");
}

TEST_F(Options, AFailedSaveLeavesTheOldFileWhole) {
    WriteOptions("kept", 5);
    calls.FailAt(test::FailingFileCalls::Call::kWrite, ENOSPC);
    window.controls = TOptions{std::string(400, 'z'), true, 10, 0};
    EXPECT_THROW(window.SaveOptions(), TumboError);
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"kept", "false", "70", "5"}));
    EXPECT_TRUE(dir.Leftovers().empty());
}

// A file the program cannot read still holds what the user wrote: the first save keeps
// its bytes before replacing it, and only the next such failure replaces that copy.
TEST_F(Options, AnUnreadableFileIsKeptBeforeTheFirstSave) {
    const std::string handEdited = CrLfLines({u8"Аня"_cp, "true", "7O", "12"}) + "\x1a tail";
    dir.Write("opt.tmb", handEdited);
    EXPECT_THROW(window.LoadOptions(), TumboError);
    window.controls = TOptions{"designed", false, 0, 0};
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb.bak"), handEdited) << "byte for byte";
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"designed", "false", "0", "12"}))
        << "the good count line is used";

    window.controls.UserName = "again";
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb.bak"), handEdited) << "a good file never replaces the copy";

    dir.Write("opt.tmb", "second\r\nfalse\r\nbad\r\n");
    EXPECT_THROW(window.LoadOptions(), TumboError);
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb.bak"), "second\r\nfalse\r\nbad\r\n");
    EXPECT_TRUE(dir.Leftovers().empty());
}

TEST_F(Options, AMissingFileIsSimplyCreated) {
    EXPECT_THROW(window.LoadOptions(), TumboError);
    window.SaveOptions();
    EXPECT_TRUE(dir.Exists("opt.tmb"));
    EXPECT_FALSE(dir.Exists("opt.tmb.bak"));
}

TEST_F(Options, NoCopyNoSave) {
    dir.Write("opt.tmb", CrLfLines({"mine", "false", "x"}));
    EXPECT_THROW(window.LoadOptions(), TumboError);
    calls.FailAt(test::FailingFileCalls::Call::kFsync, EIO, 1, "opt.tmb.bak");
    EXPECT_THROW(window.SaveOptions(), TumboError);
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"mine", "false", "x"}));
    EXPECT_FALSE(dir.Exists("opt.tmb.bak"));
    calls.Heal();
    window.SaveOptions();
    EXPECT_EQ(dir.Read("opt.tmb.bak"), CrLfLines({"mine", "false", "x"}));
}

TEST_F(Options, TheProgramDirComesFromTheRegistry) {
    dir.Write("tumbo3.reg",
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\r\n"
              "\"programdir\"=\"" +
                  dir.prefix() + "\"\r\n");
    EXPECT_EQ(base_format::ProgramDirIn(dir.file("tumbo3.reg")), dir.prefix());
    EXPECT_EQ(base_format::ProgramDirIn(dir.file("absent.reg")), "");
}

}  // namespace
}  // namespace tumbo
