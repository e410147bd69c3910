#include "platform/db/firebird/FirebirdLocation.h"

#include <gtest/gtest.h>

using namespace platform::db::firebird;

TEST(FirebirdLocation, ServerPartBeforeTheFirstColon) {
    struct Case {
        const char* location;
        bool onServer;
        const char* server;
        const char* path;
    };
    const Case cases[] = {
        {"/var/db/cx.fdb", false, "", "/var/db/cx.fdb"},
        {"cx.fdb", false, "", "cx.fdb"},
        {"srv:/var/db/cx.fdb", true, "srv", "/var/db/cx.fdb"},
        {"srv/3051:/var/db/cx.fdb", true, "srv/3051", "/var/db/cx.fdb"},
        {"SRV:D:\\DB\\CX.FDB", true, "SRV", "D:\\DB\\CX.FDB"},
        {"10.0.0.5:employee", true, "10.0.0.5", "employee"},
        {"/var/db/odd:name.fdb", false, "", "/var/db/odd:name.fdb"},
        {"data/odd:name.fdb", false, "", "data/odd:name.fdb"},
        {":/var/db/cx.fdb", false, "", ":/var/db/cx.fdb"},
    };
    for (const auto& c : cases) {
        const FirebirdLocation l = parseFirebirdLocation(c.location);
        EXPECT_EQ(l.onServer, c.onServer) << c.location;
        EXPECT_EQ(l.server, c.server) << c.location;
        EXPECT_EQ(l.path, c.path) << c.location;
    }
}
