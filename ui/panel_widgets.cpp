#include "ui/panel_widgets.h"

#include <QCheckBox>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStringList>

#include "ui/clickable_label.h"
#include "ui/colors.h"

namespace tumbo {

namespace {

QFont BoldItalicFont(const QStringList& families, QFont::StyleHint hint, int pixelSize) {
    QFont font(families);
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

}  // namespace

QFont PhraseHeadingFont() {
    return BoldItalicFont({"Palatino Linotype", "P052", "URW Palladio L", "URW Palladio", "serif"},
                          QFont::Serif, 19);
}

QFont TitleFont() {
    return BoldItalicFont({"Monotype Corsiva", "Z003", "URW Chancery L", "cursive", "serif"},
                          QFont::Cursive, 27);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& accessibleName,
                  const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(accessibleName);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLabel* MakeWrappedLabel(QWidget* parent, const QString& name, const QString& accessibleName,
                         const QString& text, int x, int y, int width) {
    QLabel* label = MakeLabel(parent, name, accessibleName, text, x, y);
    label->setWordWrap(true);
    // A fixed width keeps the wrapping when the owner calls adjustSize() after new text.
    label->setFixedWidth(width);
    label->resize(width, label->heightForWidth(width));
    return label;
}

ClickableLabel* MakeLink(QWidget* parent, const QString& name, const QString& accessibleName,
                         const QString& text, int x, int y) {
    auto* label = new ClickableLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(accessibleName);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    SetTextColor(label, kNavy);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& accessibleName,
                        const QIcon& icon, const QString& text, const QRect& geometry,
                        const QString& description) {
    auto* button = new QPushButton(icon, text, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setAccessibleDescription(description);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* MakeField(QWidget* parent, const QString& name, const QString& accessibleName,
                     const QRect& geometry, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessibleName);
    edit->setGeometry(geometry);
    return edit;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& accessibleName,
                        const QString& text, int x, int y) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->move(x, y);
    box->adjustSize();
    return box;
}

QSlider* MakeTrackBar(QWidget* parent, const QString& name, const QString& accessibleName,
                      const QRect& geometry, int minimum, int maximum) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setAccessibleName(accessibleName);
    bar->setGeometry(geometry);
    bar->setRange(minimum, maximum);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    return bar;
}

}  // namespace tumbo
