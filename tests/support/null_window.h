#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <string>

#include "engine/chat_lines.h"
#include "engine/engine.h"
#include "platform/clock.h"

namespace tumbo::test {

// The main window's part around an engine, without Qt: its handlers' steps, in their
// order, over fields and counters that stay the same size however long a run is. For
// engine tests, fuzz targets and benchmarks; FakeWindow records more.
class NullWindow {
public:
    static constexpr int kEach = 4;
    static constexpr int kTeachFieldCount = 2 * kEach;

    explicit NullWindow(Engine& engine) : engine_(&engine) {}
    virtual ~NullWindow() = default;

    std::string input;
    // Like the settings controls, `controls` takes what is applied until it is changed.
    TOptions controls;
    std::array<std::string, kTeachFieldCount> teachFields;
    bool teachPanelVisible = false;
    // What the teaching panel last said a lesson lacks.
    LessonGap missing = LessonGap::kNone;
    int teachPanelShown = 0;
    int closeRequests = 0;
    long progressCalls = 0;

    // The send button.
    void SendPhrase() {
        const Answer answer =
            engine_->Reply(input, [this](int walked) { SetProgressPosition(walked); });
        if (!answer.phrase.empty()) {
            input = answer.phrase;
        }
        for (const std::string& line : answer.lines) {
            AppendChatLine(line);
        }
        if (answer.failure) {
            std::rethrow_exception(answer.failure);
        }
        if (answer.teach) {
            teachFields = {};
            teachFields[0] = answer.phrase;
            engine_->StartLesson();
            AppendChatLine(chat_lines::kNoAnswer);
            ++teachPanelShown;
            teachPanelVisible = true;
        }
        if (answer.closeAfterPause) {
            Pause(Engine::kExitPauseMs);
            ++closeRequests;
        }
    }

    // The teaching panel's buttons: OK, leave, extend, next phrase.
    void ConfirmTeaching() {
        const Learnt learnt = engine_->ConfirmLesson(Fields());
        missing = learnt.gap;
        if (learnt.gap != LessonGap::kNone) {
            return;
        }
        AppendChatLine(chat_lines::kLearnt);
        teachPanelVisible = false;
        if (learnt.optionsNotSaved) {
            std::rethrow_exception(learnt.optionsNotSaved);
        }
        ApplyOptions(engine_->Options());
    }
    void LeaveTeaching() {
        AppendChatLine(chat_lines::kNotTaught);
        engine_->LeaveLesson();
        teachPanelVisible = false;
    }
    void ExtendTurn() {
        engine_->ExtendLesson(Fields());
        teachFields = {};
    }
    void NextTurn() {
        engine_->NextLessonTurn(Fields());
        teachFields = {};
    }

    // The settings panel's buttons, and the start.
    void LoadOptions() { ApplyOptions(engine_->LoadOptions()); }
    void SaveOptions() { ApplyOptions(engine_->SaveOptions(controls)); }

    // From here on the window shows another engine's answers.
    void Attach(Engine& engine) { engine_ = &engine; }

    void SetTeachField(int number, const std::string& text) { teachFields.at(number - 1) = text; }

protected:
    virtual void AppendChatLine(const std::string&) {}
    virtual void SetProgressPosition(int) { ++progressCalls; }
    virtual void Pause(int) {}
    virtual void ApplyOptions(const TOptions& options) { controls = options; }

private:
    LessonFields Fields() const {
        LessonFields fields;
        for (int i = 0; i < kEach; ++i) {
            fields.triggers.push_back(teachFields.at(i));
            fields.replies.push_back(teachFields.at(kEach + i));
        }
        return fields;
    }

    Engine* engine_;
};

// A counter that only moves when it is set, and sleeps that return at once.
class NullClock : public Clock {
public:
    std::uint64_t counter = 0;

    std::uint64_t Counter() override { return counter; }
    void Sleep(int) override {}
};

}  // namespace tumbo::test
