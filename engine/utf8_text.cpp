#include "engine/utf8_text.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tumbo {

namespace {

// Each code page 1251 byte is at most three bytes of UTF-8.
constexpr std::size_t kMostBytesPerCharacter = 3;

// An iconv handle keeps state while it converts, so each thread has its own.
class Converter {
public:
    Converter() : handle_(iconv_open("UTF-8", "CP1251")) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv cannot convert CP1251 to UTF-8");
        }
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    iconv_t Handle() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

std::string Utf8FromCp1251(std::string_view text) {
    thread_local Converter converter;
    const iconv_t convert = converter.Handle();
    std::string out(text.size() * kMostBytesPerCharacter, '\0');
    std::string in(text);
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    iconv(convert, nullptr, nullptr, nullptr, nullptr);
    while (fromLeft > 0) {
        if (iconv(convert, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1)) {
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
