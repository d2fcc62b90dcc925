#include "ui/tframe6.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>

#include "platform/qt/jpeg_image.h"
#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/resources_init.h"

namespace tumbo {

namespace {

ClickableLabel* MakeCaption(const QString& name, const QString& text, const QString& accessible,
                            int x, int y, QWidget* parent) {
    auto* label = new ClickableLabel(text, parent, QAccessible::Button);
    label->setObjectName(name);
    label->setAccessibleName(accessible);
    QFont font = label->font();
    font.setPixelSize(19);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    SetTextColor(label, kMaroon);
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace

TFrame6::TFrame6(QWidget* parent) : QFrame(parent) {
    setObjectName("Frame61");
    setAccessibleName(QString::fromUtf8("Заставка"));
    setGeometry(0, 0, 536, 340);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName(QString::fromUtf8("Картинка заставки"));
    Image1->setGeometry(0, 0, 536, 340);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setAccessibleName(QString::fromUtf8("Ход загрузки"));
    Gauge1->setGeometry(0, 320, 536, 20);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setFormat("%p%");
    Gauge1->setStyleSheet(
        "QProgressBar { background: black; color: white; border: none; }"
        "QProgressBar::chunk { background: #800000; }");
    Gauge1->hide();

    Label1 = MakeCaption("Label1", QString::fromUtf8("начать загрузку"),
                         QString::fromUtf8("Начать загрузку"), 8, 288, this);
    Label2 = MakeCaption("Label2", QString::fromUtf8("Выход"),
                         QString::fromUtf8("Выход из программы"), 432, 288, this);

    // Between the two captions. Its text is its accessible name, so a reader announces every
    // change.
    Label3 = new QLabel(this);
    Label3->setObjectName("Label3");
    Label3->setGeometry(144, 292, 248, 20);
    Label3->setAlignment(Qt::AlignCenter);
    QFont font = Label3->font();
    font.setPixelSize(13);
    Label3->setFont(font);
    Label3->setAttribute(Qt::WA_TranslucentBackground);
    SetTextColor(Label3, kMaroon);
    Label3->hide();
}

void TFrame6::SayPreparing(int done, int total) {
    Label3->setText(QString::fromUtf8("Готовлю базу диалогов…"));
    Label3->show();
    Label1->setEnabled(false);
    SetTextColor(Label1, Qt::gray);
    Gauge1->show();
    Gauge1->setValue(total > 0 ? static_cast<int>(100LL * done / total) : 0);
}

void TFrame6::SayReady() {
    Label3->setText(QString::fromUtf8("База диалогов готова"));
    Label1->setEnabled(true);
    SetTextColor(Label1, kMaroon);
    Label1->setFocus();
}

void TFrame6::LoadPicture() {
    InitResources();
    QFile file(":/art/splash.jpg");
    LoadPicture(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

void TFrame6::LoadPicture(const QByteArray& jpeg) {
    Image1->setPixmap(QPixmap::fromImage(DecodeJpeg(jpeg, "splash picture")));
}

}  // namespace tumbo
