#include "tools/chat.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <sstream>

#include "engine/engine.h"
#include "platform/errors.h"
#include "support/engine_fixture.h"
#include "support/test_window.h"
#include "tool_support.h"

namespace tumbo {
namespace {

using test::Lines;
using test::operator""_cp;

const std::set<std::string> kGreetings = {"Tumbo:Привет, Аня!", "Tumbo:Здравствуй!", "Tumbo:Хай!"};

struct ChatRun {
    int status = -1;
    Lines out;
    std::string err;
    std::string unread;
};

class ChatTool : public test::BaseTest {
protected:
    void SetUp() override { WriteSmallBase(); }

    ChatRun Chat(const std::string& input, std::vector<std::string> args = {"--seed", "1"}) {
        args.insert(args.begin(), {"tumbo-chat", "--base", dir.path().string()});
        std::vector<const char*> argv;
        for (const auto& arg : args) {
            argv.push_back(arg.c_str());
        }
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        ChatRun run;
        run.status = tools::RunChat(static_cast<int>(argv.size()), argv.data(), in, out, err);
        run.out = test::SplitOutput(out.str());
        run.err = err.str();
        run.unread.assign(std::istreambuf_iterator<char>(in), {});
        return run;
    }
};

TEST_F(ChatTool, FollowsADialogueAndGoesOnAfterANoAnswer) {
    const auto run = Chat("Привет\nкак дела\nчто-то новое\nкак дела\n");
    ASSERT_EQ(run.out.size(), 8u) << run.err;
    EXPECT_EQ(run.out[0], "Аня:привет") << "the phrase as the engine lower-cased it";
    EXPECT_TRUE(kGreetings.contains(run.out[1])) << run.out[1];
    EXPECT_EQ(run.out[2], "Аня:как дела");
    EXPECT_EQ(run.out[3], "Tumbo:Отлично.") << "the greeting's second turn";
    EXPECT_EQ(run.out[4], "Аня:что-то новое");
    EXPECT_EQ(run.out[5], "Tumbo:не знаю ответа");
    EXPECT_EQ(run.out[6], "Аня:как дела");
    EXPECT_EQ(run.out[7], "Tumbo:Из другого диалога") << "out of context after the miss";
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
}

TEST_F(ChatTool, TheExitMarkerEndsTheChatAtOnce) {
    const auto run = Chat("пока\nпривет\n");
    EXPECT_EQ(run.out, (Lines{"Аня:пока", "Tumbo:Пока!"}));
    EXPECT_EQ(run.unread, "привет\n");
    EXPECT_EQ(run.status, 0);
}

TEST_F(ChatTool, TheSeedMakesTheChoiceRepeatable) {
    const std::string input = "привет\nпривет\nпривет\nпривет\n";
    EXPECT_EQ(Chat(input, {"--seed", "7"}).out, Chat(input, {"--seed", "7"}).out);
    std::set<std::string> firstReplies;
    for (int seed = 0; seed < 40; ++seed) {
        const auto run = Chat("привет\n", {"--seed", std::to_string(seed)});
        ASSERT_EQ(run.out.size(), 2u);
        firstReplies.insert(run.out[1]);
    }
    EXPECT_EQ(firstReplies, kGreetings) << "every reply is reachable through some seed";
    const auto unseeded = Chat("привет\n", {});
    ASSERT_EQ(unseeded.out.size(), 2u);
    EXPECT_TRUE(kGreetings.contains(unseeded.out[1])) << unseeded.out[1];
}

TEST_F(ChatTool, TerminalTextCrossesToTheCodePageAndBack) {
    const auto run = Chat("\nПРИВЕТ\r\n日本\n");
    ASSERT_EQ(run.out.size(), 5u) << run.err;
    EXPECT_EQ(run.out[0], "Tumbo:Аня ты чё молчишь ?") << "an empty line is silence";
    EXPECT_EQ(run.out[1], "Аня:привет") << "the CR of a CR LF line is not part of the phrase";
    EXPECT_EQ(run.out[3], "Аня:??") << "what code page 1251 cannot hold";
    EXPECT_EQ(run.out[4], "Tumbo:не знаю ответа");
}

TEST_F(ChatTool, ABaseThatCannotBeLoadedStopsItBeforeAnyPhrase) {
    EXPECT_EQ(Chat("привет\n", {"--base", dir.file("nowhere")}).err,
              "tumbo-chat: " + dir.file("nowhere") + ": no such folder\n");
    dir.Write("opt.tmb", test::CrLfLines({"me", "false", "x", "3"}));
    auto run = Chat("привет\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, Lines{});
    EXPECT_EQ(run.err,
              "tumbo-chat: Invalid numeric input\n"
              "  Operation: read a number from\n"
              "  File: " +
                  dir.prefix() +
                  "opt.tmb\n"
                  "  Reason: \"x\" is not a number\n");
    WriteOptions("me", 3);
    std::filesystem::remove(dir.file("path.tmb"));
    run = Chat("привет\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "tumbo-chat: File not found\n"
              "  Operation: open for reading\n"
              "  File: " +
                  dir.prefix() +
                  "path.tmb\n"
                  "  System: No such file or directory (errno 2)\n");
}

TEST_F(ChatTool, AFailedPhraseIsReportedAndTheChatGoesOn) {
    std::filesystem::remove(dir.file("dlg/2.dlg"));
    const auto run = Chat("пока\nпривет\n");
    ASSERT_EQ(run.out.size(), 3u);
    EXPECT_EQ(run.out[0], "Аня:пока");
    EXPECT_EQ(run.out[1], "Аня:привет");
    EXPECT_EQ(run.err,
              "tumbo-chat: File not found\n"
              "  Operation: open for reading\n"
              "  File: " +
                  dir.prefix() +
                  "dlg/2.dlg\n"
                  "  System: No such file or directory (errno 2)\n")
        << "the details name the entry to mend";
    EXPECT_EQ(run.status, 1);
}

TEST_F(ChatTool, Usage) {
    for (const Lines& args : {Lines{"--seed"}, Lines{"--seed", "x"}, Lines{"--seed", "-1"},
                              Lines{"--base"}, Lines{"extra"}}) {
        const auto run = Chat("", args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_EQ(run.err, "usage: tumbo-chat [--base DIR] [--seed N] [--explain] [--teach]\n");
    }
    EXPECT_EQ(Chat("", {"--help"}).out.front(),
              "usage: tumbo-chat [--base DIR] [--seed N] [--explain] [--teach]");
}

TEST_F(ChatTool, ExplainSaysHowEachAnswerWasMatched) {
    const auto run = Chat("привет\nПРИВЕТ!!\nнепонятно\n", {"--seed", "1", "--explain"});
    ASSERT_EQ(run.out.size(), 8u);
    EXPECT_EQ(run.out[2],
              "  matched: exact, dlg\\1.dlg line 1, whole phrase \"привет\", words: привет");
    EXPECT_TRUE(run.out[5].starts_with("  matched: folded, dlg\\1.dlg line 1")) << run.out[5];
    EXPECT_EQ(run.out[7], "Tumbo:не знаю ответа") << "a miss is not explained";
}

// Each lesson as typed after a miss, what the chat shows, and the dialogue it stores.
struct LessonRow {
    const char* name;
    std::string input;
    Lines out;
    std::string stored;  // dlg/4.dlg, empty when nothing is learnt
    std::string err;
};

class ChatToolTeaching : public ChatTool, public testing::WithParamInterface<LessonRow> {};

TEST_P(ChatToolTeaching, LearnsWhatItIsTaught) {
    const LessonRow& row = GetParam();
    const auto run = Chat(row.input, {"--seed", "1", "--teach"});
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, row.err);
    EXPECT_EQ(dir.Exists("dlg/4.dlg") ? dir.Read("dlg/4.dlg") : "", row.stored);
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lessons, ChatToolTeaching,
    testing::Values(LessonRow{"OneTurn",
                              "что ты\n>кто ты\nя Тумбо\n\nкто ты\n",
                              {"Аня:что ты", "Tumbo:не знаю ответа", "Tumbo:Усвоил  :)",
                               "Аня:кто ты", "Tumbo:я тумбо"},
                              test::CrLfLines({u8"$что ты"_cp, u8"$кто ты"_cp, u8"#я тумбо"_cp,
                                               "#END"}),
                              ""},
                    LessonRow{"TwoTurns",
                              "что ты\nя Тумбо\nа ты?\n>я Аня\nприятно\n\n",
                              {"Аня:что ты", "Tumbo:не знаю ответа", "Tumbo:Усвоил  :)"},
                              test::CrLfLines({u8"$что ты"_cp, u8"#я тумбо"_cp, u8"#а ты?"_cp,
                                               u8"$я аня"_cp, u8"#приятно"_cp, "#END"}),
                              ""},
                    LessonRow{"MissingReplyThenLeft",
                              "что ты\n\n.\nкак дела\n",
                              {"Аня:что ты", "Tumbo:не знаю ответа", "Tumbo:ты меня не учишь :(",
                               "Аня:как дела", "Tumbo:Из другого диалога"},
                              "",
                              "tumbo-chat: the lesson needs a reply of Tumbo\n"},
                    LessonRow{"EndOfInputLeaves",
                              "что ты\nя Тумбо",
                              {"Аня:что ты", "Tumbo:не знаю ответа", "Tumbo:ты меня не учишь :("},
                              "",
                              ""}),
    [](const testing::TestParamInfo<LessonRow>& row) { return std::string(row.param.name); });

class ChatToolCommand : public test::BaseTest {
protected:
    void SetUp() override { WriteSmallBase(); }

    test::ToolRun Chat(const std::string& arguments, const std::string& input,
                       const std::string& workDir = {}) const {
        return test::RunTool(test::ShellQuoted(TUMBO_CHAT_BINARY) + " " + arguments, input,
                             workDir);
    }
    std::string BaseArgument() const { return "--base " + test::ShellQuoted(dir.path().string()); }
};

TEST_F(ChatToolCommand, ATranscriptRepeatsAndTheBaseStaysByteForByte) {
    dir.Write("temp.dlg", "$old\r\n#scratch\r\n");
    const auto before = Snapshot();
    const std::string input = "привет\nпривет\nнепонятно\nпривет\nкак дела\nпривет\n";
    const auto first = Chat(BaseArgument() + " --seed 42", input);
    const auto second = Chat(BaseArgument() + " --seed 42", input);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(test::SplitOutput(first.out).size(), 12u);
    EXPECT_NE(first.out.find("Tumbo:не знаю ответа\n"), std::string::npos);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(Snapshot(), before) << "the scratch dialogue is neither truncated nor rewritten";

    std::filesystem::remove(dir.file("temp.dlg"));
    EXPECT_EQ(Chat(BaseArgument(), "непонятно\n").status, 0);
    EXPECT_FALSE(dir.Exists("temp.dlg"));
}

TEST_F(ChatToolCommand, TheCurrentFolderIsTheDefaultBase) {
    const auto run = Chat("--seed 3", "как дела\n", dir.path());
    EXPECT_EQ(run.out, "Аня:как дела\nTumbo:Из другого диалога\n");
    EXPECT_EQ(Chat("", "", dir.file("dlg")).status, 2) << "a folder without a base";
}

}  // namespace
}  // namespace tumbo
