#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/session.h"
#include "platform/errors.h"

namespace tumbo::test {

// A failure a session returned, thrown by the test window.
class FailedStep : public TumboError {
public:
    explicit FailedStep(const Failure& failure)
        : TumboError(failure.message, failure.details), code_(failure.code) {}
    int code() const { return code_; }

private:
    int code_;
};

// A front end of a session that keeps what a window would show: the chat log, the teaching
// panel's eight fields and what it says is missing, the settings controls. A failure the
// session returns is thrown, as the window's guard would show it.
class TestWindow {
public:
    static constexpr int kEach = 4;

    explicit TestWindow(Session& session) : session_(session) {}

    std::string input;
    // Like the settings controls, `controls` takes what is applied until it is changed.
    TOptions controls;
    std::array<std::string, 2 * kEach> teachFields;
    bool teachPanelVisible = false;
    LessonGap missing = LessonGap::kNone;
    int teachPanelShown = 0;
    int closeRequests = 0;
    // The last phrase sent was answered from the base.
    bool answered = false;
    std::vector<std::string> chat;
    std::vector<int> progress;
    std::vector<TOptions> applied;

    // The send button.
    void SendPhrase() {
        const Turn turn = session_.Say(input, [this](int walked) { progress.push_back(walked); });
        if (!turn.phrase.empty()) {
            input = turn.phrase;
        }
        answered = turn.answered;
        Show(turn);
    }
    // Sends a phrase and returns the chat log's last line.
    std::string Say(const std::string& phrase) {
        input = phrase;
        SendPhrase();
        return chat.back();
    }
    // The same, but "<teach>" when nothing answered, the lesson being left again.
    std::string SayOrLeave(const std::string& phrase) {
        const std::string said = Say(phrase);
        if (!teachPanelVisible) {
            return said;
        }
        LeaveTeaching();
        return "<teach>";
    }

    // The teaching panel's buttons: OK, leave, extend, next phrase.
    void ConfirmTeaching() {
        const Turn turn = session_.Confirm(Fields());
        missing = turn.missing;
        Show(turn);
        if (turn.state == SessionState::kChatting) {
            Apply(session_.Options());
        }
    }
    void LeaveTeaching() { Show(session_.Leave()); }
    void ExtendTurn() { Step(session_.Extend(Fields())); }
    void NextTurn() { Step(session_.NextPhrase(Fields())); }
    void SetTeachField(int number, const std::string& text) { teachFields.at(number - 1) = text; }

    // The settings panel's buttons, and the start.
    void LoadOptions() {
        const Outcome<bool> read = session_.ReloadOptions();
        ThrowIfFailed(read.failure);
        Apply(session_.Options());
    }
    void SaveOptions() {
        ThrowIfFailed(session_.SaveOptions(controls));
        Apply(session_.Options());
    }

private:
    static void ThrowIfFailed(const std::optional<Failure>& failure) {
        if (failure) {
            throw FailedStep(*failure);
        }
    }
    void Show(const Turn& turn) {
        for (const std::string& line : turn.lines) {
            // Nothing may be shown once the window has been asked to close.
            chat.push_back(closeRequests == 0 ? line : "<after close>" + line);
        }
        if (turn.state == SessionState::kTeaching && !teachPanelVisible) {
            teachFields = {};
            teachFields[0] = turn.phrase;
            ++teachPanelShown;
        }
        teachPanelVisible = turn.state == SessionState::kTeaching;
        closeRequests += turn.state == SessionState::kClosing ? 1 : 0;
        ThrowIfFailed(turn.failure);
    }
    void Step(const Turn& turn) {
        if (!turn.failure) {
            teachFields = {};
        }
        Show(turn);
    }
    void Apply(const TOptions& options) {
        controls = options;
        applied.push_back(options);
    }
    LessonFields Fields() const {
        LessonFields fields;
        fields.triggers.assign(teachFields.begin(), teachFields.begin() + kEach);
        fields.replies.assign(teachFields.begin() + kEach, teachFields.end());
        return fields;
    }

    Session& session_;
};

}  // namespace tumbo::test
