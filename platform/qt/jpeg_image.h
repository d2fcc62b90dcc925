#pragma once

#include <QByteArray>
#include <QImage>

#include <string>

namespace tumbo {

// Decodes a JPEG picture with libjpeg. A file libjpeg cannot read whole, including a
// truncated one it would only warn about, throws TumboError with libjpeg's reason. The
// message names `what` failed: "the picture" unless the caller says which one.
QImage DecodeJpeg(const QByteArray& data, const std::string& what = "picture");

}  // namespace tumbo
