#include "ui/knowledge_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include <cstring>
#include <filesystem>

#include "support/window_fixture.h"
#include "ui/dialogue_list_model.h"
#include "ui/tframe2.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::operator""_cp;

class BaseWindow : public test::WindowTest {
protected:
    void SetUp() override {
        previousQuestions_ = SetQuestionHandler([this](QWidget*, const MessageBoxRequest& request) {
            questions.push_back(request.text);
            return answer;
        });
        WriteOptions(u8"Аня"_cp, 3);
        WriteDialogue(1, {u8"$привет"_cp, u8"#Привет!"_cp, "#END"});
        WriteDialogue(2, {u8"$какая погода"_cp, u8"#Солнечно, тепло."_cp, "#END"});
        WriteDialogue(3, {u8"$пока"_cp, u8"#До встречи."_cp, "#END"});
        WritePathList(3);
        OpenLoaded();
        form->N6->trigger();
        window = form->knowledgeWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { SetQuestionHandler(previousQuestions_); }

    QTreeView* List() const { return window->DialogueList; }
    QString Cell(int row, int column) const {
        return List()->model()->index(row, column).data().toString();
    }
    // The opener column of the rows the list shows, top down.
    QStringList Shown() const {
        QStringList shown;
        for (int i = 0; i < List()->model()->rowCount(); ++i) {
            shown.append(Cell(i, KnowledgeWindow::kOpenerColumn));
        }
        return shown;
    }
    void Select(const QString& opener) {
        const QModelIndexList found =
            List()->model()->match(List()->model()->index(0, KnowledgeWindow::kOpenerColumn),
                                   Qt::DisplayRole, opener, -1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << opener.toStdString();
        List()->setCurrentIndex(found.front());
    }
    QString Current() const {
        return List()
            ->currentIndex()
            .siblingAtColumn(KnowledgeWindow::kOpenerColumn)
            .data()
            .toString();
    }
    QString Reply(const QString& phrase) {
        Type(phrase);
        return ChatLines().last();
    }

    KnowledgeWindow* window = nullptr;
    std::vector<QString> questions;
    bool answer = true;

private:
    QuestionHandler previousQuestions_;
};

TEST_F(BaseWindow, TheMenuOpensOneWindowBesideTheChat) {
    const auto items = form->menuBar()->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items[2]->text(), QString::fromUtf8("База")) << "after «Настройки»";
    ASSERT_NE(items[2]->menu(), nullptr);
    EXPECT_EQ(items[2]->menu()->actions().value(0), form->N6);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->objectName(), "KnowledgeWindow");
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("База диалогов"));
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    EXPECT_TRUE(window->minimumSize().width() < window->width()) << "resizable";
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->focusPolicy() != Qt::NoFocus && control->isVisible() &&
            !control->objectName().startsWith("qt_") && !control->objectName().isEmpty()) {
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->objectName().toStdString();
        }
    }

    EXPECT_EQ(Reply(QString::fromUtf8("пока")), QString::fromUtf8("Tumbo:До встречи."))
        << "the chat goes on";
    window->close();
    form->N6->trigger();
    EXPECT_EQ(form->knowledgeWindow(), window) << "opened again, not made twice";
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BaseWindow, ListsInPathListOrderNewestFirstOnRequestAndFiltersFolded) {
    ASSERT_EQ(List()->model()->rowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(0, 1), QString::fromUtf8("привет"));
    EXPECT_EQ(Cell(0, 2), QString::fromUtf8("Привет!"));
    window->NewestFirst->setChecked(true);
    EXPECT_EQ(Shown(), QStringList({QString::fromUtf8("пока"), QString::fromUtf8("какая погода"),
                                    QString::fromUtf8("привет")}));
    window->NewestFirst->setChecked(false);

    struct Case {
        const char* typed;
        QStringList shown;
    };
    const Case cases[] = {
        {"ПОГОДА!!", {QString::fromUtf8("какая погода")}},
        {"солнечно тепло", {QString::fromUtf8("какая погода")}},
        {"  ВСТРЕЧИ...", {QString::fromUtf8("пока")}},
        {"при", {QString::fromUtf8("привет")}},
        {"снег", {}},
        {"",
         {QString::fromUtf8("привет"), QString::fromUtf8("какая погода"),
          QString::fromUtf8("пока")}},
    };
    for (const Case& c : cases) {
        window->SearchField->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(Shown(), c.shown) << c.typed;
    }
}

TEST_F(BaseWindow, AnEditIsCheckedSavedAndAnsweredFromTheNextPhrase) {
    Select(QString::fromUtf8("привет"));
    EXPECT_EQ(window->DialogueText->toPlainText(), QString::fromUtf8("$привет\n#Привет!"));
    window->DialogueText->setPlainText(
        QString::fromUtf8("$привет\n$ЗДРАВСТВУЙ\n#Рад тебя видеть!"));
    QTest::mouseClick(window->SaveButton, Qt::LeftButton);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dir.Read("dlg/1.dlg"),
              CrLfLines({u8"$привет"_cp, u8"$здравствуй"_cp, u8"#Рад тебя видеть!"_cp, "#END"}));
    EXPECT_EQ(window->DialogueText->toPlainText(),
              QString::fromUtf8("$привет\n$здравствуй\n#Рад тебя видеть!"))
        << "the stored form";
    EXPECT_EQ(Reply(QString::fromUtf8("Здравствуй")), QString::fromUtf8("Tumbo:Рад тебя видеть!"));

    // What the code page cannot hold is refused before anything is written; the text's
    // other faults are the engine's to find (DialogueText tests).
    const std::string saved = dir.Read("dlg/1.dlg");
    QApplication::setActiveWindow(window);
    window->DialogueText->setPlainText(QString::fromUtf8("$привет\n#Улыбка 😀"));
    QTest::keySequence(window, QKeySequence::Save);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QString::fromUtf8("Строка 2, знак 9:")));
    EXPECT_TRUE(boxes[0].details.contains(QString::fromUtf8("😀")));
    EXPECT_EQ(dir.Read("dlg/1.dlg"), saved);
}

TEST_F(BaseWindow, ForgettingAsksFirstThenTheDialogueIsGoneFromListBaseAndChat) {
    Select(QString::fromUtf8("какая погода"));
    answer = false;
    QTest::mouseClick(window->ForgetButton, Qt::LeftButton);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains(QString::fromUtf8("какая погода")));
    EXPECT_EQ(List()->model()->rowCount(), 3) << "no means no";

    answer = true;
    QTest::mouseClick(window->ForgetButton, Qt::LeftButton);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Shown(), QStringList({QString::fromUtf8("привет"), QString::fromUtf8("пока")}));
    EXPECT_EQ(Current(), QString::fromUtf8("пока")) << "the keyboard goes on from the next one";
    EXPECT_EQ(window->DialogueText->toPlainText(), QString::fromUtf8("$пока\n#До встречи."));
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:2"));
    EXPECT_EQ(dir.Read("dlg/forgotten/2.dlg"),
              CrLfLines({u8"$какая погода"_cp, u8"#Солнечно, тепло."_cp, "#END"}));
    EXPECT_EQ(Reply(QString::fromUtf8("какая погода")), QString::fromUtf8("Tumbo:не знаю ответа"));
}

TEST_F(BaseWindow, ALessonJoinsTheOpenListAndIsUndoneByName) {
    EXPECT_FALSE(window->UndoLessonButton->isEnabled());
    Type(QString::fromUtf8("как дела"));
    ASSERT_TRUE(form->Frame21->isVisible());
    form->Frame21->Edit5->setText(QString::fromUtf8("Отлично"));
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown().size(), 4);
    EXPECT_EQ(Shown().last(), QString::fromUtf8("как дела"));
    ASSERT_TRUE(window->UndoLessonButton->isEnabled());

    QTest::mouseClick(window->UndoLessonButton, Qt::LeftButton);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains(QString::fromUtf8("«как дела»")));
    EXPECT_EQ(Shown().size(), 3);
    EXPECT_FALSE(window->UndoLessonButton->isEnabled());
    EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
    EXPECT_EQ(dir.Read("forgotten.tmb"), CrLfLines({u8"как дела"_cp}));
    EXPECT_EQ(Reply(QString::fromUtf8("как дела")), QString::fromUtf8("Tumbo:не знаю ответа"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BaseWindow, ASearchThatHidesTheShownDialogueEmptiesTheEditorUntilARowIsChosen) {
    Select(QString::fromUtf8("привет"));
    ASSERT_TRUE(window->SaveButton->isEnabled());
    window->SearchField->setText(QString::fromUtf8("погода"));
    EXPECT_EQ(Shown(), QStringList({QString::fromUtf8("какая погода")}));
    EXPECT_TRUE(window->DialogueText->toPlainText().isEmpty());
    EXPECT_FALSE(window->SaveButton->isEnabled());
    EXPECT_FALSE(window->ForgetButton->isEnabled());
    window->SearchField->clear();
    EXPECT_FALSE(window->SaveButton->isEnabled()) << "until a row is chosen";

    window->SearchField->setText(QString::fromUtf8("при"));
    Select(QString::fromUtf8("привет"));
    window->DialogueText->setPlainText(QString::fromUtf8("$привет\n#Ещё не сохранено"));
    window->SearchField->setText(QString::fromUtf8("прив"));
    EXPECT_EQ(window->DialogueText->toPlainText(), QString::fromUtf8("$привет\n#Ещё не сохранено"))
        << "a search that keeps the dialogue keeps its unsaved text";
    EXPECT_TRUE(window->SaveButton->isEnabled());
}

TEST_F(BaseWindow, TheFocusedListAlwaysShowsARowAndTheEditorWraps) {
    window->SearchField->setText(QString::fromUtf8("снег"));
    window->SearchField->clear();
    ASSERT_FALSE(List()->currentIndex().isValid());
    QApplication::setActiveWindow(window);
    window->SearchField->setFocus();
    QTest::keyClick(window->SearchField, Qt::Key_Tab);
    QTest::keyClick(window->NewestFirst, Qt::Key_Tab);
    ASSERT_TRUE(List()->hasFocus());
    EXPECT_EQ(Current(), QString::fromUtf8("привет"));
    EXPECT_EQ(window->DialogueText->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(BaseWindow, ReopensWhereItWasLeft) {
    window->resize(600, 420);
    window->move(40, 30);
    const QRect left = window->frameGeometry();
    window->close();
    form->N6->trigger();
    EXPECT_EQ(window->frameGeometry(), left);
}

TEST_F(BaseWindow, ADialogueThatCannotBeShownIsANoticeNeverABoxNorAHugeRow) {
    const std::string longLine(70 * 1024, 'a');
    struct Case {
        const char* name;
        std::string bytes;  // empty: no file
        const char* notice;
    };
    const Case cases[] = {
        {"missing file", "", "Этот диалог не показан"},
        {"long line", CrLfLines({"$" + longLine, u8"#ответ"_cp, "#END"}), "Этот диалог не показан"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.path() / "dlg" / "2.dlg");
        if (!c.bytes.empty()) {
            dir.Write("dlg/2.dlg", c.bytes);
        }
        window->Refresh();
        QModelIndex row = List()->model()->index(1, KnowledgeWindow::kOpenerColumn);
        EXPECT_LE(row.data().toString().size(), 201) << "cut when read";
        Select(QString::fromUtf8("привет"));
        List()->setCurrentIndex(row);
        EXPECT_TRUE(window->DialogueText->toPlainText().startsWith(QString::fromUtf8(c.notice)));
        EXPECT_TRUE(window->DialogueText->isReadOnly());
        EXPECT_FALSE(window->SaveButton->isEnabled());
        EXPECT_TRUE(window->ForgetButton->isEnabled()) << "what cannot be shown can be forgotten";
        window->SearchField->setText(QString::fromUtf8("пока"));
        EXPECT_TRUE(window->DialogueText->toPlainText().isEmpty()) << "a notice goes with its row";
        window->SearchField->clear();
        Select(QString::fromUtf8("пока"));
        EXPECT_FALSE(window->DialogueText->isReadOnly());
        EXPECT_TRUE(window->SaveButton->isEnabled());
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BaseWindow, AFailedForgetsBoxIsModalToTheBaseWindow) {
    // A file where the forgotten folder goes: the dialogue cannot be moved aside.
    dir.Write("dlg/forgotten", "");
    std::vector<QWidget*> parents;
    const MessageBoxHandler previous = SetMessageBoxHandler(
        [&parents](QWidget* parent, const MessageBoxRequest&) { parents.push_back(parent); });
    Select(QString::fromUtf8("пока"));
    QTest::mouseClick(window->ForgetButton, Qt::LeftButton);
    SetMessageBoxHandler(previous);
    ASSERT_EQ(parents.size(), 1u);
    EXPECT_EQ(parents[0], window);
}

// Rows read after a search was typed join it in their place, in either order, and rows
// removed leave it.
TEST(DialogueList, RowsReadWhileASearchStandsJoinItInOrder) {
    const auto row = [](const char* entry, const char* text) {
        DialogueRow made;
        made.entry = entry;
        made.texts = std::string(text) + text + text + "\n";
        made.openerSize = made.replySize = static_cast<std::uint16_t>(std::strlen(text));
        return made;
    };
    struct Case {
        bool newestFirst;
        std::vector<std::size_t> readOrder;
        QStringList shown;
    };
    const Case cases[] = {
        {false, {3, 0, 2, 1}, {"x1", "x3", "x4"}},
        {true, {2, 0, 3, 1}, {"x4", "x3", "x1"}},
    };
    for (const Case& c : cases) {
        DialogueListModel model;
        model.SetNewestFirst(c.newestFirst);
        model.SetRows({row("x1", "ab"), row("x2", "cd"), row("x3", "abc"), row("x4", "zab")});
        model.SetFilter("ab");
        EXPECT_EQ(model.rowCount(), 0) << "nothing read, nothing found";
        for (const std::size_t at : c.readOrder) {
            DialogueRow& read = model.Row(at);
            read.state = DialogueRow::State::kRead;
            model.RowsRead({at}, 1);
        }
        const auto shown = [&model] {
            QStringList numbers;
            for (int i = 0; i < model.rowCount(); ++i) {
                numbers.append(model.index(i, DialogueListModel::kNumberColumn).data().toString());
            }
            return numbers;
        };
        EXPECT_EQ(shown(), c.shown) << c.newestFirst;
        EXPECT_EQ(model.ReadCount(), 4u);
        // A forgotten row leaves the others where they were.
        model.Remove(1);
        model.Remove(0);
        QStringList kept = c.shown;
        kept.removeAll("x1");
        EXPECT_EQ(shown(), kept) << c.newestFirst;
        EXPECT_EQ(model.ReadCount(), 2u);
    }
}

}  // namespace
}  // namespace tumbo
