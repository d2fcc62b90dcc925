#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "engine/session.h"
#include "platform/errors.h"

namespace tumbo::tools {

// Base text, code page 1251, as UTF-8 for the terminal.
std::string Utf8(std::string_view cp1251);

// "tool: message" as the window's box shows it, then where it happened, one detail a line.
void PrintFailure(std::ostream& err, std::string_view tool, const TumboError& error);
void PrintFailure(std::ostream& err, std::string_view tool, const Failure& failure);

}  // namespace tumbo::tools
