#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/lesson.h"
#include "platform/file_calls.h"
#include "platform/scratch_file.h"

namespace tumbo {

// A lesson while it is being taught: the variants collected for the current turn, and
// every finished turn, also written to the scratch dialogue as it is finished. A step that
// fails leaves the draft and the scratch dialogue as they were before it, so the step can
// simply be tried again.
class LessonDraft {
public:
    explicit LessonDraft(FileCalls& calls);

    // The scratch dialogue is the file at `path`.
    void Bind(const std::string& path);

    // Starts a lesson: nothing of an earlier one is kept, and the scratch dialogue is empty.
    void Start();
    // "расширить": the fields' texts join the current turn's variants.
    void Extend(const LessonFields& fields);
    // "Следующая фраза": the current turn, with the fields' texts, is finished.
    void NextTurn(const LessonFields& fields);
    // OK: the last turn is finished and the scratch dialogue closed; `learn` is given the
    // whole lesson. If it throws, the draft and the scratch dialogue are as they were.
    void Finish(const LessonFields& fields, const std::function<void(const Lesson&)>& learn);
    // What the lesson would still need if it were finished with these fields.
    LessonGap GapWith(const LessonFields& fields) const;
    // "Выход": the lesson is dropped, the scratch dialogue emptied and closed.
    void Leave();

    bool ScratchOpen() const { return scratch_.IsOpen(); }
    LessonPlace Place() const;

private:
    void CollectPhrases(const LessonFields& fields);
    void WritePhraseBlock();
    void Forget();
    void CloseScratch();
    void Undoable(const std::function<void()>& step);

    std::string scratchPath_;
    ScratchFile scratch_;
    std::vector<std::string> triggers_;
    std::vector<std::string> replies_;
    Lesson lesson_;
    // The "расширить" steps of the current turn.
    int extensions_ = 0;
};

}  // namespace tumbo
