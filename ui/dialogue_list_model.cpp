#include "ui/dialogue_list_model.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "platform/qt/codepage.h"

namespace tumbo {

namespace {

// A text cut when the row was read ends in an ellipsis, so it is not taken for all of it.
QString Shown(std::string_view text) {
    QString shown = DecodeCp1251(std::string(text));
    if (text.size() >= DialogueRow::kRowLineLimit) {
        shown += QChar(0x2026);
    }
    return shown;
}

}  // namespace

DialogueListModel::DialogueListModel(QObject* parent) : QAbstractTableModel(parent) {}

int DialogueListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int DialogueListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant DialogueListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const DialogueRow& row = rows_[shown_[static_cast<std::size_t>(index.row())]];
    switch (index.column()) {
        case kNumberColumn:
            return row.number > 0 ? QString::number(row.number) : DecodeCp1251(row.entry);
        case kOpenerColumn:
            if (row.state == DialogueRow::State::kUnreadable) {
                return QString::fromUtf8("(файл не читается)");
            }
            return Shown(row.Opener());
        case kReplyColumn:
            return Shown(row.Reply());
        default:
            return {};
    }
}

QVariant DialogueListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kNumberColumn:
            return QString::fromUtf8("№");
        case kOpenerColumn:
            return QString::fromUtf8("Фраза");
        case kReplyColumn:
            return QString::fromUtf8("Ответ");
        default:
            return {};
    }
}

void DialogueListModel::SetRows(std::vector<DialogueRow> rows) {
    {
        std::unordered_map<std::string_view, std::size_t> old;
        old.reserve(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            old.emplace(rows_[i].entry, i);
        }
        read_ = 0;
        for (DialogueRow& row : rows) {
            const auto found = old.find(row.entry);
            if (found == old.end()) {
                continue;
            }
            DialogueRow& kept = rows_[found->second];
            // The key is the kept row's own text: out of the map before that row is moved.
            old.erase(found);
            if (kept.state != DialogueRow::State::kUnread) {
                row = std::move(kept);
                ++read_;
            }
        }
    }
    beginResetModel();
    rows_ = std::move(rows);
    shown_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (Shows(rows_[i])) {
            shown_.push_back(i);
        }
    }
    if (newestFirst_) {
        std::reverse(shown_.begin(), shown_.end());
    }
    endResetModel();
}

void DialogueListModel::Remove(std::size_t at) {
    const auto where = std::find(shown_.begin(), shown_.end(), at);
    const bool shown = where != shown_.end();
    const int row = static_cast<int>(where - shown_.begin());
    if (shown) {
        beginRemoveRows({}, row, row);
        shown_.erase(where);
    }
    for (std::size_t& index : shown_) {
        index -= index > at ? 1 : 0;
    }
    read_ -= rows_[at].state != DialogueRow::State::kUnread ? 1 : 0;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    if (shown) {
        endRemoveRows();
    }
}

void DialogueListModel::Clear() {
    beginResetModel();
    std::vector<DialogueRow>().swap(rows_);
    std::vector<std::size_t>().swap(shown_);
    read_ = 0;
    endResetModel();
}

void DialogueListModel::SetFilter(std::string wanted) {
    if (wanted != wanted_) {
        wanted_ = std::move(wanted);
        Rebuild();
    }
}

void DialogueListModel::SetNewestFirst(bool newestFirst) {
    if (newestFirst != newestFirst_) {
        newestFirst_ = newestFirst;
        beginResetModel();
        std::reverse(shown_.begin(), shown_.end());
        endResetModel();
    }
}

bool DialogueListModel::Shows(const DialogueRow& row) const {
    return wanted_.empty() || (row.state == DialogueRow::State::kRead &&
                               row.Folded().find(wanted_) != std::string_view::npos);
}

void DialogueListModel::Rebuild() {
    beginResetModel();
    shown_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::size_t at = newestFirst_ ? rows_.size() - 1 - i : i;
        if (Shows(rows_[at])) {
            shown_.push_back(at);
        }
    }
    endResetModel();
}

std::size_t DialogueListModel::NextUnread(std::size_t from) const {
    for (std::size_t i = from; i < rows_.size(); ++i) {
        if (rows_[i].state == DialogueRow::State::kUnread) {
            return i;
        }
    }
    return rows_.size();
}

void DialogueListModel::RowsRead(const std::vector<std::size_t>& at, std::size_t newlyRead) {
    read_ += newlyRead;
    if (at.empty()) {
        return;
    }
    if (!Filtering()) {
        // Every row is shown, in path-list order or its reverse.
        const auto [low, high] = std::minmax_element(at.begin(), at.end());
        const auto place = [this](std::size_t i) {
            return static_cast<int>(newestFirst_ ? rows_.size() - 1 - i : i);
        };
        const int first = std::min(place(*low), place(*high));
        const int last = std::max(place(*low), place(*high));
        emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
        return;
    }
    const auto before = [this](std::size_t a, std::size_t b) { return Before(a, b); };
    for (const std::size_t i : at) {
        const auto where = std::lower_bound(shown_.begin(), shown_.end(), i, before);
        const int row = static_cast<int>(where - shown_.begin());
        if (where != shown_.end() && *where == i) {
            // A row shown stays until the next search, whatever it says now.
            emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
        } else if (Shows(rows_[i])) {
            beginInsertRows({}, row, row);
            shown_.insert(where, i);
            endInsertRows();
        }
    }
}

int DialogueListModel::ShownRowOf(std::string_view entry) const {
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        if (rows_[shown_[i]].entry == entry) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::size_t DialogueListModel::IndexOf(std::string_view entry) const {
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [&](const DialogueRow& row) { return row.entry == entry; });
    return static_cast<std::size_t>(found - rows_.begin());
}

const DialogueRow* DialogueListModel::RowOf(std::string_view entry) const {
    const std::size_t at = IndexOf(entry);
    return at < rows_.size() ? &rows_[at] : nullptr;
}

const std::string& DialogueListModel::EntryAt(int shownRow) const {
    return rows_[shown_[static_cast<std::size_t>(shownRow)]].entry;
}

}  // namespace tumbo
