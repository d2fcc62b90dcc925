#include "platform/qt/url_opener.h"

#include <QDesktopServices>

#include <utility>

namespace tumbo {

namespace {

UrlOpener& Opener() {
    static UrlOpener opener;
    return opener;
}

}  // namespace

void OpenUrl(const QUrl& url) {
    if (Opener()) {
        Opener()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

UrlOpener SetUrlOpener(UrlOpener opener) {
    return std::exchange(Opener(), std::move(opener));
}

}  // namespace tumbo
