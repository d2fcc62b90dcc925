#pragma once

#include <string>
#include <vector>

#include "support/null_window.h"

namespace tumbo::test {

// Records what the engine asks of the window, for tests to look at afterwards.
class FakeWindow : public NullWindow {
public:
    using NullWindow::NullWindow;

    std::vector<std::string> chat;

    // Sends a phrase and returns the chat log's last line.
    std::string Say(const std::string& phrase) {
        input = phrase;
        SendPhrase();
        return chat.back();
    }
    // The same, but "<teach>" when nothing answered, the teaching panel being left again.
    std::string SayOrLeave(const std::string& phrase) {
        const std::string said = Say(phrase);
        if (!teachPanelVisible) {
            return said;
        }
        LeaveTeaching();
        return "<teach>";
    }
    std::vector<int> progress;
    std::vector<int> pauses;
    std::vector<TOptions> applied;

protected:
    void AppendChatLine(const std::string& line) override {
        // Nothing may be appended once the window has been asked to close.
        if (closeRequests == 0) {
            chat.push_back(line);
        } else {
            chat.push_back("<after close>" + line);
        }
    }
    void SetProgressPosition(int position) override {
        NullWindow::SetProgressPosition(position);
        progress.push_back(position);
    }
    void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
    void ApplyOptions(const TOptions& options) override {
        NullWindow::ApplyOptions(options);
        applied.push_back(options);
    }
};

// A clock whose sleeps are recorded.
class FakeClock : public NullClock {
public:
    std::vector<int> sleeps;

    void Sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
};

}  // namespace tumbo::test
