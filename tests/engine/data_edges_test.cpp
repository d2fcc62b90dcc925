#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "engine/base_install.h"
#include "engine/base_merge.h"
#include "engine/dialogue_path.h"
#include "engine/merge_notes.h"
#include "support/engine_fixture.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

namespace fs = std::filesystem;
using test::CrLfLines;
using test::operator""_cp;

TEST(DialoguePath, OnlyFilesInsideTheDialogueFolder) {
    for (const char* entry : {"dlg\\1.dlg", "dlg/1.dlg", "dlg\\sub\\x.dlg", "dlg\\.\\1.dlg",
                              "dlg\\a..b.dlg", "dlg\\+1.dlg"}) {
        EXPECT_EQ(dialogue_path::Fault(entry), "") << entry;
    }
    for (const char* entry :
         {"/etc/x.dlg", "\\etc\\x.dlg", "dlg\\..\\opt.tmb", "dlg\\sub\\..\\..\\x", "x.dlg",
          "DLG\\1.dlg", "dlg", "dlg\\", "dlg\\.", "dlg\\..", "dlgx\\1.dlg"}) {
        EXPECT_NE(dialogue_path::Fault(entry), "") << entry;
    }
    EXPECT_NE(dialogue_path::Fault(std::string("dlg\\1\0/../../x", 14)), "");
}

// Everything under `folder`, links not followed: what a test plants outside a base must
// come out of every writer as it went in.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        std::string bytes = item.is_symlink() ? "link" : item.is_directory() ? "folder" : "";
        if (item.is_regular_file() && !item.is_symlink()) {
            std::ifstream in(item.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        files.emplace(fs::relative(item.path(), folder).string(), bytes);
    }
    return files;
}

// Each hostile path-list entry or planted link, against every writer of a base: the search,
// the base window's save and forget, a lesson, the start's repair and merge, an install.
// Nothing outside the data folder is written, moved or read into an answer.
TEST(DataEdges, HostileEntriesAndLinksTouchNothingOutside) {
    struct Plant {
        const char* name;
        // The path-list line after dialogue 1, empty for none.
        std::function<std::string(const test::TempDir& outside)> entry;
        std::function<void(const test::TempDir& base, const test::TempDir& outside)> link;
    };
    const auto noLink = [](const test::TempDir&, const test::TempDir&) {};
    const Plant plants[] = {
        {"absolute entry", [](const auto& outside) { return outside.file("x.dlg"); }, noLink},
        {"entry going up",
         [](const auto& outside) {
             return "dlg\\..\\..\\" + outside.path().filename().string() + "\\x.dlg";
         },
         noLink},
        {"link on the way in dlg", [](const auto&) { return std::string("dlg\\sub\\x.dlg"); },
         [](const auto& base, const auto& outside) {
             fs::create_directory_symlink(outside.path(), base.path() / "dlg/sub");
         }},
        {"link at dlg", [](const auto&) { return std::string(); },
         [](const auto& base, const auto& outside) {
             fs::rename(base.path() / "dlg", base.path() / "real-dlg");
             fs::create_directory_symlink(outside.path(), base.path() / "dlg");
         }},
        {"link at dlg/forgotten", [](const auto&) { return std::string(); },
         [](const auto& base, const auto& outside) {
             fs::create_directory_symlink(outside.path(), base.path() / "dlg/forgotten");
         }},
        {"link at the install folder", [](const auto&) { return std::string(); },
         [](const auto& base, const auto& outside) {
             fs::create_directory_symlink(outside.path(), base.path() / ".fresh.install");
         }},
    };
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.name);
        test::TempDir base;
        test::TempDir outside;
        test::TempDir bundled;
        const std::string secret = CrLfLines({"$secret", "#leak", "#END"});
        outside.Write("x.dlg", secret);
        outside.Write("1.dlg", secret);
        for (const test::TempDir* dir : {&base, &bundled}) {
            dir->Write("opt.tmb", test::OptionFile("me", 1));
            dir->Write("dlg/1.dlg", CrLfLines({"$ok", "#fine", "#END"}));
        }
        const std::string entry = plant.entry(outside);
        base.Write("path.tmb", CrLfLines({"dlg\\1.dlg"}) + (entry.empty() ? "" : entry + "\r\n"));
        bundled.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"}));
        bundled.Write("dlg/2.dlg", CrLfLines({"$new", "#added", "#END"}));
        bundled.Write("version", "2\n");
        plant.link(base, outside);
        const auto before = Snapshot(outside.path());

        test::FakeClock clock;
        OpenSettings settings;
        settings.clock = &clock;
        settings.bundled = bundled.path().string();
        Opened opened = Session::Open(base.path().string(), settings);
        ASSERT_TRUE(opened.session);
        Session& session = *opened.session;
        const Turn secretTurn = session.Say("secret");
        EXPECT_FALSE(secretTurn.answered);
        if (!entry.empty()) {
            // The search goes on past the entry and says once why it was left out.
            const Turn ok = session.Say("ok");
            EXPECT_TRUE(ok.answered);
            EXPECT_TRUE(secretTurn.failure &&
                        secretTurn.failure->message.find(entry) != std::string::npos);
            EXPECT_FALSE(ok.failure) << "told once a run";
            for (const auto& failure :
                 {session.Save(entry, {"$pwned", "#yes"}), session.Forget(entry)}) {
                EXPECT_TRUE(failure && failure->message.find(entry) != std::string::npos);
            }
            EXPECT_FALSE(session.ReadText(entry).value.size());
        }
        session.Leave();
        session.Say("unknown");
        LessonFields lesson;
        lesson.triggers = {"unknown"};
        lesson.replies = {"taught"};
        session.Confirm(lesson);
        session.Save("dlg\\1.dlg", {"$ok", "#edited"});
        const std::string name = plant.name;
        if (name == "link at dlg/forgotten") {
            EXPECT_TRUE(session.Forget("dlg\\1.dlg"));
            EXPECT_TRUE(base.Read("path.tmb").starts_with("dlg\\1.dlg")) << "refused first";
        }
        session.Forget("dlg\\1.dlg");
        MergeNotes notes(base.prefix());
        MergeCounts counts;
        const int merged =
            MergeBundledDialogues(bundled.path().string(), base.prefix(), notes, counts);
        if (name == "link at dlg") {
            EXPECT_EQ(merged, merge_status::kUnusable);
        }
        bool installRefused = false;
        try {
            InstallBundledBase(bundled.path().string(), base.file("fresh"));
        } catch (const TumboError& error) {
            installRefused = true;
            EXPECT_NE(std::string(error.details()).find(".fresh.install"), std::string::npos);
        }
        EXPECT_EQ(installRefused, name == "link at the install folder");
        EXPECT_EQ(Snapshot(outside.path()), before);
    }
}

// A dialogue whose file is gone is forgotten by its line; its openers come from the bundled
// base only when the bundled dialogue of that name is known to be it.
TEST(DataEdges, AMissingFileIsForgottenWithTheBundledOpenersOrSaysTheyAreUnknown) {
    struct Case {
        const char* name;
        bool bundledHasIt;
        bool numberForgottenBefore;
        bool openersKnown;
    };
    for (const Case& c : {Case{"the same bundled dialogue", true, false, true},
                          Case{"none in the bundled base", false, false, false},
                          Case{"its number was forgotten before", true, true, false}}) {
        SCOPED_TRACE(c.name);
        test::TempDir base;
        test::TempDir bundled;
        for (const test::TempDir* dir : {&base, &bundled}) {
            dir->Write("opt.tmb", test::OptionFile("me", 2));
            dir->Write("dlg/1.dlg", CrLfLines({"$ok", "#fine", "#END"}));
            dir->Write("dlg/2.dlg", CrLfLines({"$gone", "$away", "#bye", "#END"}));
        }
        base.Write("path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"}));
        bundled.Write("path.tmb",
                      CrLfLines(c.bundledHasIt
                                    ? std::initializer_list<std::string>{"dlg\\1.dlg", "dlg\\2.dlg"}
                                    : std::initializer_list<std::string>{"dlg\\1.dlg"}));
        if (c.numberForgottenBefore) {
            base.Write("dlg/forgotten/2.dlg", CrLfLines({"$older", "#one", "#END"}));
        }
        test::FakeClock clock;
        OpenSettings settings;
        settings.clock = &clock;
        settings.bundled = bundled.path().string();
        settings.updates = false;
        Opened opened = Session::Open(base.path().string(), settings);
        ASSERT_TRUE(opened.session);
        fs::remove(base.path() / "dlg/2.dlg");

        const std::optional<Failure> failure = opened.session->Forget("dlg\\2.dlg");
        EXPECT_EQ(base.Read("path.tmb"), CrLfLines({"dlg\\1.dlg"}));
        EXPECT_EQ(base.Read("opt.tmb"), test::OptionFile("me", 1));
        EXPECT_EQ(base.Read("forgotten.tmb"), c.openersKnown ? CrLfLines({"gone", "away"}) : "");
        EXPECT_EQ(failure.has_value(), !c.openersKnown);
        if (failure) {
            EXPECT_NE(failure->message.find(u8"обновление базы может вернуть"_cp),
                      std::string::npos);
            EXPECT_NE(failure->details.find("dlg/2.dlg"), std::string::npos);
        }
    }
}
}  // namespace
}  // namespace tumbo
