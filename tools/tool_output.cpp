#include "tools/tool_output.h"

#include <QString>

#include "platform/qt/codepage.h"

namespace tumbo::tools {

std::string Utf8(std::string_view cp1251) {
    return DecodeCp1251(cp1251).toStdString();
}

void PrintFailure(std::ostream& err, std::string_view tool, const TumboError& error) {
    err << tool << ": " << Utf8(error.what()) << '\n';
    std::string_view details = error.details();
    while (!details.empty()) {
        const auto end = details.find('\n');
        err << "  " << details.substr(0, end) << '\n';
        details = end == std::string_view::npos ? std::string_view() : details.substr(end + 1);
    }
}

}  // namespace tumbo::tools
