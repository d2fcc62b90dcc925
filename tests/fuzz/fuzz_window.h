#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/engine_window.h"
#include "platform/clock.h"

namespace tumbo::fuzz {

// Holds what the engine puts into the window and nothing more; the chat is not kept,
// so a long run does not grow.
class FuzzWindow : public EngineWindow {
public:
    std::string input;
    TOptions controls;
    std::array<std::string, kTeachFieldCount> teachFields;
    bool teachPanelVisible = false;
    bool closeRequested = false;

    void AppendChatLine(const std::string&) override {}
    std::string InputText() const override { return input; }
    void SetInputText(const std::string& text) override { input = text; }
    void SetProgressPosition(int) override {}
    void Pause(int) override {}
    void RequestClose() override { closeRequested = true; }
    void ApplyOptions(const TOptions& options) override { controls = options; }
    TOptions SettingsFromControls() const override { return controls; }
    std::string TeachField(int number) const override { return teachFields.at(number - 1); }
    void SetTeachField(int number, const std::string& text) override {
        teachFields.at(number - 1) = text;
    }
    void ShowTeachPanel() override { teachPanelVisible = true; }
    void HideTeachPanel() override { teachPanelVisible = false; }
};

class FixedClock : public Clock {
public:
    explicit FixedClock(std::uint64_t counter) : counter_(counter) {}
    std::uint64_t Counter() override { return counter_; }
    void Sleep(int) override {}

private:
    std::uint64_t counter_;
};

}  // namespace tumbo::fuzz
