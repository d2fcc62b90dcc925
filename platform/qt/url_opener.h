#pragma once

#include <QUrl>

#include <functional>

namespace tumbo {

// Opens a web page or a mail address with the desktop's own program; whether that
// worked is not reported.
void OpenUrl(const QUrl& url);

using UrlOpener = std::function<void(const QUrl&)>;

// Routes every URL to `opener` instead (tests record them); an empty one restores the
// desktop. Returns the opener that was in place.
UrlOpener SetUrlOpener(UrlOpener opener);

}  // namespace tumbo
