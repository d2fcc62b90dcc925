#include "ui/tframe3.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

#include "engine/options.h"
#include "ui/colors.h"
#include "ui/panel_geometry.h"
#include "ui/panel_widgets.h"

namespace tumbo {

TFrame3::TFrame3(QWidget* parent) : QFrame(parent) {
    setObjectName("Frame31");
    setAccessibleName(QString::fromUtf8("Настройки"));
    PlaceOverChatArea(this);

    Label1 = MakeLabel(this, "Label1", {}, QString::fromUtf8("Настройки"), 88, 16);
    QFont title = Label1->font();
    title.setPixelSize(24);
    title.setBold(true);
    title.setItalic(true);
    Label1->setFont(title);
    SetTextColor(Label1, kGreen);
    Label1->adjustSize();

    CheckBox1 = MakeCheckBox(this, "CheckBox1", QString::fromUtf8("Прозрачное окно"),
                             QString::fromUtf8("прозрачный скин (только в XP)"), 48, 128);

    Edit1 = MakeField(this, "Edit1", QString::fromUtf8("Ваше имя"), QRect(48, 64, 177, 21),
                      QString::fromUtf8("ввидите ваше имя"));
    Edit1->setAccessibleDescription(QString::fromUtf8("Под этим именем вы видны в беседе"));
    Edit1->setMaxLength(kMaxUserNameLength);

    TrackBar1 = MakeTrackBar(this, "TrackBar1", QString::fromUtf8("Непрозрачность окна"),
                             QRect(48, 152, 177, 33), kMinOpacity, kMaxOpacity);
    TrackBar1->setPageStep(10);

    BitBtn1 =
        MakeButton(this, "BitBtn1", QString::fromUtf8("Сохранить настройки"),
                   style()->standardIcon(QStyle::SP_DialogOkButton), "Ok", QRect(16, 248, 75, 25));
    BitBtn2 = MakeButton(this, "BitBtn2", QString::fromUtf8("Выход"),
                         style()->standardIcon(QStyle::SP_DialogCancelButton),
                         QString::fromUtf8("Выход"), QRect(208, 248, 75, 25),
                         QString::fromUtf8("Закрыть настройки, ничего не сохраняя"));

    // The name is what is changed most often: it comes first, then the rest as on the screen.
    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, TrackBar1);
    setTabOrder(TrackBar1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
}

}  // namespace tumbo
