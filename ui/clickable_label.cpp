#include "ui/clickable_label.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace tumbo {

namespace {

// What assistive tools see of a clickable label: its role and a press action beside the
// focus action every focusable widget has.
class ClickableLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickableLabelAccessible(ClickableLabel* label)
        : QAccessibleWidget(label, label->accessibleRole()) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            static_cast<ClickableLabel*>(widget())->click();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface* MakeAccessible(const QString& className, QObject* object) {
    // Qt asks by the class's full name, namespace included.
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new ClickableLabelAccessible(static_cast<ClickableLabel*>(object));
    }
    return nullptr;
}

}  // namespace

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent, QAccessible::Role role)
    : QLabel(text, parent), role_(role) {
    static const bool factoryInstalled = (QAccessible::installFactory(&MakeAccessible), true);
    Q_UNUSED(factoryInstalled);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ClickableLabel::click() {
    emit clicked();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        click();
    }
}

void ClickableLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    emit entered();
}

void ClickableLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    emit left();
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            click();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

}  // namespace tumbo
