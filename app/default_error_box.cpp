#include "app/default_error_box.h"

#include <exception>

#include "engine/session.h"
#include "platform/errors.h"
#include "platform/qt/codepage.h"
#include "platform/qt/message_box.h"
#include "ui/titles.h"

namespace tumbo {

std::string WithClosingPeriod(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

void ShowDefaultErrorBox(const std::string& message, const std::string& details) {
    tumbo::ShowMessageBox(nullptr,
                          {ApplicationTitle(), tumbo::DecodeCp1251(WithClosingPeriod(message)),
                           tumbo::BoxIcon::kStop, QString::fromStdString(details)});
}

void ShowFailure(const Failure& failure) {
    ShowDefaultErrorBox(failure.message, failure.details);
}

void RunGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const tumbo::TumboError& error) {
        ShowDefaultErrorBox(error.what(), error.details());
    } catch (const std::exception& error) {
        ShowDefaultErrorBox(error.what());
    } catch (...) {
        ShowDefaultErrorBox("Unknown error");
    }
}

}  // namespace tumbo
