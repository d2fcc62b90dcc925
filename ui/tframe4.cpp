#include "ui/tframe4.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/panel_geometry.h"
#include "ui/panel_widgets.h"
#include "ui/titles.h"

namespace tumbo {

TFrame4::TFrame4(QWidget* parent) : QFrame(parent) {
    setObjectName("Frame41");
    setAccessibleName(QString::fromUtf8("Об авторах"));
    PlaceOverChatArea(this);

    Label1 = MakeLabel(this, "Label1", {}, PanelTitle(), 96, 16);
    Label1->setFont(TitleFont());
    SetTextColor(Label1, kGreen);
    Label1->adjustSize();

    Label2 = MakeLabel(this, "Label2", {},
                       QString::fromUtf8("Сделано на кухне, за чаем и разговорами"), 8, 56);
    Label4 =
        MakeLabel(this, "Label4", {}, QString::fromUtf8("разработка: мастерская Тумбо"), 8, 80);
    Label3 =
        MakeLabel(this, "Label3", {}, QString::fromUtf8("тесты и рисунки: друзья Тумбо"), 8, 104);
    Label5 = MakeWrappedLabel(this, "Label5", {},
                              QString::fromUtf8("музыка: тишина, стук клавиш и свист чайника"), 8,
                              128, 160);
    Label6 = MakeLink(this, "Label6", QString::fromUtf8("Сайт программы tumbo.example.org"),
                      "tumbo.example.org", 176, 136);
    Label7 = MakeWrappedLabel(this, "Label7", {},
                              QString::fromUtf8("© 2026 мастерская Тумбо. Свободная программа."),
                              208, 200, 124);

    BitBtn1 =
        MakeButton(this, "BitBtn1", QString::fromUtf8("Закрыть сведения об авторах"),
                   style()->standardIcon(QStyle::SP_DialogOkButton), "Ok", QRect(136, 248, 75, 25));
}

QString TFrame4::WebPageUrl() {
    return "https://tumbo.example.org/";
}

}  // namespace tumbo
