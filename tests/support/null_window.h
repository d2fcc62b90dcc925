#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/engine_window.h"
#include "platform/clock.h"

namespace tumbo::test {

// A window that holds only what the engine reads back and counts the rest, so that it
// stays the same size however long a run is: for fuzz targets and benchmarks.
class NullWindow : public EngineWindow {
public:
    std::string input;
    TOptions controls;
    std::array<std::string, kTeachFieldCount> teachFields;
    bool teachPanelVisible = false;
    int teachPanelShown = 0;
    int closeRequests = 0;
    long progressCalls = 0;

    void AppendChatLine(const std::string&) override {}
    std::string InputText() const override { return input; }
    void SetInputText(const std::string& text) override { input = text; }
    void SetProgressPosition(int) override { ++progressCalls; }
    void Pause(int) override {}
    void RequestClose() override { ++closeRequests; }
    // Like the settings controls, `controls` takes what is applied until it is changed.
    void ApplyOptions(const TOptions& options) override { controls = options; }
    TOptions SettingsFromControls() const override { return controls; }
    std::string TeachField(int number) const override { return teachFields.at(number - 1); }
    void SetTeachField(int number, const std::string& text) override {
        teachFields.at(number - 1) = text;
    }
    void ShowTeachPanel() override {
        ++teachPanelShown;
        teachPanelVisible = true;
    }
    void HideTeachPanel() override { teachPanelVisible = false; }
};

// A counter that only moves when it is set, and sleeps that return at once.
class NullClock : public Clock {
public:
    std::uint64_t counter = 0;

    std::uint64_t Counter() override { return counter; }
    void Sleep(int) override {}
};

}  // namespace tumbo::test
