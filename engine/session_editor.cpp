#include <array>
#include <cstdio>
#include <map>

#include "engine/base_format.h"
#include "engine/phrase_fold.h"
#include "engine/session_impl.h"
#include "engine/utf8_text.h"
#include "platform/cp1251_literal.h"

namespace tumbo {

namespace {

// The code point of each code page 1251 byte, and back.
class Cp1251Table {
public:
    Cp1251Table() {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string utf8 = Utf8FromCp1251(std::string(1, static_cast<char>(byte)));
            std::size_t at = 0;
            const char32_t point = Decode(utf8, at);
            // The byte the code page leaves undefined comes back as "?".
            if (point != U'?' || byte == '?') {
                bytes_.emplace(point, static_cast<char>(byte));
            }
        }
    }

    std::optional<char> ByteOf(char32_t point) const {
        const auto found = bytes_.find(point);
        return found == bytes_.end() ? std::nullopt : std::optional(found->second);
    }

    // The code point at `at`, which moves past it; a broken sequence reads as U+FFFD.
    static char32_t Decode(std::string_view utf8, std::size_t& at) {
        const auto lead = static_cast<unsigned char>(utf8[at++]);
        const int more = lead < 0x80    ? 0
                         : lead >= 0xF0 ? 3
                         : lead >= 0xE0 ? 2
                         : lead >= 0xC0 ? 1
                                        : -1;
        if (more < 0) {
            return U'\uFFFD';
        }
        char32_t point = more == 0 ? lead : lead & (0x3F >> more);
        for (int i = 0; i < more; ++i) {
            if (at >= utf8.size() || (static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80) {
                return U'\uFFFD';
            }
            point = (point << 6) | (static_cast<unsigned char>(utf8[at++]) & 0x3F);
        }
        return point;
    }

private:
    std::map<char32_t, char> bytes_;
};

std::string CodePointName(char32_t point) {
    std::array<char, 16> hex{};
    std::snprintf(hex.data(), hex.size(), "%X", static_cast<unsigned>(point));
    return std::string("U+") + hex.data();
}

// The line as code page 1251; throws naming the first character it has no place for,
// which would otherwise be stored as "?".
std::string Cp1251Line(std::string_view utf8, std::size_t number) {
    static const Cp1251Table table;
    std::string bytes;
    std::size_t at = 0;
    for (std::size_t character = 1; at < utf8.size(); ++character) {
        const std::size_t start = at;
        const char32_t point = Cp1251Table::Decode(utf8, at);
        const std::optional<char> byte = table.ByteOf(point);
        if (!byte) {
            throw TumboError(
                Cp1251(u8"Строка ").str() + std::to_string(number) + Cp1251(u8", знак ").str() +
                    std::to_string(character) +
                    Cp1251(u8": такого знака нет в кодировке базы (1251), диалог не сохранён")
                        .str(),
                "Character: " + std::string(utf8.substr(start, at - start)) + " (" +
                    CodePointName(point) + ")");
        }
        bytes += *byte;
    }
    return bytes;
}

}  // namespace

Outcome<std::vector<DialogueSummary>> Session::List() {
    Outcome<std::vector<DialogueSummary>> listed;
    listed.failure = Impl::Try([&] { listed.value = impl_->editor.List(); });
    return listed;
}

Outcome<std::vector<DialogueRow>> Session::Rows() {
    Outcome<std::vector<DialogueRow>> rows;
    rows.failure = Impl::Try([&] {
        LineReader reader(impl_->fileCalls);
        std::vector<std::string> entries = base_format::ReadPathList(
            reader, impl_->engine.ProgramDir() + std::string(base_format::kPathList));
        rows.value.resize(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            DialogueRow& row = rows.value[i];
            if (base_format::IsUsualDialogueEntry(entries[i])) {
                row.number = base_format::DialogueNumber(entries[i]).value_or(0);
            }
            row.entry = std::move(entries[i]);
        }
    });
    return rows;
}

void Session::ReadRow(DialogueRow& row) {
    std::vector<std::string> lines;
    row.texts.clear();
    row.openerSize = 0;
    row.replySize = 0;
    if (Impl::Try([&] { lines = impl_->editor.ReadText(row.entry); })) {
        row.state = DialogueRow::State::kUnreadable;
        return;
    }
    std::string opener;
    std::string reply;
    std::string folded;
    DialogueLines places;
    for (const std::string& line : lines) {
        const DialogueLines::Kind kind = places.Next(line).kind;
        if (kind == DialogueLines::Kind::kOther) {
            continue;
        }
        const std::string_view text = std::string_view(line).substr(1, DialogueRow::kRowLineLimit);
        std::string& first = kind == DialogueLines::Kind::kTrigger ? opener : reply;
        if (first.empty()) {
            first = text;
        }
        folded += FoldPhrase(text);
        folded += '\n';
    }
    row.texts.reserve(opener.size() + reply.size() + folded.size());
    row.texts.append(opener).append(reply).append(folded);
    row.openerSize = static_cast<std::uint16_t>(opener.size());
    row.replySize = static_cast<std::uint16_t>(reply.size());
    row.state = DialogueRow::State::kRead;
}

Outcome<std::vector<std::string>> Session::ReadText(const std::string& entry) {
    Outcome<std::vector<std::string>> read;
    read.failure = Impl::Try([&] { read.value = impl_->editor.ReadText(entry); });
    return read;
}

std::optional<Failure> Session::Save(const std::string& entry,
                                     const std::vector<std::string>& utf8Lines) {
    auto failure = Impl::Try([&] {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
            lines.push_back(Cp1251Line(utf8Lines[i], i + 1));
        }
        impl_->editor.Save(entry, lines);
    });
    if (!failure) {
        impl_->Changed();
    }
    return failure;
}

std::optional<Failure> Session::Forget(const std::string& entry) {
    // Whatever part of it was done, the base has changed.
    auto failure = Impl::Try([&] { impl_->editor.Forget(entry); });
    impl_->Changed();
    return failure;
}

std::optional<std::string> Session::NewestLesson() const {
    return impl_->editor.NewestLesson();
}

}  // namespace tumbo
