#pragma once

#include <QWidget>

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
class QTreeWidget;
class QTreeWidgetItem;

namespace tumbo {

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
    // window's frame), or brings it to the front.
    void Open(const QRect& chat);
    // The same, with the search cleared and `entry` (a path-list entry) chosen to be edited.
    void OpenOn(const QRect& chat, const std::string& entry);
    // Reads the list again, keeping the selection and any unsaved text of a dialogue still
    // there.
    void Refresh();

    // Handlers.
    void SaveButtonClick();
    void ForgetButtonClick();
    void UndoLessonButtonClick();

    QLineEdit* SearchField = nullptr;
    QCheckBox* NewestFirst = nullptr;
    QTreeWidget* DialogueList = nullptr;
    QPlainTextEdit* DialogueText = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* ForgetButton = nullptr;
    QPushButton* UndoLessonButton = nullptr;
    QLabel* Status = nullptr;

    // The list's columns.
    enum Column { kNumberColumn, kOpenerColumn, kReplyColumn };

private:
    static QString Title();

    void createControls();
    void createListControls();
    void createEditControls();
    void createLayout();
    void connectHandlers();
    void createShortcuts();

    void PlaceBeside(const QRect& chat);
    void Fill();
    void ApplyFilter();
    void ShowSelected();
    void ShowText(const std::string& entry);
    void UpdateButtons();
    void SelectEntry(const std::string& entry);
    // Forgets a dialogue after the user said yes to `question`.
    void ForgetAfterAsking(const std::string& entry, const QString& question);
    // The dialogue the list shows after `entry` (or before it, when it is the last).
    std::string VisibleNeighbourOf(const std::string& entry) const;
    const DialogueSummary* SummaryOf(const std::string& entry) const;
    QString OpenerOf(const std::string& entry) const;
    void Say(const QString& text);

    Session& session_;
    int watch_ = 0;
    Guard guard_;
    std::function<void()> countChanged_;
    std::vector<DialogueSummary> summaries_;
    // The dialogue whose text is shown, empty for none.
    std::string shownEntry_;
    bool placed_ = false;
};

}  // namespace tumbo
