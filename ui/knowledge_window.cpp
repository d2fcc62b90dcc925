#include "ui/knowledge_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "engine/phrase_fold.h"
#include "platform/cp1251_literal.h"
#include "platform/errors.h"
#include "platform/qt/codepage.h"
#include "platform/qt/message_box.h"

namespace tumbo {

namespace {

constexpr int kEntryRole = Qt::UserRole;
// Where the item's summary is in the list it was made from, so that filtering a long list
// never looks summaries up one by one.
constexpr int kSummaryRole = Qt::UserRole + 1;

std::string EntryOf(const QTreeWidgetItem* item) {
    return item->data(KnowledgeWindow::kNumberColumn, kEntryRole).toByteArray().toStdString();
}

// The window's handlers show a failure through their guard.
void ThrowIfFailed(const std::optional<Failure>& failure) {
    if (failure) {
        throw TumboError(failure->message, failure->details);
    }
}

template <typename T>
T Value(Outcome<T> outcome) {
    ThrowIfFailed(outcome.failure);
    return std::move(outcome.value);
}

bool Matches(const DialogueSummary& summary, const std::string& folded) {
    return std::any_of(summary.folded.begin(), summary.folded.end(),
                       [&](const std::string& text) { return text.find(folded) != text.npos; });
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

void KnowledgeWindow::Open(const QRect& chat) {
    if (!isVisible()) {
        Refresh();
        if (!placed_) {
            PlaceBeside(chat);
            placed_ = true;
        }
        show();
        SearchField->setFocus();
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void KnowledgeWindow::OpenOn(const QRect& chat, const std::string& entry) {
    SearchField->clear();
    Open(chat);
    SelectEntry(entry);
    DialogueText->setFocus();
}

// The first time beside the chat, so both can be seen; where there is no room, in the
// middle of the screen, wholly on it. Later it opens where the user left it.
void KnowledgeWindow::PlaceBeside(const QRect& chat) {
    if (screen() == nullptr) {
        return;
    }
    const QRect room = screen()->availableGeometry();
    QRect place(QPoint(), size().boundedTo(room.size()));
    constexpr int kGap = 8;
    const int top = std::clamp(chat.top(), room.top(), room.bottom() - place.height() + 1);
    if (chat.right() + kGap + place.width() <= room.right()) {
        place.moveTopLeft({chat.right() + kGap, top});
    } else if (chat.left() - kGap - place.width() >= room.left()) {
        place.moveTopRight({chat.left() - kGap, top});
    } else {
        place.moveCenter(room.center());
    }
    setGeometry(place);
}

void KnowledgeWindow::Refresh() {
    // Whatever fails, the list never shows dialogues that may be gone.
    summaries_.clear();
    try {
        summaries_ = Value(session_.List());
    } catch (...) {
        Fill();
        throw;
    }
    Fill();
}

void KnowledgeWindow::Fill() {
    // Rebuilding the list must not reload the text being edited.
    {
        const QSignalBlocker blocker(DialogueList);
        DialogueList->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(summaries_.size()));
        for (std::size_t i = 0; i < summaries_.size(); ++i) {
            const DialogueSummary& summary = summaries_[i];
            auto* item = new QTreeWidgetItem;
            item->setText(kNumberColumn, summary.number > 0 ? QString::number(summary.number)
                                                            : DecodeCp1251(summary.entry));
            item->setText(kOpenerColumn, summary.readable
                                             ? DecodeCp1251(summary.opener)
                                             : QString::fromUtf8("(файл не читается)"));
            item->setText(kReplyColumn, DecodeCp1251(summary.reply));
            item->setData(kNumberColumn, kEntryRole, QByteArray::fromStdString(summary.entry));
            item->setData(kNumberColumn, kSummaryRole, QVariant::fromValue(i));
            items.append(item);
        }
        // Lessons and updates go to the end of the path list, so the newest come last.
        if (NewestFirst->isChecked()) {
            std::reverse(items.begin(), items.end());
        }
        DialogueList->addTopLevelItems(items);
    }
    if (SummaryOf(shownEntry_) == nullptr) {
        shownEntry_.clear();
        DialogueText->clear();
    }
    ApplyFilter();
}

void KnowledgeWindow::ApplyFilter() {
    const std::string typed = EncodeCp1251(SearchField->text());
    const std::string folded = FoldPhrase(typed);
    // A search of punctuation alone («:)») is looked for as it is.
    const std::string wanted = folded.empty() ? typed : folded;
    const bool all = typed.find_first_not_of(' ') == std::string::npos;
    int shown = 0;
    {
        const QSignalBlocker blocker(DialogueList);
        for (int i = 0; i < DialogueList->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = DialogueList->topLevelItem(i);
            const auto index = item->data(kNumberColumn, kSummaryRole).value<std::size_t>();
            const bool match = all || Matches(summaries_[index], wanted);
            item->setHidden(!match);
            shown += match ? 1 : 0;
        }
        SelectEntry(shownEntry_);
    }
    Say(all ? QString::fromUtf8("Диалогов в базе: %1").arg(summaries_.size())
            : QString::fromUtf8("Найдено: %1 из %2").arg(shown).arg(summaries_.size()));
    UpdateButtons();
}

void KnowledgeWindow::SelectEntry(const std::string& entry) {
    for (int i = 0; i < DialogueList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = DialogueList->topLevelItem(i);
        if (!entry.empty() && !item->isHidden() && EntryOf(item) == entry) {
            DialogueList->setCurrentItem(item);
            DialogueList->scrollToItem(item);
            return;
        }
    }
    DialogueList->setCurrentItem(nullptr);
}

void KnowledgeWindow::ShowSelected() {
    const QTreeWidgetItem* item = DialogueList->currentItem();
    if (item == nullptr) {
        return;
    }
    const std::string entry = EntryOf(item);
    // Nothing is shown that could be saved over the wrong file, even if reading fails.
    shownEntry_.clear();
    DialogueText->clear();
    UpdateButtons();
    ShowText(entry);
}

void KnowledgeWindow::ShowText(const std::string& entry) {
    QStringList lines;
    for (const std::string& line : Value(session_.ReadText(entry))) {
        lines.append(DecodeCp1251(line));
    }
    DialogueText->setPlainText(lines.join('\n'));
    shownEntry_ = entry;
    UpdateButtons();
}

void KnowledgeWindow::UpdateButtons() {
    SaveButton->setEnabled(!shownEntry_.empty());
    ForgetButton->setEnabled(DialogueList->currentItem() != nullptr);
    UndoLessonButton->setEnabled(session_.NewestLesson().has_value());
}

std::string KnowledgeWindow::VisibleNeighbourOf(const std::string& entry) const {
    std::vector<std::string> visible;
    int at = -1;
    for (int i = 0; i < DialogueList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = DialogueList->topLevelItem(i);
        const std::string itemEntry = EntryOf(item);
        if (itemEntry == entry) {
            at = static_cast<int>(visible.size());
        } else if (!item->isHidden()) {
            visible.push_back(itemEntry);
        }
    }
    if (at < 0 || visible.empty()) {
        return {};
    }
    return visible[std::min(static_cast<std::size_t>(at), visible.size() - 1)];
}

const DialogueSummary* KnowledgeWindow::SummaryOf(const std::string& entry) const {
    const auto found = std::find_if(summaries_.begin(), summaries_.end(),
                                    [&](const DialogueSummary& s) { return s.entry == entry; });
    return found == summaries_.end() ? nullptr : &*found;
}

QString KnowledgeWindow::OpenerOf(const std::string& entry) const {
    const DialogueSummary* summary = SummaryOf(entry);
    return summary != nullptr && !summary->opener.empty() ? DecodeCp1251(summary->opener)
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
    ThrowIfFailed(session_.Save(entry, lines));
    Refresh();
    // The stored form, lower-cased triggers and all.
    ShowText(entry);
    Say(QString::fromUtf8("Сохранено: Тумбо отвечает так со следующей фразы."));
}

void KnowledgeWindow::ForgetButtonClick() {
    const QTreeWidgetItem* item = DialogueList->currentItem();
    if (item == nullptr) {
        return;
    }
    const std::string entry = EntryOf(item);
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
    const QTreeWidgetItem* current = DialogueList->currentItem();
    const bool wasCurrent = current != nullptr && EntryOf(current) == entry;
    const std::string neighbour = wasCurrent ? VisibleNeighbourOf(entry) : std::string();
    // The list and the count follow whatever part of the forgetting was done, and the
    // keyboard goes on from the dialogue that took the forgotten one's place.
    const auto afterChange = [this, neighbour] {
        guard_(countChanged_);
        guard_([this] { Refresh(); });
        if (shownEntry_.empty() && !neighbour.empty()) {
            SelectEntry(neighbour);
            DialogueList->setFocus();
        }
    };
    try {
        ThrowIfFailed(session_.Forget(entry));
    } catch (...) {
        afterChange();
        throw;
    }
    afterChange();
    Say(QString::fromUtf8("Забыт диалог «%1».").arg(opener));
}

void KnowledgeWindow::Say(const QString& text) {
    Status->setText(text);
}

}  // namespace tumbo
