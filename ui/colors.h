#pragma once

#include <QColor>

class QWidget;

namespace tumbo {

// The program's palette of named colours.
inline const QColor kGreen{0x00, 0x80, 0x00};
inline const QColor kMaroon{0x80, 0x00, 0x00};
inline const QColor kRed{0xFF, 0x00, 0x00};
inline const QColor kNavy{0x00, 0x00, 0x80};

// Sets the colour a widget draws its text in.
void SetTextColor(QWidget* widget, const QColor& color);

}  // namespace tumbo
