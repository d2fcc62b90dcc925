#include "ui/knowledge_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine/phrase_fold.h"
#include "platform/errors.h"
#include "platform/qt/codepage.h"
#include "platform/qt/message_box.h"
#include "ui/beside_place.h"
#include "ui/dialogue_list_model.h"

namespace tumbo {

namespace {

// The window's handlers show a failure through their guard.
void ThrowIfFailed(const std::optional<Failure>& failure) {
    if (failure) {
        throw TumboError(failure->message, failure->details);
    }
}

}  // namespace

KnowledgeWindow::KnowledgeWindow(Session& session, Guard guard, std::function<void()> countChanged)
    : session_(session), guard_(std::move(guard)), countChanged_(std::move(countChanged)) {
    createControls();
    createLayout();
    connectHandlers();
    createShortcuts();
    // A lesson taught while the window is open joins its list once the lesson's handler
    // is over.
    watch_ = session_.Watch([this] {
        // The window's own changes update the list themselves.
        if (changing_) {
            return;
        }
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) {
                guard_([this] { Refresh(); });
            }
        });
    });
}

KnowledgeWindow::~KnowledgeWindow() {
    session_.Unwatch(watch_);
}

void KnowledgeWindow::Open(const QRect& chat, const QRect& phraseField, const QMargins& frame) {
    if (!isVisible()) {
        if (place_) {
            resize(size_);
            move(*place_);
        } else {
            PlaceBeside(chat, phraseField, frame);
        }
        show();
        SearchField->setFocus();
        guard_([this] { Refresh(); });
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void KnowledgeWindow::OpenOn(const QRect& chat, const std::string& entry, const QRect& phraseField,
                             const QMargins& frame) {
    SearchField->clear();
    Open(chat, phraseField, frame);
    SelectEntry(entry);
    DialogueText->setFocus();
}

void KnowledgeWindow::PlaceBeside(const QRect& chat, const QRect& phraseField,
                                  const QMargins& frame) {
    QScreen* screen = QGuiApplication::screenAt(chat.center());
    if (screen == nullptr) {
        screen = this->screen();
    }
    if (screen == nullptr) {
        return;
    }
    const QSize decoration(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect place = tumbo::PlaceBeside({screen->availableGeometry(), chat, phraseField,
                                            size() + decoration, minimumSize() + decoration});
    resize(place.size() - decoration);
    // A window's position is that of its frame.
    move(place.topLeft());
}

void KnowledgeWindow::closeEvent(QCloseEvent* event) {
    place_ = pos();
    size_ = size();
    // The list is read again at the next opening; until then a big base costs nothing.
    loader_->stop();
    model_->Clear();
    unreadFrom_ = 0;
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    QWidget::closeEvent(event);
}

bool KnowledgeWindow::eventFilter(QObject* watched, QEvent* event) {
    // The focus always shows on a row: the first, when none is current.
    if (watched == DialogueList && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason &&
        !DialogueList->currentIndex().isValid() && model_->rowCount() > 0) {
        DialogueList->setCurrentIndex(model_->index(0, kOpenerColumn));
    }
    return QWidget::eventFilter(watched, event);
}

void KnowledgeWindow::Refresh() {
    Outcome<std::vector<DialogueRow>> rows = session_.Rows();
    // Whatever fails, the list never shows dialogues that may be gone.
    model_->SetRows(std::move(rows.value));
    unreadFrom_ = 0;
    // The dialogue being edited stays found by a search that finds it.
    if (const std::size_t at = model_->IndexOf(currentEntry_);
        !currentEntry_.empty() && at < model_->Count()) {
        ReadRows({at});
    }
    ReadSome(kFirstReadMs);
    AfterListChanged();
    ThrowIfFailed(rows.failure);
}

bool KnowledgeWindow::Loaded() const {
    return model_->ReadCount() == model_->Count();
}

void KnowledgeWindow::ReadSome(int budgetMs) {
    QElapsedTimer timer;
    timer.start();
    std::vector<std::size_t> read;
    // The rows in sight first, wherever the list was scrolled or turned.
    const QModelIndex top = DialogueList->indexAt(QPoint(0, 0));
    const int rowHeight = std::max(DialogueList->sizeHintForRow(0), 1);
    const int inSight = top.isValid() ? DialogueList->viewport()->height() / rowHeight + 1 : 0;
    for (int row = top.row(); row >= 0 && row < std::min(top.row() + inSight, model_->rowCount());
         ++row) {
        DialogueRow& seen = model_->Row(model_->IndexAt(row));
        if (seen.state == DialogueRow::State::kUnread) {
            session_.ReadRow(seen);
            read.push_back(model_->IndexAt(row));
        }
    }
    while (!timer.hasExpired(budgetMs)) {
        unreadFrom_ = model_->NextUnread(unreadFrom_);
        if (unreadFrom_ == model_->Count()) {
            break;
        }
        read.push_back(unreadFrom_++);
        session_.ReadRow(model_->Row(read.back()));
    }
    model_->RowsRead(read, read.size());
    UpdateStatus();
    if (Loaded()) {
        loader_->stop();
    } else if (!loader_->isActive()) {
        loader_->start();
    }
}

void KnowledgeWindow::ReadRows(const std::vector<std::size_t>& at) {
    std::size_t newlyRead = 0;
    for (const std::size_t i : at) {
        DialogueRow& row = model_->Row(i);
        newlyRead += row.state == DialogueRow::State::kUnread ? 1 : 0;
        session_.ReadRow(row);
    }
    model_->RowsRead(at, newlyRead);
}

void KnowledgeWindow::ApplyFilter() {
    const std::string typed = EncodeCp1251(SearchField->text());
    const std::string folded = FoldPhrase(typed);
    // A search of punctuation alone («:)») is looked for as it is.
    const bool all = typed.find_first_not_of(' ') == std::string::npos;
    model_->SetFilter(all ? std::string() : folded.empty() ? typed : folded);
    AfterListChanged();
}

void KnowledgeWindow::AfterListChanged() {
    if (!currentEntry_.empty() && model_->ShownRowOf(currentEntry_) < 0) {
        // Gone, or hidden by the search: nothing is left to save over it unseen.
        currentEntry_.clear();
        shownEntry_.clear();
        ClearText();
    }
    // Selecting what is shown already must not read it again over unsaved text.
    selecting_ = true;
    SelectEntry(currentEntry_);
    selecting_ = false;
    UpdateStatus();
    UpdateButtons();
}

void KnowledgeWindow::UpdateStatus() {
    const std::size_t count = model_->Count();
    if (!model_->Filtering()) {
        Say(QString::fromUtf8("Диалогов в базе: %1").arg(count));
    } else if (Loaded()) {
        Say(QString::fromUtf8("Найдено: %1 из %2").arg(model_->rowCount()).arg(count));
    } else {
        Say(QString::fromUtf8("Найдено: %1 из %2, прочитано %3")
                .arg(model_->rowCount())
                .arg(count)
                .arg(model_->ReadCount()));
    }
}

void KnowledgeWindow::SelectEntry(const std::string& entry) {
    const int row = entry.empty() ? -1 : model_->ShownRowOf(entry);
    if (row < 0) {
        DialogueList->setCurrentIndex({});
        return;
    }
    const QModelIndex index = model_->index(row, kOpenerColumn);
    DialogueList->setCurrentIndex(index);
    DialogueList->scrollTo(index);
}

void KnowledgeWindow::ShowSelected() {
    const QModelIndex current = DialogueList->currentIndex();
    if (selecting_ || !current.isValid()) {
        return;
    }
    const std::string entry = model_->EntryAt(current.row());
    currentEntry_ = entry;
    // Nothing is shown that could be saved over the wrong file, even if reading fails.
    shownEntry_.clear();
    ClearText();
    UpdateButtons();
    ShowText(entry);
}

void KnowledgeWindow::ShowText(const std::string& entry) {
    if (const std::size_t at = model_->IndexOf(entry);
        at < model_->Count() && model_->Row(at).state == DialogueRow::State::kUnread) {
        ReadRows({at});
    }
    const Outcome<std::vector<std::string>> read = session_.ReadText(entry);
    if (read.failure) {
        QString notice = QString::fromUtf8("Этот диалог не показан: %1")
                             .arg(DecodeCp1251(read.failure->message));
        if (!read.failure->details.empty()) {
            notice += "\n\n" + QString::fromStdString(read.failure->details);
        }
        ShowNotice(notice);
        return;
    }
    QStringList lines;
    for (std::size_t i = 0; i < read.value.size(); ++i) {
        // One huge line would take the editor minutes to lay out.
        if (read.value[i].size() > kLongestShownLine) {
            ShowNotice(QString::fromUtf8("Этот диалог не показан: строка %1 длиннее %2 КБ.")
                           .arg(i + 1)
                           .arg(kLongestShownLine / 1024));
            return;
        }
        lines.append(DecodeCp1251(read.value[i]));
    }
    DialogueText->setReadOnly(false);
    DialogueText->setPlainText(lines.join('\n'));
    shownEntry_ = entry;
    UpdateButtons();
}

void KnowledgeWindow::ShowNotice(const QString& text) {
    DialogueText->setReadOnly(true);
    DialogueText->setPlainText(text);
    UpdateButtons();
}

void KnowledgeWindow::ClearText() {
    DialogueText->setReadOnly(false);
    DialogueText->clear();
}

void KnowledgeWindow::UpdateButtons() {
    SaveButton->setEnabled(!shownEntry_.empty());
    ForgetButton->setEnabled(DialogueList->currentIndex().isValid());
    UndoLessonButton->setEnabled(session_.NewestLesson().has_value());
}

std::string KnowledgeWindow::VisibleNeighbourOf(const std::string& entry) const {
    const int at = model_->ShownRowOf(entry);
    if (at < 0) {
        return {};
    }
    if (at + 1 < model_->rowCount()) {
        return model_->EntryAt(at + 1);
    }
    return at > 0 ? model_->EntryAt(at - 1) : std::string();
}

QString KnowledgeWindow::OpenerOf(const std::string& entry) {
    const std::size_t at = model_->IndexOf(entry);
    if (at < model_->Count() && model_->Row(at).state == DialogueRow::State::kUnread) {
        ReadRows({at});
    }
    const DialogueRow* row = model_->RowOf(entry);
    return row != nullptr && !row->Opener().empty() ? DecodeCp1251(std::string(row->Opener()))
                                                    : DecodeCp1251(entry);
}

void KnowledgeWindow::SaveButtonClick() {
    if (shownEntry_.empty()) {
        return;
    }
    const std::string entry = shownEntry_;
    std::vector<std::string> lines;
    for (const QString& line : DialogueText->toPlainText().split('\n')) {
        lines.push_back(line.toStdString());
    }
    changing_ = true;
    const std::optional<Failure> failure = session_.Save(entry, lines);
    changing_ = false;
    ThrowIfFailed(failure);
    // The list's row and the editor show the stored form, lower-cased triggers and all.
    if (const std::size_t at = model_->IndexOf(entry); at < model_->Count()) {
        ReadRows({at});
    }
    ShowText(entry);
    Say(QString::fromUtf8("Сохранено: Тумбо отвечает так со следующей фразы."));
}

void KnowledgeWindow::ForgetButtonClick() {
    const QModelIndex current = DialogueList->currentIndex();
    if (!current.isValid()) {
        return;
    }
    const std::string entry = model_->EntryAt(current.row());
    ForgetAfterAsking(entry, QString::fromUtf8("Забыть диалог «%1»? Тумбо больше не будет на "
                                               "него отвечать; файл останется в dlg/forgotten.")
                                 .arg(OpenerOf(entry)));
}

void KnowledgeWindow::UndoLessonButtonClick() {
    const std::optional<std::string> entry = session_.NewestLesson();
    if (!entry) {
        return;
    }
    ForgetAfterAsking(*entry, QString::fromUtf8("Забыть последний урок «%1»? Тумбо больше не "
                                                "будет на него отвечать.")
                                  .arg(OpenerOf(*entry)));
}

void KnowledgeWindow::ForgetAfterAsking(const std::string& entry, const QString& question) {
    if (!AskMessageBox(this, {Title(), question, BoxIcon::kQuestion, {}})) {
        return;
    }
    const QString opener = OpenerOf(entry);
    const QModelIndex current = DialogueList->currentIndex();
    const bool wasCurrent = current.isValid() && model_->EntryAt(current.row()) == entry;
    const std::string neighbour = wasCurrent ? VisibleNeighbourOf(entry) : std::string();
    changing_ = true;
    const std::optional<Failure> failure = session_.Forget(entry);
    changing_ = false;
    // The list and the count follow whatever part of the forgetting was done, and the
    // keyboard goes on from the dialogue that took the forgotten one's place.
    guard_(countChanged_);
    if (const std::size_t at = model_->IndexOf(entry); !failure && at < model_->Count()) {
        model_->Remove(at);
        unreadFrom_ -= unreadFrom_ > at ? 1 : 0;
        AfterListChanged();
    } else {
        guard_([this] { Refresh(); });
    }
    if (shownEntry_.empty() && !neighbour.empty()) {
        SelectEntry(neighbour);
        DialogueList->setFocus();
    }
    ThrowIfFailed(failure);
    Say(QString::fromUtf8("Забыт диалог «%1».").arg(opener));
}

void KnowledgeWindow::Say(const QString& text) {
    Status->setText(text);
}

}  // namespace tumbo
