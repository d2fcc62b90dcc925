#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/base_editor.h"
#include "engine/engine.h"
#include "engine/session.h"
#include "platform/base_lock.h"
#include "platform/clock.h"
#include "platform/errors.h"

namespace tumbo {

class Session::Impl {
public:
    Impl(Clock& clock, FileCalls& calls, std::unique_ptr<Clock> ownClock)
        : ownClock_(std::move(ownClock)),
          engine(clock, calls),
          editor(engine, calls),
          fileCalls(calls) {
        engine.OnLearnt([this] { Changed(); });
    }

    void Changed() {
        // An observer may unwatch itself, or another, while being told.
        const auto observers = observers_;
        for (const auto& [id, observer] : observers) {
            if (observers_.contains(id)) {
                observer();
            }
        }
    }
    int Watch(std::function<void()> observer) {
        observers_.emplace(++lastId_, std::move(observer));
        return lastId_;
    }
    void Unwatch(int id) { observers_.erase(id); }

    // Runs a step; its TumboError becomes the value returned.
    static std::optional<Failure> Try(const std::function<void()>& step) {
        try {
            step();
        } catch (const TumboError& error) {
            return Failure::Of(error);
        }
        return std::nullopt;
    }

    std::unique_ptr<Clock> ownClock_;
    Engine engine;
    BaseEditor editor;
    std::unique_ptr<BaseLock> lock;
    bool readOnly = false;
    FileCalls& fileCalls;
    AnsweredPhrase lastAnswer;

private:
    std::map<int, std::function<void()>> observers_;
    int lastId_ = 0;
};

}  // namespace tumbo
