#include "engine/chat_lines.h"
#include "engine/engine.h"
#include "engine/phrase.h"

namespace tumbo {

namespace {

std::string WithoutTag(const std::string& line) {
    return line.empty() ? std::string() : line.substr(1);
}

}  // namespace

Answer Engine::Reply(std::string_view typed, const ReplySearch::Progress& progress) {
    Answer answer;
    if (typed.empty()) {
        answer.lines.push_back(chat_lines::kSpeaker + options_.UserName + chat_lines::kSilence);
        return answer;
    }
    answer.phrase = NormalizePhrase(typed);
    answer.lines.push_back(options_.UserName + ":" + answer.phrase);
    try {
        if (search_.Find(answer.phrase, conversation_, progress)) {
            TakeReply(answer);
        } else {
            answer.teach = true;
        }
    } catch (...) {
        answer.failure = std::current_exception();
    }
    if (!answer.failure) {
        answer.skipped = search_.TakeRefused();
    }
    return answer;
}

void Engine::TakeReply(Answer& answer) {
    // The line that ends the reply block is among the lines but never chosen, unless it
    // is the only one. Lines keep their tag until the reply is shown.
    std::vector<std::string> lines = search_.TakeReplyLines();
    const auto count = static_cast<std::uint32_t>(lines.size());
    std::uint32_t chosen = 0;
    if (count > 1) {
        random_.Seed(static_cast<std::uint32_t>(clock_.Counter()));
        chosen = random_.Next(count - 1);
    }
    const std::string& stored = lines[chosen];
    // The marker is looked for in what the base holds, so a name can never carry one in.
    // Help never closes the program, nor does anything said while help holds the chat.
    const ReplySearch::Match& match = search_.LastMatch();
    const bool exitMarker = HasExitMarker(WithoutTag(stored));
    answer.closeAfterPause = exitMarker && !match.urgent && match.held < 0;
    answer.lines.push_back(chat_lines::kSpeaker +
                           WithoutTag(exitMarker ? RenderReply(stored, options_.UserName)
                                                 : ExpandNameMarker(stored, options_.UserName)));
}

}  // namespace tumbo
