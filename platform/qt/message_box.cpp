#include "platform/qt/message_box.h"

#include <QAbstractButton>
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

QuestionHandler& Questions() {
    static QuestionHandler handler;
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

bool AskMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    if (parent == nullptr) {
        parent = Owner();
    }
    if (Questions()) {
        return Questions()(parent, request);
    }
    QMessageBox box(ToQt(request.icon), request.caption, request.text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QString::fromUtf8("Да"));
    box.button(QMessageBox::No)->setText(QString::fromUtf8("Нет"));
    // What is asked about changes the base: a hurried Enter must not say yes.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowIcon(parent != nullptr ? parent->windowIcon() : QApplication::windowIcon());
    if (parent != nullptr) {
        box.setWindowModality(Qt::WindowModal);
    }
    return box.exec() == QMessageBox::Yes;
}

void SetBoxOwner(QWidget* owner) {
    Owner() = owner;
}

QWidget* BoxOwner() {
    return Owner();
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

QuestionHandler SetQuestionHandler(QuestionHandler handler) {
    return std::exchange(Questions(), std::move(handler));
}

}  // namespace tumbo
