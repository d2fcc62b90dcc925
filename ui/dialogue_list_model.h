#pragma once

#include <QAbstractTableModel>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/session.h"

namespace tumbo {

// The base window's list: every dialogue of the path list as a small row, read file by
// file after the list is shown, and the rows a search finds in the order asked for.
class DialogueListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kNumberColumn, kOpenerColumn, kReplyColumn, kColumnCount };

    explicit DialogueListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Takes the path list's rows, keeping what was read of the dialogues still in it.
    void SetRows(std::vector<DialogueRow> rows);
    // Drops one row, the others keeping their places.
    void Remove(std::size_t at);
    // Drops every row and gives their memory back.
    void Clear();
    // Shows only the read rows whose folded texts hold `wanted`; all rows when it is empty.
    void SetFilter(std::string wanted);
    void SetNewestFirst(bool newestFirst);

    std::size_t Count() const { return rows_.size(); }
    std::size_t ReadCount() const { return read_; }
    bool Filtering() const { return !wanted_.empty(); }

    // The first unread row at or after `from`, Count() for none.
    std::size_t NextUnread(std::size_t from) const;
    DialogueRow& Row(std::size_t at) { return rows_[at]; }
    // Shows the rows at `at` as read again, `newlyRead` of them for the first time.
    void RowsRead(const std::vector<std::size_t>& at, std::size_t newlyRead);

    // Where a dialogue is among the rows shown, -1 when it is not shown.
    int ShownRowOf(std::string_view entry) const;
    // The row of a dialogue, null when the path list does not name it.
    const DialogueRow* RowOf(std::string_view entry) const;
    std::size_t IndexOf(std::string_view entry) const;
    const std::string& EntryAt(int shownRow) const;
    // The index into the rows of a row shown.
    std::size_t IndexAt(int shownRow) const { return shown_[static_cast<std::size_t>(shownRow)]; }

private:
    bool Shows(const DialogueRow& row) const;
    // Whether row `a` is shown before row `b`.
    bool Before(std::size_t a, std::size_t b) const { return newestFirst_ ? a > b : a < b; }
    void Rebuild();

    std::vector<DialogueRow> rows_;
    // The rows shown, as indices into rows_, in the order shown.
    std::vector<std::size_t> shown_;
    std::size_t read_ = 0;
    std::string wanted_;
    bool newestFirst_ = false;
};

}  // namespace tumbo
