#include "engine/utf8_text.h"

#include <cerrno>
#include <stdexcept>

namespace tumbo {

namespace {

// Each code page 1251 byte is at most three bytes of UTF-8.
constexpr std::size_t kMostBytesPerCharacter = 3;

}  // namespace

Cp1251ToUtf8::Cp1251ToUtf8() : convert_(iconv_open("UTF-8", "CP1251")) {
    if (convert_ == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert CP1251 to UTF-8");
    }
}

Cp1251ToUtf8::~Cp1251ToUtf8() {
    iconv_close(convert_);
}

std::string Cp1251ToUtf8::operator()(std::string_view text) {
    std::string out(text.size() * kMostBytesPerCharacter, '\0');
    std::string in(text);
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    iconv(convert_, nullptr, nullptr, nullptr, nullptr);
    while (fromLeft > 0) {
        if (iconv(convert_, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno != EILSEQ && errno != EINVAL) {
            break;
        }
        // The one byte 1251 does not define (0x98).
        *to++ = '?';
        --toLeft;
        ++from;
        --fromLeft;
    }
    out.resize(out.size() - toLeft);
    return out;
}

}  // namespace tumbo
