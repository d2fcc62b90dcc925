#pragma once

#include <QRect>
#include <QString>

class QCheckBox;
class QFont;
class QIcon;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;

namespace tumbo {

class ClickableLabel;

// Builders shared by the overlay panels: each one names, places and styles a child widget.

// The heading font of the teaching panel, bold italic.
QFont PhraseHeadingFont();
// The program's title font, bold italic.
QFont TitleFont();

// Accessible names and descriptions are Russian like the screen. A label given no
// accessible name is read out by its own text, which may change later.

// A one-line label sized to its text.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& accessibleName,
                  const QString& text, int x, int y);
// A label that wraps its text within the given width and grows downwards.
QLabel* MakeWrappedLabel(QWidget* parent, const QString& name, const QString& accessibleName,
                         const QString& text, int x, int y, int width);
// A navy, underlined label with a hand cursor, a link to assistive tools.
ClickableLabel* MakeLink(QWidget* parent, const QString& name, const QString& accessibleName,
                         const QString& text, int x, int y);
// A button that Enter elsewhere in the window never presses.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& accessibleName,
                        const QIcon& icon, const QString& text, const QRect& geometry,
                        const QString& description = {});

// A one-line text field.
QLineEdit* MakeField(QWidget* parent, const QString& name, const QString& accessibleName,
                     const QRect& geometry, const QString& text = {});
// A check box sized to its caption.
QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& accessibleName,
                        const QString& text, int x, int y);
// A horizontal track bar from `minimum` to `maximum` with a tick at every step.
QSlider* MakeTrackBar(QWidget* parent, const QString& name, const QString& accessibleName,
                      const QRect& geometry, int minimum, int maximum);

}  // namespace tumbo
