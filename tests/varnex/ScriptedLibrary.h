#pragma once

// Runs the library on a scripted connection: the library's opener hands out a connection that
// forwards to a ScriptedConnection the test keeps, so the test reads the journal afterwards.

#include "tests/support/ScriptedConnection.h"
#include "varnex/State.h"

#include <memory>
#include <string>

namespace varnextest {

class ForwardingConnection : public platform::db::Connection {
public:
    explicit ForwardingConnection(testsupport::ScriptedConnection& target, bool failClose)
        : target_(target), failClose_(failClose) {}

    bool connected() const override { return target_.connected(); }
    void close() override {
        if (failClose_) {
            throw platform::db::DbError("connection lost while closing");
        }
        target_.close();
    }
    void execute(const std::string& sql) override { target_.execute(sql); }
    std::unique_ptr<platform::db::Query> query(const std::string& sql) override {
        return target_.query(sql);
    }
    void beginTransaction() override { target_.beginTransaction(); }
    void commit() override { target_.commit(); }
    void rollback() override { target_.rollback(); }
    bool inTransaction() const override { return target_.inTransaction(); }
    std::vector<std::string> tableNames() override { return target_.tableNames(); }
    std::vector<std::string> columnNames(const std::string& table) override {
        return target_.columnNames(table);
    }
    std::vector<platform::db::ForeignKey> foreignKeysOf(const std::string& table) override {
        return target_.foreignKeysOf(table);
    }
    std::vector<platform::db::ForeignKey> foreignKeysTo(const std::string& table) override {
        return target_.foreignKeysTo(table);
    }
    std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                           const std::string& keyColumn, const std::string& keyValue,
                           std::istream& data) override {
        return target_.writeBlob(table, blobColumn, keyColumn, keyValue, data);
    }

private:
    testsupport::ScriptedConnection& target_;
    bool failClose_;
};

// Makes the library open connections to the scripted one.
inline void useScriptedConnection(testsupport::ScriptedConnection& scripted,
                                  bool failClose = false) {
    varnex::setConnectionOpener([&scripted, failClose](const std::string&) {
        return std::make_unique<ForwardingConnection>(scripted, failClose);
    });
}

// The old layout of one form, LOK_A, with one text column NAME and two records: "a'b" and "7".
inline void scriptOneForm(testsupport::ScriptedConnection& c) {
    c.tables = {"REG_LOK7", "REG_LOK_STR", "REG_LOK12", "REG_LOK13", "LOK_A"};
    c.answer("select * from REG_LOK7", {{"ID", "TABNAME"}, {}, {{"1", "LOK_A"}}});
    c.answer("from REG_LOK_STR where FID=1",
             {{"FID", "SORT_ORDER", "USER_FIELD_TITLE", "FIELD_WIDTH", "USER_FIELD_NAME",
               "LOOKUP_DATA", "LOOKUP_TYPE", "HIDDEN_FIELD", "INDEX_FIELD"},
              {},
              {{"1", "1", "Имя", "10", "name", std::nullopt, std::nullopt, std::nullopt,
                std::nullopt}}});
    c.answer("select NAME from LOK_A where 1=2", {{"NAME"}, {}, {}});
    c.answer(" ID from REG_LOK18", {{"ID"}, {}, {{"5"}}});
    c.answer("select * from LOK_A", {{"NAME"}, {}, {{"a'b"}, {"7"}}});
}

} // namespace varnextest
