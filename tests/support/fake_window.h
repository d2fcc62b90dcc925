#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine_window.h"
#include "platform/clock.h"

namespace tumbo::test {

// Records what the engine asks of the window.
class FakeWindow : public EngineWindow {
public:
    std::vector<std::string> chat;
    std::string input;
    std::vector<int> progress;
    std::vector<int> pauses;
    int closeRequests = 0;
    std::vector<TOptions> applied;
    TOptions controls;
    std::array<std::string, kTeachFieldCount> teachFields;
    int teachPanelShown = 0;
    bool teachPanelVisible = false;

    void AppendChatLine(const std::string& line) override {
        // Nothing may be appended once the window has been asked to close.
        if (closeRequests == 0) {
            chat.push_back(line);
        } else {
            chat.push_back("<after close>" + line);
        }
    }
    std::string InputText() const override { return input; }
    void SetInputText(const std::string& text) override { input = text; }
    void SetProgressPosition(int position) override { progress.push_back(position); }
    void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
    void RequestClose() override { ++closeRequests; }
    // Like the settings controls, `controls` takes what is applied until a test changes it.
    void ApplyOptions(const TOptions& options) override {
        applied.push_back(options);
        controls = options;
    }
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

// A counter that only moves when a test moves it, and sleeps that only count.
class FakeClock : public Clock {
public:
    std::uint64_t counter = 0;
    std::vector<int> sleeps;

    std::uint64_t Counter() override { return counter; }
    void Sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
};

}  // namespace tumbo::test
