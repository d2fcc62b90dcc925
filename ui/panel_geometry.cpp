#include "ui/panel_geometry.h"

#include <QWidget>

namespace tumbo {

void PlaceOverChatArea(QWidget* panel) {
    panel->setGeometry(0, 0, 340, 288);
    panel->setAutoFillBackground(true);
    panel->hide();
}

}  // namespace tumbo
