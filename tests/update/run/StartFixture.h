#pragma once

// A run of its own for each start-up test: a registry store, a program folder and temporary
// folders in fresh folders, a recording window, and a connection factory that hands out
// scripted connections (or, for Firebird, the real embedded engine unless told otherwise).

#include "platform/db/ConnectionString.h"
#include "platform/registry/Registry.h"
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

namespace starttest {

// Records the connection strings it was given, by provider. MSSQL and Oracle get a fresh
// ScriptedConnection each time (prepared by `prepare` when set); Firebird goes to the real
// embedded engine.
class RecordingFactory : public update::run::ConnectionFactory {
public:
    std::vector<std::string> firebirdCalls;
    std::vector<std::string> msSqlCalls; // MSSQL and every string that names no known provider
    std::vector<std::string> oracleCalls;
    // Every scripted connection handed out, in order (owned by the run).
    std::vector<testsupport::ScriptedConnection*> handedOut;
    std::function<void(testsupport::ScriptedConnection&)> prepare;

    std::unique_ptr<platform::db::Connection> open(const std::string& connectionString) override {
        switch (providerOrMsSql(connectionString)) {
        case platform::db::Provider::Firebird:
            firebirdCalls.push_back(connectionString);
            return ConnectionFactory::open(connectionString);
        case platform::db::Provider::Oracle:
            oracleCalls.push_back(connectionString);
            return scripted();
        case platform::db::Provider::MsSql:
            break;
        }
        msSqlCalls.push_back(connectionString);
        return scripted();
    }

private:
    static platform::db::Provider providerOrMsSql(const std::string& connectionString) {
        try {
            return platform::db::providerOf(connectionString);
        } catch (const platform::db::DbError&) {
            return platform::db::Provider::MsSql;
        }
    }
    std::unique_ptr<platform::db::Connection> scripted() {
        auto c = std::make_unique<testsupport::ScriptedConnection>();
        if (prepare) {
            prepare(*c);
        }
        handedOut.push_back(c.get());
        return c;
    }
};

class StartTest : public ::testing::Test {
protected:
    StartTest() {
        context.factory = &factory;
        context.programFolder = [this] { return programDir.str() + "/"; };
        context.DatabaseType = "MSSQL";
        context.UpdaterState.RunConnectionString = "Provider=SQLOLEDB.1;Data Source=srv";
    }

    testsupport::TempDir registryDir;
    testsupport::ScopedEnv registryEnv{"UPDATE_REGISTRY_DIR", registryDir.str()};
    // Only TEMP: the embedded Firebird engine of the process keeps its lock folder under the
    // TMPDIR of its first use, which must outlive the test.
    testsupport::TempDir tempDir;
    testsupport::ScopedEnv tempEnv{"TEMP", tempDir.str()};
    testsupport::TempDir programDir;
    testsupport::RecordingHost host;
    RecordingFactory factory;
    update::run::RunContext context{host};

    std::string configPath() const { return (programDir / "updcfg.xml").string(); }
    void writeConfig(const std::string& xml) const { testsupport::writeFile(configPath(), xml); }
    // A configuration whose SETTINGS element holds the given children.
    void writeSettings(const std::string& children) const {
        writeConfig("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ROOT><SETTINGS>" + children +
                    "</SETTINGS></ROOT>\n");
    }

    std::filesystem::path storePath() const { return registryDir / "HKLM.reg"; }
    // Puts an HKLM store in place, its lines after the header (for values such as REG_DWORD
    // that the operations do not write).
    void putStore(const std::string& body) const {
        testsupport::writeFile(storePath(), "Windows Registry Editor Version 5.00\n\n" + body);
    }
    static void putString(const std::string& key, const std::string& name,
                          const std::string& value) {
        ASSERT_EQ(platform::registry::WriteRegString(platform::registry::Root::LocalMachine, key,
                                                     name, value),
                  platform::registry::kSuccess);
    }
};

} // namespace starttest
