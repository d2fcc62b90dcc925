#include "platform/qt/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "platform/errors.h"

namespace tumbo {

namespace {

// Far above any picture the program shows; a damaged header can claim up to 65500 x 65500
// pixels, which would allocate gigabytes before the missing data is noticed.
constexpr JDIMENSION kMaxSide = 8192;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->base.format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// libjpeg only warns about a truncated or damaged picture and fills the rest with grey;
// a warning is a failure here.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) {
        OnError(info);
    }
}

void AllocateImage(QImage* image, JDIMENSION width, JDIMENSION height) {
    *image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB888);
}

// Holds no object with a destructor, since a longjmp may leave it at any point.
bool DecodeInto(const unsigned char* data, unsigned long size, QImage* image,
                ErrorManager* errors) {
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&errors->base);
    errors->base.error_exit = OnError;
    errors->base.emit_message = OnMessage;
    if (setjmp(errors->jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    if (info.image_width > kMaxSide || info.image_height > kMaxSide) {
        std::snprintf(errors->message, sizeof errors->message,
                      "it is %u x %u pixels, more than %u x %u", info.image_width,
                      info.image_height, kMaxSide, kMaxSide);
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    AllocateImage(image, info.output_width, info.output_height);
    if (image->isNull()) {
        std::snprintf(errors->message, sizeof errors->message, "out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data, const std::string& what) {
    if (data.isEmpty()) {
        throw TumboError("The " + what + " is missing");
    }
    QImage image;
    ErrorManager errors{};
    if (!DecodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &image, &errors)) {
        throw TumboError("The " + what + " cannot be read: " + errors.message);
    }
    return image;
}

}  // namespace tumbo
