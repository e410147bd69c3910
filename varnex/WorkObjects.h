#pragma once

// The working objects of a conversion: a statement runner that executes texts verbatim and
// query cursors. Each keeps the text it ran last, for the error entries.

#include "platform/db/Connection.h"
#include "varnex/Entries.h"

#include <memory>
#include <string>

namespace varnex {

class StatementRunner {
public:
    explicit StatementRunner(platform::db::Connection& connection) : connection_(connection) {}

    // Runs the statement; its text (lines each followed by CR LF) stays readable.
    void run(const std::string& sql) {
        text_ = runnerText(sql);
        connection_.execute(sql);
    }
    const std::string& text() const { return text_; }

private:
    platform::db::Connection& connection_;
    std::string text_;
};

class Cursor {
public:
    explicit Cursor(platform::db::Connection& connection) : connection_(connection) {}

    // Closes the cursor and opens it on a query; the query text stays readable.
    platform::db::Query& open(const std::string& sql) {
        rows_.reset();
        text_ = sql;
        rows_ = connection_.query(sql);
        return *rows_;
    }
    void close() { rows_.reset(); }
    bool isOpen() const { return rows_ != nullptr; }
    platform::db::Query& rows() {
        if (!rows_) {
            throw platform::db::DbError("the cursor is not open");
        }
        return *rows_;
    }
    const std::string& text() const { return text_; }

private:
    platform::db::Connection& connection_;
    std::unique_ptr<platform::db::Query> rows_;
    std::string text_;
};

} // namespace varnex
