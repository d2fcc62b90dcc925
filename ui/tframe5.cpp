#include "ui/tframe5.h"

#include <qdrawutil.h>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/panel_geometry.h"
#include "ui/panel_widgets.h"
#include "ui/resources_init.h"
#include "ui/titles.h"

namespace tumbo {

namespace {

// Room for the texts the program puts there later.
constexpr int kValueWidth = 144;

QLabel* MakeValueLabel(QWidget* parent, const QString& name, const QString& accessibleName, int x,
                       int y) {
    QLabel* label = MakeLabel(parent, name, accessibleName, {}, x, y);
    label->setFixedWidth(kValueWidth);
    label->resize(kValueWidth, label->fontMetrics().height());
    return label;
}

// A group box whose frame line runs through the title, leaving the top of the box free for
// the picture and the text placed there.
class ClassicGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true);
        const QRect titleRect(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
        painter.fillRect(titleRect, palette().window());
        style()->drawItemText(&painter, titleRect, Qt::AlignCenter | Qt::TextShowMnemonic,
                              palette(), isEnabled(), title(), QPalette::WindowText);
    }
};

}  // namespace

TFrame5::TFrame5(QWidget* parent) : QFrame(parent) {
    setObjectName("Frame51");
    setAccessibleName(QString::fromUtf8("О программе"));
    PlaceOverChatArea(this);
    InitResources();

    BitBtn2 =
        MakeButton(this, "BitBtn2", SpokenTitle(), QIcon(":/art/title-glyph.png"), PanelTitle(),
                   QRect(8, 8, 321, 41), QString::fromUtf8("Показать сообщение о программе"));
    BitBtn2->setFont(TitleFont());
    BitBtn2->setIconSize(QSize(40, 40));
    SetTextColor(BitBtn2, kMaroon);

    GroupBox1 = new ClassicGroupBox(AboutBoxTitle(), this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setAccessibleName(QString::fromUtf8("Сведения о программе"));
    GroupBox1->setGeometry(5, 54, 331, 227);

    Image1 = new ClickableLabel({}, GroupBox1, QAccessible::Button);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName(QString::fromUtf8("Лицо Тумбо"));
    Image1->setAccessibleDescription(QString::fromUtf8("Тумбо не любит, когда его тыкают"));
    Image1->setPixmap(QPixmap(":/art/face.png"));
    Image1->setGeometry(8, 16, 32, 32);
    Image1->setCursor(Qt::CrossCursor);

    Label2 = MakeWrappedLabel(
        GroupBox1, "Label2", {},
        QString::fromUtf8("© 2026 мастерская Тумбо. Свободная программа: её можно дарить, "
                          "копировать и переделывать."),
        64, 16, 255);

    createRegistration();

    Label3 = MakeLink(GroupBox1, "Label3", QString::fromUtf8("Сайт программы tumbo.example.org"),
                      "tumbo.example.org", 16, 176);
    Label4 =
        MakeLink(GroupBox1, "Label4", QString::fromUtf8("Написать письмо: ") + ContactAddress(),
                 "Mail to:" + ContactAddress(), 16, 200);

    BitBtn1 =
        MakeButton(this, "BitBtn1", QString::fromUtf8("Закрыть сведения о программе"),
                   style()->standardIcon(QStyle::SP_DialogOkButton), "Ok", QRect(264, 240, 57, 25));
}

// The framed values: to whom the program is registered, and how many dialogues it knows.
void TFrame5::createRegistration() {
    Panel1 = new QFrame(GroupBox1);
    Panel1->setObjectName("Panel1");
    Panel1->setAccessibleName(QString::fromUtf8("Регистрация"));
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setFrameShadow(QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(8, 72, 316, 97);

    // The English captions are read out in Russian; the two values by their own text.
    Label5 =
        MakeLabel(Panel1, "Label5", QString::fromUtf8("зарегистрировано на"), "registred to", 8, 8);
    Label6 = MakeValueLabel(Panel1, "Label6", {}, 8, 24);
    Label7 = MakeLabel(Panel1, "Label7", QString::fromUtf8("бесплатная лицензия"),
                       "freeware license", 8, 40);
    Label8 =
        MakeLabel(Panel1, "Label8", QString::fromUtf8("в базе данных"), "in data base", 168, 8);
    Label9 = MakeValueLabel(Panel1, "Label9", {}, 168, 24);
    Label10 = MakeLabel(Panel1, "Label10", QString::fromUtf8("диалогов"), "conversation", 168, 40);
}

QString TFrame5::ContactAddress() {
    return "hello@tumbo.example.org";
}

}  // namespace tumbo
