#include "ui/tframe2.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

#include "ui/colors.h"
#include "ui/panel_geometry.h"
#include "ui/panel_widgets.h"
#include "ui/resources_init.h"

namespace tumbo {

namespace {

// Every field of the panel has the same size.
QLineEdit* MakeField(QWidget* parent, const QString& name, const QString& accessibleName, int x,
                     int y) {
    return tumbo::MakeField(parent, name, accessibleName, QRect(x, y, 121, 21));
}

QLabel* MakeHeading(QWidget* parent, const QString& name, const QString& accessibleName,
                    const QString& text, const QColor& color, int x, int y) {
    QLabel* label = MakeLabel(parent, name, accessibleName, text, x, y);
    label->setFont(PhraseHeadingFont());
    SetTextColor(label, color);
    label->adjustSize();
    return label;
}

// "1 фраза", "2 фразы", "5 фраз".
QString Counted(int count, const char* one, const char* few, const char* many) {
    const int lastTwo = count % 100;
    const int last = count % 10;
    const char* word = many;
    if (last == 1 && lastTwo != 11) {
        word = one;
    } else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
        word = few;
    }
    return QString::number(count) + ' ' + QString::fromUtf8(word);
}

}  // namespace

TFrame2::TFrame2(QWidget* parent) : QFrame(parent) {
    setObjectName("Frame21");
    setAccessibleName(QString::fromUtf8("Обучение"));
    PlaceOverChatArea(this);
    InitResources();
    createFields();
    createButtons();
    createKeys();
}

void TFrame2::createFields() {
    const QString orText = QString::fromUtf8("или");
    const QString phrase = QString::fromUtf8("Ваша фраза, вариант %1");
    const QString answer = QString::fromUtf8("Ответ Тумбо, вариант %1");
    Label1 = MakeHeading(this, "Label1", {}, QString::fromUtf8("Ваша фраза"), kRed, 104, 16);
    Edit1 = MakeField(this, "Edit1", phrase.arg(1), 8, 48);
    Edit2 = MakeField(this, "Edit2", phrase.arg(2), 184, 48);
    Label2 = MakeLabel(this, "Label2", {}, orText, 144, 64);
    Edit3 = MakeField(this, "Edit3", phrase.arg(3), 8, 72);
    Edit4 = MakeField(this, "Edit4", phrase.arg(4), 184, 72);
    Label3 = MakeHeading(this, "Label3", QString::fromUtf8("Ответная фраза Тумбо"),
                         QString::fromUtf8("Ответная фраза Tumbo"), kGreen, 48, 112);
    Edit5 = MakeField(this, "Edit5", answer.arg(1), 8, 144);
    Edit6 = MakeField(this, "Edit6", answer.arg(2), 184, 144);
    Label4 = MakeLabel(this, "Label4", {}, orText, 144, 160);
    Edit7 = MakeField(this, "Edit7", answer.arg(3), 8, 168);
    Edit8 = MakeField(this, "Edit8", answer.arg(4), 184, 168);
    fields_ = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8};
}

void TFrame2::createButtons() {
    BitBtn3 = MakeButton(this, "BitBtn3", QString::fromUtf8("Расширить"), QIcon(":/art/extend.png"),
                         QString::fromUtf8("расширить"), QRect(8, 224, 145, 25),
                         QString::fromUtf8("Запомнить эти варианты и добавить ещё варианты той "
                                           "же реплики"));
    BitBtn4 =
        MakeButton(this, "BitBtn4", QString::fromUtf8("Следующая фраза"), QIcon(":/art/next.png"),
                   QString::fromUtf8("Следующая фраза"), QRect(168, 224, 153, 25),
                   QString::fromUtf8("Запомнить эту реплику и перейти к следующей"));
    BitBtn1 =
        MakeButton(this, "BitBtn1", QString::fromUtf8("Запомнить диалог"),
                   style()->standardIcon(QStyle::SP_DialogOkButton), "OK", QRect(16, 256, 75, 25),
                   QString::fromUtf8("Сохранить всё, чему вы научили Тумбо"));
    BitBtn2 = MakeButton(this, "BitBtn2", QString::fromUtf8("Выход"), QIcon(":/art/cross.png"),
                         QString::fromUtf8("&Выход"), QRect(224, 256, 81, 25),
                         QString::fromUtf8("Закрыть обучение, ничего не сохраняя"));
}

void TFrame2::createKeys() {
    // As on the screen: rows top to bottom, each left to right.
    const std::array<QWidget*, 12> tabChain = {Edit1, Edit2, Edit3,   Edit4,   Edit5,   Edit6,
                                               Edit7, Edit8, BitBtn3, BitBtn4, BitBtn1, BitBtn2};
    for (std::size_t i = 1; i < tabChain.size(); ++i) {
        QWidget::setTabOrder(tabChain[i - 1], tabChain[i]);
    }
    Label5 = MakeLabel(this, "Label5", {},
                       QString::fromUtf8("Enter — следующее поле, Ctrl+Enter — запомнить, "
                                         "Esc — выход"),
                       8, 192);
    QFont small = Label5->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Label5->setFont(small);
    Label5->adjustSize();
    Label6 = MakeLabel(this, "Label6", {}, {}, 8, 206);
    SetTextColor(Label6, kRed);
    Label7 = MakeLabel(this, "Label7", {}, {}, 8, 1);
    Label7->setFont(small);
    SayPlace(1, 1, 0, 0);

    // Enter walks through the fields like Tab and stops at the last one: someone still
    // typing chat phrases must never reach OK, where a blank would press it.
    for (std::size_t i = 0; i + 1 < fields_.size(); ++i) {
        QWidget* next = fields_[i + 1];
        connect(fields_[i], &QLineEdit::returnPressed, next,
                [next] { next->setFocus(Qt::TabFocusReason); });
    }
    for (QLineEdit* field : fields_) {
        connect(field, &QLineEdit::textEdited, this, [this] { SayMissing({}); });
    }
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* confirm = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        confirm->setContext(Qt::WidgetWithChildrenShortcut);
        connect(confirm, &QShortcut::activated, BitBtn1, &QPushButton::click);
    }
}

void TFrame2::SayMissing(const QString& text) {
    Label6->setText(text);
    Label6->adjustSize();
}

void TFrame2::SayPlace(int turn, int variant, int phrases, int answers) {
    const QString text = QString::fromUtf8("Фраза %1 · вариант %2 · запомнено: %3, %4")
                             .arg(turn)
                             .arg(variant)
                             .arg(Counted(phrases, "фраза", "фразы", "фраз"),
                                  Counted(answers, "ответ", "ответа", "ответов"));
    Label7->setText(text);
    Label7->adjustSize();
    // A reader announces the label's text; entering the panel it hears the same.
    Label7->setAccessibleName(text);
    setAccessibleDescription(text);
}

QLineEdit* TFrame2::Field(int number) const {
    if (number < 1 || number > static_cast<int>(fields_.size())) {
        return nullptr;
    }
    return fields_[static_cast<std::size_t>(number - 1)];
}

}  // namespace tumbo
