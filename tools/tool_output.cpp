#include "tools/tool_output.h"

#include <QString>

#include "platform/qt/codepage.h"

namespace tumbo::tools {

std::string Utf8(std::string_view cp1251) {
    return DecodeCp1251(cp1251).toStdString();
}

void PrintFailure(std::ostream& err, std::string_view tool, const TumboError& error) {
    PrintFailure(err, tool, Failure::Of(error));
}

void PrintFailure(std::ostream& err, std::string_view tool, const Failure& failure) {
    err << failure.Printed(tool);
}

}  // namespace tumbo::tools
