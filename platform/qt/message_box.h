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

// Shows a modal box with one OK button that answers both Enter and Esc.
void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

using MessageBoxHandler = std::function<void(QWidget* parent, const MessageBoxRequest&)>;

// Routes every box to `handler` instead (tests record them); an empty handler restores
// the real boxes. Returns the handler that was in place.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tumbo
