// The code page crossing both ways: bytes survive a round trip unchanged, and any UTF-16
// text, broken surrogates included, becomes one byte per character.
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/qt/codepage.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// What each byte decodes to, and whether a UTF-16 unit is one of those.
struct Image {
    std::array<char16_t, 256> unitOf{};
    std::array<bool, 0x10000> held{};

    Image() {
        for (int byte = 0; byte < 256; ++byte) {
            const QString decoded = tumbo::DecodeCp1251(std::string(1, static_cast<char>(byte)));
            Require(decoded.size() == 1);
            unitOf[static_cast<std::size_t>(byte)] = decoded.at(0).unicode();
            held[decoded.at(0).unicode()] = true;
        }
    }
};

const Image& TheImage() {
    static const Image image;
    return image;
}

void BytesCrossBack(const std::string& bytes) {
    const QString text = tumbo::DecodeCp1251(bytes);
    Require(text.size() == static_cast<qsizetype>(bytes.size()));
    Require(tumbo::EncodeCp1251(text) == bytes);
}

void TextBecomesBytes(const std::uint8_t* data, std::size_t size) {
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.append(QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8))));
    }
    const std::string bytes = tumbo::EncodeCp1251(text);
    const Image& image = TheImage();
    std::size_t out = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++out) {
        Require(out < bytes.size());
        const char16_t unit = text.at(i).unicode();
        const auto byte = static_cast<unsigned char>(bytes[out]);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            Require(byte == '?');
            ++i;
        } else if (byte == '?') {
            Require(unit == u'?' || !image.held[unit]);
        } else {
            Require(image.unitOf[byte] == unit);
        }
    }
    Require(out == bytes.size());
    BytesCrossBack(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BytesCrossBack(std::string(reinterpret_cast<const char*>(data), size));
    TextBecomesBytes(data, size);
    return 0;
}
