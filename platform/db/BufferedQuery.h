#pragma once

// The rows of a query, read in full when the query opened. Shared by the backends: each one
// renders its values as text while it reads them (Values.h) and hands the rows over. Every row
// has one cell per column.

#include "platform/db/Query.h"

#include <string>
#include <vector>

namespace platform::db {

struct ColumnInfo {
    std::string name;
    ColumnKind kind = ColumnKind::Other;
};

struct Cell {
    bool null = true;
    std::string text; // UTF-8 for character kinds, the raw bytes of a binary BLOB
};

using Row = std::vector<Cell>;

class BufferedQuery final : public Query {
public:
    // Every row must have as many cells as there are columns (checked by assert).
    BufferedQuery(std::string sql, std::vector<ColumnInfo> columns, std::vector<Row> rows);

    const std::string& sql() const override { return sql_; }
    int columnCount() const override;
    std::string columnName(int index) const override;
    ColumnKind columnKind(int index) const override;
    int findColumn(std::string_view name) const override;

    int recordCount() const override;
    int recNo() const override { return static_cast<int>(current_) + 1; }
    bool eof() const override { return current_ >= rows_.size(); }
    void next() override;

    bool isNull(int index) const override;
    std::string text(int index) const override;
    std::int32_t integer(int index) const override;

    using Query::integer;
    using Query::isNull;
    using Query::text;

private:
    const Cell& cell(int index) const;
    const ColumnInfo& info(int index) const;

    std::string sql_;
    std::vector<ColumnInfo> columns_;
    std::vector<Row> rows_;
    std::size_t current_ = 0;
};

} // namespace platform::db
