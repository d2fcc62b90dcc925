#pragma once

#include <QByteArray>
#include <QImage>

namespace tumbo {

// Decodes a JPEG picture with libjpeg. A file libjpeg cannot read whole, including a
// truncated one it would only warn about, throws TumboError with libjpeg's reason.
QImage DecodeJpeg(const QByteArray& data);

}  // namespace tumbo
