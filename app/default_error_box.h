#pragma once

#include <functional>
#include <string>

namespace tumbo {

struct Failure;

// An error message as the box shows it: "." is added when the last byte is above ".",
// so letters, digits, "?" and Cyrillic get one and ".", "!", ")" and "'" do not.
std::string WithClosingPeriod(const std::string& message);

// Shows a code page 1251 message in the application's modal stop box, with the details
// (UTF-8: file names and the system's words) behind its details button.
void ShowDefaultErrorBox(const std::string& message, const std::string& details = {});

// The default error box for a failure the session returned.
void ShowFailure(const Failure& failure);

// Runs a handler; whatever it throws ends in the default error box instead of leaving it.
void RunGuarded(const std::function<void()>& handler) noexcept;

}  // namespace tumbo
