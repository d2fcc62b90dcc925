#include "app/application_setup.h"

#include <QApplication>
#include <QIcon>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include "ui/resources_init.h"

namespace tumbo {

namespace {

// Fusion highlights a menu bar item only while its menu is open, so Alt and the arrow keys
// move through the bar without any sign of where they are. Here the item the keyboard is on
// is drawn as an open one, in the palette's highlight colours.
class TumboStyle : public QProxyStyle {
public:
    TumboStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuBarItem && (option->state & State_Selected) &&
            !(option->state & State_Sunken)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem selected = *item;
                selected.state |= State_Sunken;
                QProxyStyle::drawControl(element, &selected, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

}  // namespace

void SetUpApplication() {
    QApplication::setStyle(new TumboStyle);
    InitResources();
    QApplication::setWindowIcon(QIcon(":/art/tumbo.png"));
}

}  // namespace tumbo
