#pragma once

#include <QLatin1String>
#include <QString>

#include "ui/version.h"

namespace tumbo {

// The program's name with its version, in each of the spellings the screen shows.

// The window's caption and its information box: "Tumbo v3.0".
inline QString WindowTitle() {
    return QStringLiteral("Tumbo v") + QLatin1String(kVersion);
}

// The application's title, the caption of its boxes: "TumbO v3.0".
inline QString ApplicationTitle() {
    return QStringLiteral("TumbO v") + QLatin1String(kVersion);
}

// The heading of the authors panel and the title button of the about panel: the
// application's title with a blank after it.
inline QString PanelTitle() {
    return ApplicationTitle() + QLatin1Char(' ');
}

// The about panel's group box: "tumbo v3.0".
inline QString AboutBoxTitle() {
    return QStringLiteral("tumbo v") + QLatin1String(kVersion);
}

// How assistive tools read the title: "Тумбо версии 3.0".
inline QString SpokenTitle() {
    return QString::fromUtf8("Тумбо версии ") + QLatin1String(kVersion);
}

}  // namespace tumbo
