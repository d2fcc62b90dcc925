#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/chat_lines.h"
#include "engine/session.h"
#include "platform/base_lock.h"
#include "support/base_writer.h"
#include "support/cp1251.h"

namespace tumbo::test {
namespace {

class SessionTest : public testing::Test, protected BaseFolder {
protected:
    Session& OpenHere(OpenSettings settings = {}) {
        opened = Session::Open(dir.path().string(), settings);
        EXPECT_TRUE(opened.session) << (opened.refused ? opened.refused->details : "held");
        return *opened.session;
    }

    Opened opened;
};

TEST_F(SessionTest, AMissOpensALessonThatAnswersOnceLearnt) {
    WriteOneDialogueBase();
    Session& session = OpenHere();
    int changes = 0;
    session.Watch([&] { ++changes; });
    const int second = session.Watch([&] { changes += 10; });

    Turn turn = session.Say("Who are you");
    EXPECT_EQ(turn.state, SessionState::kTeaching);
    EXPECT_EQ(turn.phrase, "who are you");
    EXPECT_EQ(turn.lines, (std::vector<std::string>{"me:who are you", chat_lines::kNoAnswer}));

    turn = session.Confirm({{"who are you"}, {}});
    EXPECT_EQ(turn.state, SessionState::kTeaching);
    EXPECT_EQ(turn.missing, LessonGap::kNoReply);
    EXPECT_TRUE(turn.lines.empty());

    session.Unwatch(second);
    turn = session.Confirm({{"who are you", "", "and you?"}, {"", "a", "b", "c", "d", "e"}});
    EXPECT_EQ(turn.state, SessionState::kChatting);
    EXPECT_EQ(turn.lines, std::vector<std::string>{chat_lines::kLearnt});
    EXPECT_FALSE(turn.failure);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dir.Read("dlg/2.dlg"),
              CrLfLines({"$who are you", "$and you?", "#a", "#b", "#c", "#d", "#e", "#END"}));
    EXPECT_EQ(session.Options().DialogueCount, 2);
    EXPECT_EQ(session.NewestLesson(), "dlg\\2.dlg");
    EXPECT_EQ(session.Say("and you?").state, SessionState::kChatting);
}

TEST_F(SessionTest, LessonStepsKeepTeachingUntilLeft) {
    WriteOneDialogueBase();
    Session& session = OpenHere();
    ASSERT_EQ(session.Say("what").state, SessionState::kTeaching);
    EXPECT_EQ(session.Extend({{}, {"one"}}).state, SessionState::kTeaching);
    EXPECT_EQ(session.NextPhrase({{}, {"two"}}).state, SessionState::kTeaching);
    EXPECT_TRUE(session.Teaching());
    const Turn left = session.Leave();
    EXPECT_EQ(left.state, SessionState::kChatting);
    EXPECT_EQ(left.lines, std::vector<std::string>{chat_lines::kNotTaught});
    EXPECT_FALSE(session.Teaching());
    EXPECT_FALSE(dir.Exists("dlg/2.dlg"));
}

TEST_F(SessionTest, AFarewellClosesAndAReadOnlySessionNeverTeaches) {
    WriteOptions("me", 1);
    WriteDialogue(1, {"$bye", "#see you[e]", "#END"});
    WritePathList(1);
    const auto lock = BaseLock::TryAcquire(dir.path().string());
    OpenSettings readOnly;
    readOnly.readOnly = true;
    Session& session = OpenHere(readOnly);
    const Turn miss = session.Say("hm");
    EXPECT_EQ(miss.state, SessionState::kChatting);
    EXPECT_EQ(miss.lines.back(), chat_lines::kNoAnswer);
    EXPECT_FALSE(dir.Exists("temp.dlg"));
    EXPECT_EQ(session.Say("bye").state, SessionState::kClosing);
}

TEST_F(SessionTest, AFolderAnotherHoldsIsNotOpened) {
    WriteOneDialogueBase();
    const auto lock = BaseLock::TryAcquire(dir.path().string());
    const Opened held = Session::Open(dir.path().string());
    EXPECT_TRUE(held.heldElsewhere);
    EXPECT_FALSE(held.session);
}

TEST_F(SessionTest, OpeningInstallsCompletesAndMergesTheBundledBase) {
    TempDir bundled;
    bundled.Write("opt.tmb", OptionFile("", 2));
    bundled.Write("path.tmb", PathListLine(1) + PathListLine(2));
    bundled.Write("dlg/1.dlg", CrLfLines({"$hi", "#hello", "#END"}));
    bundled.Write("dlg/2.dlg", CrLfLines({"$new", "#news", "#END"}));
    bundled.Write("version", "2\n");
    const std::string fresh = dir.file("fresh");
    OpenSettings settings;
    settings.bundled = bundled.path().string();
    Opened first = Session::Open(fresh, settings);
    ASSERT_TRUE(first.session);
    EXPECT_EQ(first.notes.front(), "first start: the dialogue base is installed in " + fresh);
    EXPECT_EQ(first.session->Say("new").lines.back(), "Tumbo:news");
    first.session.reset();

    WriteOneDialogueBase();
    dir.Write("opt.tmb.tmp-Ab3dEf", "half");
    Session& session = OpenHere(settings);
    EXPECT_FALSE(dir.Exists("opt.tmb.tmp-Ab3dEf"));
    EXPECT_FALSE(opened.mergeFailed);
    EXPECT_EQ(opened.notes.front(), "added dlg/2.dlg: new");
    EXPECT_EQ(session.Options().DialogueCount, 2);
}

TEST_F(SessionTest, FailuresAreValues) {
    WriteOptions("me", 1);
    WritePathList(1);
    Session& session = OpenHere();
    const Turn turn = session.Say("hi");
    ASSERT_TRUE(turn.failure);
    EXPECT_EQ(turn.lines, std::vector<std::string>{"me:hi"});
    EXPECT_FALSE(session.ReadText("dlg\\1.dlg").value.size());
    EXPECT_TRUE(session.ReadText("dlg\\1.dlg").failure);
}

TEST_F(SessionTest, ASaveKeepsToTheCodePage) {
    WriteOneDialogueBase();
    Session& session = OpenHere();
    int changes = 0;
    session.Watch([&] { ++changes; });
    const auto refused = session.Save("dlg\\1.dlg", {"$hi", "#smile \xF0\x9F\x98\x80"});
    ASSERT_TRUE(refused);
    EXPECT_EQ(
        refused->message,
        u8"Строка 2, знак 8: такого знака нет в кодировке базы (1251), диалог не сохранён"_cp);
    EXPECT_EQ(refused->details, "Character: \xF0\x9F\x98\x80 (U+1F600)");
    EXPECT_EQ(dir.Read("dlg/1.dlg"), CrLfLines({"$hi", "#hello", "#END"}));
    EXPECT_EQ(changes, 0);

    EXPECT_FALSE(session.Save("dlg\\1.dlg", {"$HI", "#\xD0\xBF\xD1\x80\xD0\xB8"}));
    EXPECT_EQ(dir.Read("dlg/1.dlg"), CrLfLines({"$hi", "#\xEF\xF0\xE8", "#END"}));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(session.Forget("dlg\\1.dlg"));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(session.List().value.empty());
}

}  // namespace
}  // namespace tumbo::test
