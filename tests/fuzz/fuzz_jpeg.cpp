// The JPEG decoder on arbitrary data: a picture or a TumboError, nothing else.
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

#include "platform/errors.h"
#include "platform/qt/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const QImage image = tumbo::DecodeJpeg(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        if (image.isNull()) {
            __builtin_trap();
        }
    } catch (const tumbo::TumboError&) {
    }
    return 0;
}
