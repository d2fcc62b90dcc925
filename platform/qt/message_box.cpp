#include "platform/qt/message_box.h"

#include <QMessageBox>

#include <utility>

namespace tumbo {

namespace {

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
    box.exec();
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace tumbo
