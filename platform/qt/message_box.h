#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tumbo {

enum class BoxIcon { kStop, kWarning, kQuestion };

struct MessageBoxRequest {
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::kStop;
    // Where a failure happened, behind the box's details button; empty for none.
    QString details;
};

// Shows a box with one OK button that answers both Enter and Esc, modal to `parent`, or to
// the box owner when `parent` is null, and carrying its owner's icon.
void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

// Asks a question with «Да» and «Нет», modal like ShowMessageBox; true for «Да». «Нет» is
// the default, and Esc or closing the box answers it too.
bool AskMessageBox(QWidget* parent, const MessageBoxRequest& request);

// Names the window that boxes without a parent of their own belong to (the main window);
// null leaves them without one.
void SetBoxOwner(QWidget* owner);
QWidget* BoxOwner();

using MessageBoxHandler = std::function<void(QWidget* parent, const MessageBoxRequest&)>;

// Routes every box to `handler` instead (tests record them); an empty handler restores
// the real boxes. Returns the handler that was in place.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

using QuestionHandler = std::function<bool(QWidget* parent, const MessageBoxRequest&)>;

// The same for questions: tests answer them.
QuestionHandler SetQuestionHandler(QuestionHandler handler);

}  // namespace tumbo
