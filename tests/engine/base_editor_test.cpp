#include "engine/base_editor.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <set>

#include "support/engine_fixture.h"
#include "support/failing_file_calls.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::operator""_cp;
using Lines = std::vector<std::string>;

TEST(DialogueText, TriggersAreLowerCasedBlankLinesDroppedAndTheEndAdded) {
    EXPECT_EQ(DialogueFileLines({u8"$Привет"_cp, "$HI there", "", u8"#Привет, [n]!"_cp, "  ",
                                 u8"$Как Дела"_cp, u8"#Хорошо"_cp}),
              (Lines{u8"$привет"_cp, "$hi there", u8"#Привет, [n]!"_cp, u8"$как дела"_cp,
                     u8"#Хорошо"_cp, "#END"}));
}

TEST(DialogueText, WhatCannotBeStoredIsRefusedNamingItsLine) {
    struct Case {
        const char* name;
        Lines text;
        std::size_t line;
        std::string says;
    };
    const Case cases[] = {
        {"reply first", {"#hello", "$hi", "#hello"}, 1, u8"перед первым ответом"_cp},
        {"last turn without reply",
         {"$hi", "#hello", "", "$and you", "$you"},
         4,
         u8"нет ответа"_cp},
        {"untagged line", {"$hi", "hello"}, 2, u8"начинается с $"_cp},
        {"empty trigger", {"$", "#hello"}, 1, u8"пустая фраза"_cp},
        {"empty reply", {"$hi", "#"}, 2, u8"пустой ответ"_cp},
        {"end line inside", {"$hi", "#hello", "#END", "$more", "#yes"}, 3, "#END"},
        {"nothing", {"", " "}, 0, u8"Диалог пуст"_cp},
        {"line no reader takes", {"$hi", "#" + std::string(65536, 'x')}, 2, "65536"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DialogueFileLines(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const DialogueTextError& error) {
            EXPECT_EQ(error.line(), c.line);
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
            if (c.line > 0) {
                EXPECT_TRUE(std::string(error.what())
                                .starts_with(u8"Строка "_cp + std::to_string(c.line) + ": "));
            }
        }
    }
}

class BaseEditing : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 3);
        WriteDialogue(1, {"$hi", "$hello", "#Hi!", "$fine", "#Good.", "#END"});
        WriteDialogue(2, {u8"$погода"_cp, u8"#Солнечно."_cp, "#END"});
        WriteDialogue(3, {"$bye", "#Bye[e]", "#END"});
        WritePathList(3);
        window.LoadOptions();
    }
    std::string Say(const std::string& phrase) {
        Send(phrase);
        return window.teachPanelVisible ? "<teach>" : LastLine();
    }

    // The session's editor, its failures thrown as the base window's guard takes them.
    struct Editor {
        Session& session;
        static void Check(const std::optional<Failure>& failure) {
            if (failure) {
                throw TumboError(failure->message, failure->details);
            }
        }
        std::vector<DialogueSummary> List() {
            auto listed = session.List();
            Check(listed.failure);
            return listed.value;
        }
        std::vector<std::string> ReadText(const std::string& entry) {
            auto read = session.ReadText(entry);
            Check(read.failure);
            return read.value;
        }
        void Save(const std::string& entry, const std::vector<std::string>& lines) {
            Check(session.Save(entry, lines));
        }
        void Forget(const std::string& entry) { Check(session.Forget(entry)); }
        std::optional<std::string> NewestLesson() const { return session.NewestLesson(); }
    };
    Editor editor{session};
};

TEST_F(BaseEditing, ListsEveryDialogueInPathListOrderAndReadsItsText) {
    dir.Write("path.tmb", CrLfLines({"dlg\\2.dlg", "dlg\\1.dlg", "dlg\\9.dlg", "dlg\\3.dlg"}));
    const auto list = editor.List();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].number, 2);
    EXPECT_EQ(list[0].opener, u8"погода"_cp);
    EXPECT_EQ(list[0].reply, u8"Солнечно."_cp);
    EXPECT_EQ(list[1].entry, "dlg\\1.dlg");
    EXPECT_EQ(list[1].opener, "hi");
    EXPECT_EQ(list[1].reply, "Hi!");
    EXPECT_EQ(list[1].folded, (Lines{"hi", "hello", "hi", "fine", "good"}));
    EXPECT_FALSE(list[2].readable) << "a missing file hides nothing else";
    EXPECT_EQ(list[3].opener, "bye");
    EXPECT_EQ(editor.ReadText("dlg\\1.dlg"), (Lines{"$hi", "$hello", "#Hi!", "$fine", "#Good."}));
}

TEST_F(BaseEditing, ASavedDialogueAnswersFromTheNextPhrase) {
    EXPECT_EQ(Say("hi"), "Tumbo:Hi!");
    editor.Save("dlg\\1.dlg", {"$hi", "$Hey", "#Hey you.", "$fine", "#Good."});
    EXPECT_EQ(dir.Read("dlg/1.dlg"),
              CrLfLines({"$hi", "$hey", "#Hey you.", "$fine", "#Good.", "#END"}));
    EXPECT_EQ(Say("fine"), "Tumbo:Good.") << "the conversation goes on in the saved dialogue";
    EXPECT_EQ(Say("hey"), "Tumbo:Hey you.");
    EXPECT_THROW(editor.Save("dlg\\1.dlg", {"$hi"}), TumboError);
    EXPECT_EQ(dir.Read("dlg/1.dlg"),
              CrLfLines({"$hi", "$hey", "#Hey you.", "$fine", "#Good.", "#END"}))
        << "refused text writes nothing";
    EXPECT_THROW(editor.Save("dlg\\7.dlg", {"$x", "#y"}), TumboError) << "not in the base";
    EXPECT_FALSE(dir.Exists("dlg/7.dlg"));
}

TEST_F(BaseEditing, AForgottenDialogueIsMovedAsideRecordedAndNoLongerAnswers) {
    EXPECT_EQ(Say("hi"), "Tumbo:Hi!");
    const std::string dialogue = dir.Read("dlg/1.dlg");
    editor.Forget("dlg\\1.dlg");
    EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\2.dlg", "dlg\\3.dlg"}));
    EXPECT_FALSE(dir.Exists("dlg/1.dlg"));
    EXPECT_EQ(dir.Read("dlg/forgotten/1.dlg"), dialogue) << "nothing is destroyed";
    EXPECT_EQ(dir.Read("forgotten.tmb"), CrLfLines({"hi", "hello"}));
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "2"}));
    EXPECT_EQ(session.Options().DialogueCount, 2);
    EXPECT_EQ(Say("fine"), "<teach>") << "the conversation left the forgotten dialogue";
    window.LeaveTeaching();
    EXPECT_EQ(Say("hi"), "<teach>");
    window.LeaveTeaching();
    EXPECT_EQ(Say("bye"), "Tumbo:Bye");
    EXPECT_THROW(editor.Forget("dlg\\1.dlg"), TumboError) << "gone already";
}

// A mark is shared by every urgent dialogue: on record it would keep every one of them out
// of the base at the next update.
TEST_F(BaseEditing, AForgottenUrgentDialogueRecordsItsPhrasesButNotItsMark) {
    WriteDialogue(2, {u8"$[срочно]"_cp, u8"$мне плохо"_cp, "#112", "#END"});
    editor.Forget("dlg\\2.dlg");
    EXPECT_EQ(dir.Read("forgotten.tmb"), CrLfLines({u8"мне плохо"_cp}));
}

TEST_F(BaseEditing, TheNewestLessonIsUndoneOneAfterAnother) {
    EXPECT_FALSE(editor.NewestLesson());
    for (const std::string phrase : {"one", "two"}) {
        Send(phrase);
        window.teachFields[4] = phrase + " reply";
        window.ConfirmTeaching();
    }
    ASSERT_EQ(editor.NewestLesson(), "dlg\\5.dlg");
    editor.Forget(*editor.NewestLesson());
    ASSERT_EQ(editor.NewestLesson(), "dlg\\4.dlg");
    editor.Forget(*editor.NewestLesson());
    EXPECT_FALSE(editor.NewestLesson()) << "only lessons of this run are undone";
    EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
    EXPECT_EQ(dir.Read("forgotten.tmb"), CrLfLines({"two", "one"}));

    // The number is free again; the same lesson forgotten twice keeps both files.
    Send("two");
    window.teachFields[4] = "again";
    window.ConfirmTeaching();
    EXPECT_EQ(editor.NewestLesson(), "dlg\\4.dlg");
    editor.Forget("dlg\\4.dlg");
    EXPECT_EQ(dir.Names("dlg/forgotten"), (std::set<std::string>{"4.dlg", "4-2.dlg", "5.dlg"}));
    EXPECT_EQ(dir.Read("forgotten.tmb"), CrLfLines({"two", "one"})) << "each opener once";
}

TEST_F(BaseEditing, AFileThatCannotBeMovedAsideIsStillForgotten) {
    calls.FailAt(test::FailingFileCalls::Call::kRenameNoReplace, EACCES);
    EXPECT_THROW(editor.Forget("dlg\\2.dlg"), TumboError);
    EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\1.dlg", "dlg\\3.dlg"}));
    EXPECT_TRUE(dir.Exists("dlg/2.dlg"));
    EXPECT_EQ(session.Options().DialogueCount, 2) << "the count follows the path list";
    EXPECT_EQ(Say(u8"погода"_cp), "<teach>");
}

// A line longer than any reader takes is an error naming its file and line, for the search,
// the base window and a forget alike, and nothing is changed.
TEST_F(BaseEditing, ALineOverTheLimitIsAnErrorNamingItsFileAndLine) {
    const std::string huge(1 << 20, 'x');
    struct Case {
        const char* name;
        std::string file;
        std::string bytes;
        std::function<std::optional<Failure>()> act;
    };
    const Case cases[] = {
        {"search", "dlg/1.dlg", CrLfLines({"$hi", "$" + huge, "#Hi!", "#END"}),
         [&] { return session.Say("zz").failure; }},
        {"base window", "dlg/2.dlg", CrLfLines({"$a", "#" + huge, "#END"}),
         [&] { return session.ReadText("dlg\\2.dlg").failure; }},
        {"forget", "forgotten.tmb", CrLfLines({"old", huge}),
         [&] { return session.Forget("dlg\\3.dlg"); }},
    };
    // Each row's file is one the rows after it do not read.
    const std::string pathList = dir.Read("path.tmb");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write(c.file, c.bytes);
        const std::optional<Failure> failure = c.act();
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->code, io_code::kLineTooLong);
        EXPECT_NE(failure->details.find(dir.file(c.file) + "\nReason: line 2 is longer than 65536"),
                  std::string::npos)
            << failure->details;
        EXPECT_EQ(dir.Read("path.tmb"), pathList) << "nothing is forgotten";
    }
    EXPECT_FALSE(session.List().value[1].readable) << "listed, without its text";
}

// Rewriting a file keeps what a hand edit left after its end mark in a copy beside it, as
// the path list's rewrite does.
TEST_F(BaseEditing, WhatFollowsAnEndMarkIsKeptWhenAFileIsRewritten) {
    struct Case {
        const char* name;
        std::string file;
        std::string bytes;
        std::function<void()> rewrite;
        std::string rewritten;
        std::string kept;
    };
    const Case cases[] = {
        {"saved dialogue", "dlg/1.dlg", CrLfLines({"$hi", "#Hi!", "#END"}) + "\x1a$old\r\n",
         [&] {
             editor.Save("dlg\\1.dlg", {"$hi", "#Hey."});
         },
         CrLfLines({"$hi", "#Hey.", "#END"}), "$old\r\n"},
        {"forgotten openers", "forgotten.tmb",
         "old\r\n\x1a"
         "after\r\n",
         [&] { editor.Forget("dlg\\3.dlg"); }, CrLfLines({"old", "bye"}), "after\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write(c.file, c.bytes);
        c.rewrite();
        EXPECT_EQ(dir.Read(c.file), c.rewritten);
        EXPECT_EQ(dir.Read(c.file + ".bak"), c.kept);
    }
}

}  // namespace
}  // namespace tumbo
