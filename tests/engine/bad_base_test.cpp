#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <set>

#include "platform/errors.h"
#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::operator""_cp;

// Bases edited by hand or copied badly: each gives the usual behaviour of the line rules
// or a clear error, and the next phrase still works.
class BadBase : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 2);
        window.LoadOptions();
        WriteDialogue(1, {"$ok", "#fine", "#END"});
    }
    std::string ErrorOf(const std::string& phrase) {
        try {
            Send(phrase);
        } catch (const TumboError& error) {
            return error.what();
        }
        return {};
    }
};

TEST_F(BadBase, AMissingFileOrAFolderInItsPlace) {
    WritePathList({"dlg\\1.dlg", "dlg\\2.dlg"});
    EXPECT_EQ(ErrorOf("zz"), "File not found");
    std::filesystem::create_directory(dir.path() / "dlg/2.dlg");
    EXPECT_EQ(ErrorOf("zz"), "File access denied");
    EXPECT_EQ(ErrorOf("ok"), "");
    EXPECT_EQ(LastLine(), "Tumbo:fine");
}

TEST_F(BadBase, APipeOrADeviceInThePathListCannotHangTheSearch) {
    WritePathList({"dlg\\2.dlg", "dlg\\1.dlg"});
    ASSERT_EQ(::mkfifo((dir.path() / "dlg/2.dlg").c_str(), 0644), 0);
    EXPECT_EQ(ErrorOf("ok"), "") << "a pipe nobody writes to reads as empty";
    EXPECT_EQ(LastLine(), "Tumbo:fine");
    WritePathList({"dlg\\3.dlg", "dlg\\1.dlg"});
    std::filesystem::create_symlink("/dev/zero", dir.path() / "dlg/3.dlg");
    EXPECT_EQ(ErrorOf("zz"), "File access denied");
}

TEST_F(BadBase, MissingEndEmptyLinesAndOddBytes) {
    WriteDialogue(2, {"$no end", "#first", "#second"});
    WriteDialogue(3, {"$gap", "", "#after gap"});
    WriteDialogue(4, {std::string("$nul\0here", 9), std::string("#\x98\0", 3), "#END"});
    WritePathList(4);
    Send("no end");
    EXPECT_EQ(LastLine(), "Tumbo:first") << "the last line read is never chosen";
    Send("gap");
    EXPECT_EQ(LastLine(), "Tumbo:") << "an empty line ends the trigger block";
    Send(std::string("nul\0here", 8));
    EXPECT_EQ(LastLine(), std::string("Tumbo:\x98\0", 8));
}

TEST_F(BadBase, OddOptionFiles) {
    dir.Write("opt.tmb", "just a name");
    window.LoadOptions();
    EXPECT_EQ(session.Options().UserName, "just a name");
    EXPECT_FALSE(session.Options().TransparentSkin);
    EXPECT_EQ(session.Options().DialogueCount, 0);
    std::mt19937 random(7);
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::string bytes(200, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        dir.Write("opt.tmb", bytes);
        try {
            window.LoadOptions();
        } catch (const test::FailedStep& error) {
            // Otherwise a name cut to the field's length.
            if (error.code() != 0) {
                EXPECT_EQ(error.code(), 106) << error.what();
            }
        }
        EXPECT_GE(session.Options().Opacity, 0);
        EXPECT_LE(session.Options().Opacity, 140);
        EXPECT_LE(session.Options().UserName.size(), std::size_t{kMaxUserNameLength});
    }
}

// Blank lines are skipped by the search and the lesson alike: none is ever opened as a
// dialogue (it would name the folder itself), and a lesson follows the last entry.
TEST_F(BadBase, BlankPathListLinesAreSkipped) {
    WriteDialogue(2, {"$two", "#2", "#END"});
    const std::string listed = "dlg\\1.dlg\r\n\r\n \t\r\ndlg\\2.dlg\r\n\r\n";
    dir.Write("path.tmb", listed);
    EXPECT_EQ(ErrorOf("two"), "");
    EXPECT_EQ(LastLine(), "Tumbo:2");
    EXPECT_EQ(ErrorOf("unknown"), "");
    ASSERT_TRUE(window.teachPanelVisible);
    window.SetTeachField(5, "taught");
    window.ConfirmTeaching();
    EXPECT_EQ(dir.Read("path.tmb"), listed + "dlg\\3.dlg\r\n");
    EXPECT_EQ(session.Options().DialogueCount, 3);
    Send("unknown");
    EXPECT_EQ(LastLine(), "Tumbo:taught");
}

// A path-list line longer than any entry can be is an error naming it, found without
// keeping the line; the entries before it still answer.
TEST_F(BadBase, AnOverLongPathListLineIsAnErrorNamingIt) {
    for (const std::size_t length : {std::size_t{4096}, std::size_t{4097}, std::size_t{1} << 22}) {
        dir.Write("path.tmb", "dlg\\1.dlg\r\ndlg\\" + std::string(length - 4, 'x') + "\r\n");
        EXPECT_EQ(ErrorOf("ok"), "");
        try {
            Send("zz");
            ADD_FAILURE() << length;
        } catch (const test::FailedStep& error) {
            EXPECT_EQ(error.code(), io_code::kInvalidFilename);
            EXPECT_EQ(error.details().find("line 2 is longer than 4096 bytes") != std::string::npos,
                      length > 4096)
                << error.details();
        }
    }
}

// What a crash left of the program's own writes goes, and nothing else.
TEST(DurableWrite, StaleTemporariesOfTheProgramGoAtStart) {
    const test::TempDir dir;
    for (const std::string name :
         {"opt.tmb.tmp-Ab3dEf", "opt.tmb.tmp", "path.tmb.tmp-000000", "opt.tmb.bak.tmp-zzzzzz",
          "dlg/5.dlg.tmp", "dlg/12.dlg.tmp-Ab3dEf", "notes.tmp", "opt.tmb.tmp-toolong",
          "dlg/x.dlg.tmp", "dlg/05.dlg.tmp", "dlg/5.dlg"}) {
        dir.Write(name, "x");
    }
    Engine::RemoveStaleTemporaries(dir.prefix());
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"dlg", "notes.tmp", "opt.tmb.tmp-toolong"}));
    EXPECT_EQ(dir.Names("dlg"), (std::set<std::string>{"05.dlg.tmp", "5.dlg", "x.dlg.tmp"}));
}

}  // namespace
}  // namespace tumbo
