#pragma once

#include <QMargins>
#include <QRect>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/session.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace tumbo {

class DialogueListModel;

// «База диалогов»: what the program knows, to browse, search, edit and forget, beside the
// chat. Every change is read by the search from the next phrase on.
class KnowledgeWindow : public QWidget {
    Q_OBJECT

public:
    // Runs a handler so that no failure leaves it (the main window's error boxes).
    using Guard = std::function<void(const std::function<void()>&)>;

    // `countChanged` is called after a dialogue has been forgotten, whether or not all of it
    // succeeded, so that the main window shows the new count.
    KnowledgeWindow(Session& session, Guard guard, std::function<void()> countChanged);
    ~KnowledgeWindow() override;

    // Shows the window with the base as it is now, the first time beside `chat` (the main
    // window's frame) and clear of `phraseField` (both in screen coordinates; `frame` is
    // what the window manager adds around a window), later where the user left it; or
    // brings it to the front.
    void Open(const QRect& chat, const QRect& phraseField = {}, const QMargins& frame = {});
    // The same, with the search cleared and `entry` (a path-list entry) chosen to be edited.
    void OpenOn(const QRect& chat, const std::string& entry, const QRect& phraseField = {},
                const QMargins& frame = {});
    // Reads the path list again, keeping what was read of the dialogues still there, the
    // selection and any unsaved text of a dialogue still there.
    void Refresh();
    // Whether every listed dialogue has been read, so a search sees them all.
    bool Loaded() const;

    // Handlers.
    void SaveButtonClick();
    void ForgetButtonClick();
    void UndoLessonButtonClick();

    QLineEdit* SearchField = nullptr;
    QCheckBox* NewestFirst = nullptr;
    QTreeView* DialogueList = nullptr;
    QPlainTextEdit* DialogueText = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* ForgetButton = nullptr;
    QPushButton* UndoLessonButton = nullptr;
    QLabel* Status = nullptr;

    // The list's columns.
    enum Column { kNumberColumn, kOpenerColumn, kReplyColumn };
    // The longest line the editor lays out; a dialogue with a longer one is not shown.
    static constexpr std::size_t kLongestShownLine = 64 * 1024;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a change reads at once before the window shows it; a big base reads on in
    // slices between the chat's events.
    static constexpr int kFirstReadMs = 50;
    static constexpr int kSliceMs = 12;

    static QString Title();

    void createControls();
    void createListControls();
    void createEditControls();
    void createLayout();
    void connectHandlers();
    void createShortcuts();

    void PlaceBeside(const QRect& chat, const QRect& phraseField, const QMargins& frame);
    // Reads unread dialogues into the list for about `budgetMs`, then lets the chat run.
    void ReadSome(int budgetMs);
    void ReadRows(const std::vector<std::size_t>& at);
    // After the rows or the search changed: the selection, the editor and the status.
    void AfterListChanged();
    void ApplyFilter();
    void ShowSelected();
    void ShowText(const std::string& entry);
    // Shows why a dialogue is not shown, read-only; nothing can be saved over it.
    void ShowNotice(const QString& text);
    void ClearText();
    void UpdateButtons();
    void UpdateStatus();
    void SelectEntry(const std::string& entry);
    // Forgets a dialogue after the user said yes to `question`.
    void ForgetAfterAsking(const std::string& entry, const QString& question);
    // The dialogue the list shows after `entry` (or before it, when it is the last).
    std::string VisibleNeighbourOf(const std::string& entry) const;
    QString OpenerOf(const std::string& entry);
    void Say(const QString& text);

    Session& session_;
    int watch_ = 0;
    Guard guard_;
    std::function<void()> countChanged_;
    DialogueListModel* model_ = nullptr;
    QTimer* loader_ = nullptr;
    // No row before it is unread.
    std::size_t unreadFrom_ = 0;
    bool selecting_ = false;
    bool changing_ = false;
    // The dialogue of the list's current row, and the one whose text is shown (the same, or
    // empty when its text could not be shown); empty for none.
    std::string currentEntry_;
    std::string shownEntry_;
    // Where the user left the window: its frame's corner and its size.
    std::optional<QPoint> place_;
    QSize size_;
};

}  // namespace tumbo
