#pragma once

#include <QAccessible>
#include <QLabel>

namespace tumbo {

// A label that acts on a click, or on Enter or Space when it has the keyboard focus, and
// tells when the pointer enters and leaves it. Assistive tools see it as a link or a button
// whose press action does what a click does.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr,
                            QAccessible::Role role = QAccessible::Link);

    QAccessible::Role accessibleRole() const { return role_; }

public slots:
    // Acts as a click does.
    void click();

signals:
    void clicked();
    void entered();
    void left();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QAccessible::Role role_;
};

}  // namespace tumbo
