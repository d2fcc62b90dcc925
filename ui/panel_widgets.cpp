#include "ui/panel_widgets.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
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

}  // namespace tumbo
