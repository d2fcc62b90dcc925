#include "platform/qt/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <utility>

namespace tumbo {

namespace {

QPointer<QWidget>& Owner() {
    static QPointer<QWidget> owner;
    return owner;
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon ToQt(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::kWarning:
            return QMessageBox::Warning;
        case BoxIcon::kQuestion:
            return QMessageBox::Question;
        case BoxIcon::kStop:
            break;
    }
    return QMessageBox::Critical;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    if (parent == nullptr) {
        parent = Owner();
    }
    if (Handler()) {
        Handler()(parent, request);
        return;
    }
    QMessageBox box(ToQt(request.icon), request.caption, request.text, QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    if (!request.details.isEmpty()) {
        box.setDetailedText(request.details);
    }
    // A box with a parent is a dialog the window manager keeps over that window.
    box.setWindowIcon(parent != nullptr ? parent->windowIcon() : QApplication::windowIcon());
    if (parent != nullptr) {
        box.setWindowModality(Qt::WindowModal);
    }
    box.exec();
}

void SetBoxOwner(QWidget* owner) {
    Owner() = owner;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace tumbo
