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
    setAccessibleName(tr("About the program"));
    PlaceOverChatArea(this);

    BitBtn2 = MakeButton(this, "BitBtn2", tr("Program title"), QIcon(":/art/title-glyph.png"),
                         "TumbO v3.0 ", QRect(8, 8, 321, 41));
    BitBtn2->setFont(TitleFont());
    BitBtn2->setIconSize(QSize(40, 40));
    SetTextColor(BitBtn2, kMaroon);

    GroupBox1 = new ClassicGroupBox("tumbo v3.0", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setAccessibleName(tr("Program information"));
    GroupBox1->setGeometry(5, 54, 331, 227);

    Image1 = new ClickableLabel({}, GroupBox1);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName(tr("Tumbo's face"));
    Image1->setPixmap(QPixmap(":/art/face.png"));
    Image1->setGeometry(8, 16, 32, 32);
    Image1->setCursor(Qt::CrossCursor);

    Label2 = MakeWrappedLabel(
        GroupBox1, "Label2", tr("Copyright"),
        QString::fromUtf8("© 2026 мастерская Тумбо. Свободная программа: её можно дарить, "
                          "копировать и переделывать."),
        64, 16, 255);

    Panel1 = new QFrame(GroupBox1);
    Panel1->setObjectName("Panel1");
    Panel1->setAccessibleName(tr("Registration"));
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setFrameShadow(QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(8, 72, 316, 97);

    Label5 = MakeLabel(Panel1, "Label5", tr("Registered to"), "registred to", 8, 8);
    Label6 = MakeValueLabel(Panel1, "Label6", tr("Registered owner"), 8, 24);
    Label7 = MakeLabel(Panel1, "Label7", tr("Freeware license"), "freeware license", 8, 40);
    Label8 = MakeLabel(Panel1, "Label8", tr("In the database"), "in data base", 168, 8);
    Label9 = MakeValueLabel(Panel1, "Label9", tr("Conversations in the database"), 168, 24);
    Label10 = MakeLabel(Panel1, "Label10", tr("Conversations"), "conversation", 168, 40);

    Label3 = MakeLink(GroupBox1, "Label3", tr("Web page"), "tumbo.example.org", 16, 176);
    Label4 = MakeLink(GroupBox1, "Label4", tr("Mail to Tumbo's workshop"),
                      "Mail to:" + ContactAddress(), 16, 200);

    BitBtn1 =
        MakeButton(this, "BitBtn1", tr("OK"), style()->standardIcon(QStyle::SP_DialogOkButton),
                   "Ok", QRect(264, 240, 57, 25));
}

QString TFrame5::ContactAddress() {
    return "hello@tumbo.example.org";
}
