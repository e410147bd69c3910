#pragma once

// A run of its own for each engine test: a program folder in a fresh folder, a recording
// window, and a connection factory that opens the real embedded Firebird engine for Firebird
// and InterBase and hands out scripted connections for MSSQL and Oracle.

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/ScriptedConnection.h"
#include "tests/support/TempDir.h"
#include "update/run/EngineConnections.h"
#include "update/run/RunContext.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

// The one place the engine tests make and open Firebird databases.
inline std::string databaseConnectionString(const std::string& path) {
    return platform::db::firebirdConnectionString(path, "SYSDBA", "masterkey");
}
inline std::unique_ptr<platform::db::Connection> createDatabase(const std::string& path) {
    return platform::db::createFirebirdDatabase(databaseConnectionString(path));
}
inline std::unique_ptr<platform::db::Connection> openDatabase(const std::string& path) {
    return platform::db::openConnection(databaseConnectionString(path));
}

// A real connection that loses its database after a number of statements: the statement that
// would exceed it fails, and the connection is closed from then on.
class LosingConnection : public platform::db::Connection {
public:
    LosingConnection(std::unique_ptr<platform::db::Connection> inner, int statements)
        : inner_(std::move(inner)), left_(statements) {}

    bool connected() const override { return inner_->connected(); }
    void close() override { inner_->close(); }
    void execute(const std::string& sql) override {
        spend();
        inner_->execute(sql);
    }
    std::unique_ptr<platform::db::Query> query(const std::string& sql) override {
        spend();
        return inner_->query(sql);
    }
    void beginTransaction() override { inner_->beginTransaction(); }
    void commit() override { inner_->commit(); }
    void rollback() override { inner_->rollback(); }
    bool inTransaction() const override { return inner_->inTransaction(); }
    std::vector<std::string> tableNames() override { return inner_->tableNames(); }
    std::vector<std::string> columnNames(const std::string& table) override {
        return inner_->columnNames(table);
    }
    std::vector<platform::db::ForeignKey> foreignKeysOf(const std::string& table) override {
        return inner_->foreignKeysOf(table);
    }
    std::vector<platform::db::ForeignKey> foreignKeysTo(const std::string& table) override {
        return inner_->foreignKeysTo(table);
    }
    std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                           const std::string& keyColumn, const std::string& keyValue,
                           std::istream& data) override {
        return inner_->writeBlob(table, blobColumn, keyColumn, keyValue, data);
    }

private:
    void spend() {
        if (left_-- <= 0) {
            inner_->close();
            throw platform::db::DbError("connection lost");
        }
    }
    std::unique_ptr<platform::db::Connection> inner_;
    int left_;
};

class EngineFactory : public update::run::ConnectionFactory {
public:
    int firebirdOpens = 0;
    // When set, the next Firebird connection loses its database after this many statements.
    std::optional<int> loseAfter;
    // Every scripted connection handed out, in order (owned by the run).
    std::vector<testsupport::ScriptedConnection*> handedOut;
    std::function<void(testsupport::ScriptedConnection&)> prepare;

    std::unique_ptr<platform::db::Connection> open(const std::string& connectionString) override {
        if (connectionString.find("LCPI.IBProvider.2") == std::string::npos) {
            return scripted();
        }
        ++firebirdOpens;
        auto connection = ConnectionFactory::open(connectionString);
        if (loseAfter) {
            const int statements = *loseAfter;
            loseAfter.reset();
            return std::make_unique<LosingConnection>(std::move(connection), statements);
        }
        return connection;
    }
    testsupport::ScriptedConnection& last() const { return *handedOut.back(); }

private:
    std::unique_ptr<platform::db::Connection> scripted() {
        auto c = std::make_unique<testsupport::ScriptedConnection>();
        if (prepare) {
            prepare(*c);
        }
        handedOut.push_back(c.get());
        return c;
    }
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest() {
        context.factory = &factory;
        context.UpdaterState.ProgramFolder = programDir.str() + "/";
        context.UpdaterState.UserName = "ADMIN";
        context.UpdaterState.ResultDbVersion = "4.1";
        context.UpdaterState.NextVersionId = 2;
    }

    // A Firebird run on a new database holding BO_VERSION with one row.
    void useFirebird(const std::string& type = "FIREBIRD") {
        dbPath = (programDir / "db.fdb").string();
        {
            auto c = createDatabase(dbPath);
            c->execute("CREATE TABLE BO_VERSION (ID INTEGER NOT NULL PRIMARY KEY, BDVERSION "
                       "VARCHAR(20), UPDATEUSER VARCHAR(40), UPDATEDATE TIMESTAMP, UPDATELOG "
                       "BLOB SUB_TYPE 1)");
            c->execute("INSERT INTO BO_VERSION VALUES (1, '4.0', 'SETUP', NULL, NULL)");
            c->close();
        }
        context.DatabaseType = type;
        context.UpdaterState.RunConnectionString =
            "Provider=LCPI.IBProvider.2;Location=" + dbPath + ";User Id=SYSDBA;Password=masterkey";
        context.UpdaterState.SqlUserName = "SYSDBA";
        context.UpdaterState.SqlPassword = "masterkey";
    }
    void useScripted(const std::string& type) {
        context.DatabaseType = type;
        context.UpdaterState.RunConnectionString =
            type == "ORACLE" ? "Provider=OraOLEDB.Oracle.1;Data Source=ora;User Id=u;Password=p"
                             : "Provider=SQLOLEDB.1;Data Source=srv;User Id=u;Password=p";
    }

    // A separate connection to the run's Firebird database, for looking at what the run did.
    std::unique_ptr<platform::db::Connection> inspect() const { return openDatabase(dbPath); }

    // Writes a script file of the given groups into the program folder.
    std::string writeScript(const std::string& name, const std::string& groups) const {
        const auto path = programDir / name;
        testsupport::writeFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCRIPTS>\n" +
                                         groups + "</SCRIPTS>\n");
        return path.string();
    }

    std::vector<std::string> log() const { return host.logLines(); }
    // The whole run log as one text, lines joined by "\n".
    std::string logText() const {
        std::string text;
        for (const auto& line : host.logLines()) {
            text += line + "\n";
        }
        return text;
    }

    testsupport::TempDir programDir;
    testsupport::RecordingHost host;
    update::run::RunContext context{host};
    EngineFactory factory;
    std::string dbPath;
};

// The first column of the first row of a query, as text ("<no row>", "<null>").
inline std::string scalar(platform::db::Connection& c, const std::string& sql) {
    const auto q = c.query(sql);
    if (q->eof()) {
        return "<no row>";
    }
    return q->isNull(0) ? "<null>" : q->text(0);
}

} // namespace enginetest
