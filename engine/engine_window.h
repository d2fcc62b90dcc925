#pragma once

#include <string>

#include "engine/options.h"

namespace tumbo {

// What the engine needs of the main window. All text is code page 1251 bytes.
class EngineWindow {
public:
    // Teaching fields are numbered 1 to 4 for the user's phrasings, 5 to 8 for replies.
    static constexpr int kTeachFieldCount = 8;

    virtual ~EngineWindow() = default;

    virtual void AppendChatLine(const std::string& line) = 0;
    virtual std::string InputText() const = 0;
    virtual void SetInputText(const std::string& text) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Blocks for the given time; the window shows what it has been told so far first.
    virtual void Pause(int milliseconds) = 0;
    // Asks the window to close once the running handler has finished.
    virtual void RequestClose() = 0;

    // Pushes freshly loaded options into every control that shows them.
    virtual void ApplyOptions(const TOptions& options) = 0;
    // The name, transparency and opacity as the settings controls now hold them.
    virtual TOptions SettingsFromControls() const = 0;

    virtual std::string TeachField(int number) const = 0;
    virtual void SetTeachField(int number, const std::string& text) = 0;
    virtual void ShowTeachPanel() = 0;
    virtual void HideTeachPanel() = 0;
};

}  // namespace tumbo
