#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "engine/base_format.h"
#include "engine/dialogue_reader.h"
#include "engine/phrase.h"
#include "engine/phrase_fold.h"
#include "support/engine_fixture.h"

namespace tumbo {
namespace {

std::string BaseDir() {
    return std::string(TUMBO_SOURCE_DIR) + "/base/";
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Splits a file into lines, insisting that each one ends with CR LF.
std::vector<std::string> CrLfLinesOf(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << path << ": last line has no CR LF";
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    for (const auto& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n\x1a"), std::string::npos) << path;
    }
    return lines;
}

class BundledBase : public testing::Test {
protected:
    void SetUp() override {
        entries_ = CrLfLinesOf(BaseDir() + "path.tmb");
        ASSERT_FALSE(entries_.empty());
    }
    std::vector<std::string> entries_;
};

TEST_F(BundledBase, PathListMatchesTheFilesAndTheStoredCount) {
    const auto options = CrLfLinesOf(BaseDir() + "opt.tmb");
    ASSERT_EQ(options.size(), 4u);
    EXPECT_EQ(options[3], std::to_string(entries_.size()));
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        EXPECT_EQ(entries_[i], "dlg\\" + std::to_string(i + 1) + ".dlg");
    }
}

TEST_F(BundledBase, EveryDialogueFollowsTheLineFormat) {
    int withFollowUps = 0;
    int withName = 0;
    int withExit = 0;
    for (const auto& entry : entries_) {
        const auto lines = CrLfLinesOf(BaseDir() + "dlg/" + entry.substr(4));
        ASSERT_GE(lines.size(), 3u) << entry;
        EXPECT_EQ(lines.front().front(), '$') << entry << ": starts with a reply";
        EXPECT_EQ(lines.back(), "#END") << entry;
        int turns = 0;
        char previousTag = '#';
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            const std::string& line = lines[i];
            ASSERT_FALSE(line.empty()) << entry << ": empty line";
            ASSERT_TRUE(line[0] == '$' || line[0] == '#') << entry << ": " << line;
            EXPECT_NE(line, "#END") << entry << ": #END before the end";
            if (line[0] == '$') {
                EXPECT_EQ(NormalizePhrase(line), line) << entry << ": trigger not lower case";
                turns += previousTag == '#' ? 1 : 0;
            } else {
                withName += line.find("[n]") != std::string::npos ? 1 : 0;
                withExit += line.find("[e]") != std::string::npos ? 1 : 0;
            }
            previousTag = line[0];
        }
        EXPECT_EQ(previousTag, '#') << entry << ": last turn has no reply";
        withFollowUps += turns > 1 ? 1 : 0;
    }
    EXPECT_GE(entries_.size(), 500u);
    EXPECT_GE(withFollowUps, 200);
    EXPECT_GE(withName, 3);
    EXPECT_GE(withExit, 1);
}

TEST_F(BundledBase, NoTwoDialoguesShareAnOpener) {
    std::map<std::string, std::string> ownerOf;
    for (const auto& entry : entries_) {
        for (const auto& line : CrLfLinesOf(BaseDir() + "dlg/" + entry.substr(4))) {
            if (line[0] != '$') {
                break;
            }
            // Every urgent dialogue opens with the same mark, which is no phrase.
            if (base_format::IsMark(line.substr(1))) {
                continue;
            }
            const auto [where, added] = ownerOf.emplace(line, entry);
            EXPECT_TRUE(added) << line.substr(1) << " opens " << where->second << " and " << entry;
        }
    }
}

class BundledBaseChat : public test::EngineTest {};

// On a copy: a search that missed would write the scratch dialogue into the base. An
// ordinary dialogue is tried on one session kept for them all, as a window keeps its own,
// two phrases nothing answers taking it out of the last one; an urgent dialogue holds the
// chat it answers, so each is tried on a fresh session.
TEST_F(BundledBaseChat, EveryOpenerIsAnsweredByItsOwnDialogue) {
    std::filesystem::copy(BaseDir(), dir.path(), std::filesystem::copy_options::recursive);
    const auto entries = CrLfLinesOf(dir.prefix() + "path.tmb");
    OpenSettings readOnly;
    readOnly.readOnly = true;
    readOnly.clock = &clock;
    Opened kept = Session::Open(dir.path().string(), readOnly);
    auto keptChat = std::make_unique<test::TestWindow>(*kept.session);
    // Under the sanitizers every search costs many times more: a tenth of the base there,
    // the whole of it in the release run.
#ifdef TUMBO_SANITIZED
    constexpr std::size_t kEvery = 10;
#else
    constexpr std::size_t kEvery = 1;
#endif
    for (std::size_t i = 0; i < entries.size(); i += kEvery) {
        const std::string& entry = entries[i];
        const auto lines = CrLfLinesOf(dir.prefix() + "dlg/" + entry.substr(4));
        const bool urgent = base_format::IsMark(lines.front().substr(1));
        Opened fresh;
        std::unique_ptr<test::TestWindow> freshChat;
        if (urgent) {
            fresh = Session::Open(dir.path().string(), readOnly);
            freshChat = std::make_unique<test::TestWindow>(*fresh.session);
        } else {
            keptChat->Say("qzxv wqjx");
            keptChat->Say("qzxv wqjx");
        }
        Session& tried = urgent ? *fresh.session : *kept.session;
        test::TestWindow& chat = urgent ? *freshChat : *keptChat;
        chat.Say(lines.at(urgent ? 1 : 0).substr(1));
        EXPECT_EQ(tried.CurrentDialogue(), entry);
        EXPECT_TRUE(chat.answered) << entry;
        if (!urgent && tried.CurrentDialogue() != entry) {
            // Taken by help, the kept chat is held: start it again.
            keptChat.reset();
            kept = Session::Open(dir.path().string(), readOnly);
            keptChat = std::make_unique<test::TestWindow>(*kept.session);
        }
    }
}

#ifdef TUMBO_PYTHON
// What build-base.py prints about the bundled base when given `option`.
std::string BuildScriptListing(const std::string& option) {
    const std::string command = std::string(TUMBO_PYTHON) + " '" + TUMBO_SOURCE_DIR +
                                "/tools/base-source/build-base.py' " + option + " '" + BaseDir() +
                                "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr) << command;
    std::string listed;
    if (pipe == nullptr) {
        return listed;
    }
    std::array<char, 65536> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        listed.append(buffer.data(), got);
    }
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return listed;
}

// build-base.py keeps its own reading of dialogue files; over the whole bundled base it must
// find exactly the openers the program's reader finds.
TEST(BundledBaseReaders, TheBuildScriptReadsOpenersAsTheProgramDoes) {
    const std::string listed = BuildScriptListing("--list-openers");
    std::string read;
    DialogueReader reader;
    for (const auto& entry : CrLfLinesOf(BaseDir() + "path.tmb")) {
        for (const auto& opener : ReadOpeners(reader, BaseDir() + entry)) {
            read += entry + "\t" + opener + "\n";
        }
    }
    EXPECT_GT(read.size(), 10'000u);
    EXPECT_TRUE(read == listed) << "the two readers differ";
}

// The script's checks of triggers that fold alike only hold while it folds as the program.
TEST(BundledBaseReaders, TheBuildScriptFoldsEveryTriggerAsTheProgramDoes) {
    std::istringstream listed(BuildScriptListing("--list-folded"));
    std::size_t triggers = 0;
    std::string listedLine;
    for (const auto& entry : CrLfLinesOf(BaseDir() + "path.tmb")) {
        for (const auto& line : CrLfLinesOf(BaseDir() + "dlg/" + entry.substr(4))) {
            if (line.front() != '$') {
                continue;
            }
            ++triggers;
            const std::string phrase = line.substr(1);
            ASSERT_TRUE(std::getline(listed, listedLine)) << "the script stops before " << entry;
            ASSERT_EQ(listedLine, entry + "\t" + phrase + "\t" + FoldPhrase(phrase));
        }
    }
    EXPECT_FALSE(std::getline(listed, listedLine)) << "the script lists more: " << listedLine;
    EXPECT_GT(triggers, 10'000u);
}
#endif

}  // namespace
}  // namespace tumbo
