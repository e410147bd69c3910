#include "platform/db/BufferedQuery.h"

#include "platform/db/Connection.h"
#include "platform/text/Text.h"

#include <cassert>

namespace platform::db {

BufferedQuery::BufferedQuery(std::string sql, std::vector<ColumnInfo> columns,
                             std::vector<Row> rows)
    : sql_(std::move(sql)), columns_(std::move(columns)), rows_(std::move(rows)) {
#ifndef NDEBUG
    for (const Row& row : rows_) {
        assert(row.size() == columns_.size() && "a row must have one cell per column");
    }
#endif
}

int BufferedQuery::columnCount() const {
    return static_cast<int>(columns_.size());
}

const ColumnInfo& BufferedQuery::info(int index) const {
    assert(index >= 0 && index < columnCount() && "column index out of range");
    return columns_[static_cast<std::size_t>(index)];
}

std::string BufferedQuery::columnName(int index) const {
    return info(index).name;
}

ColumnKind BufferedQuery::columnKind(int index) const {
    return info(index).kind;
}

int BufferedQuery::findColumn(std::string_view name) const {
    const std::string wanted = text::localeUpper(name);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (text::localeUpper(columns_[i].name) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int BufferedQuery::recordCount() const {
    return static_cast<int>(rows_.size());
}

void BufferedQuery::next() {
    if (current_ < rows_.size()) {
        ++current_;
    }
}

const Cell& BufferedQuery::cell(int index) const {
    assert(index >= 0 && index < columnCount() && "column index out of range");
    assert(!eof() && "no current row: the query is past its last row");
    return rows_[current_][static_cast<std::size_t>(index)];
}

bool BufferedQuery::isNull(int index) const {
    return cell(index).null;
}

std::string BufferedQuery::text(int index) const {
    const Cell& c = cell(index);
    return c.null ? std::string() : c.text;
}

std::int32_t BufferedQuery::integer(int index) const {
    const Cell& c = cell(index);
    if (c.null) {
        return 0;
    }
    // Fixed-length character values keep their padding; it does not make the value less of a
    // number.
    const std::string_view value(c.text);
    const auto end = value.find_last_not_of(' ');
    const auto parsed =
        text::parseInt32(end == std::string_view::npos ? value : value.substr(0, end + 1));
    if (!parsed) {
        throw DbError("the value \"" + c.text + "\" of the column " +
                      columns_[static_cast<std::size_t>(index)].name + " is not a 32-bit integer");
    }
    return *parsed;
}

} // namespace platform::db
