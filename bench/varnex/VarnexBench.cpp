// Lookup-form conversion through libvarnex.so against its limit: a plain loop on the Firebird
// client API that runs the same inserts (one per form column, one per stored value) with the
// same commits (one each) on the same embedded database layout.
//
//   varnex_bench [--forms N] [--values N] [--rounds N] [--folder DIR]
//
// Prints the time of each, and the ratio library / loop (best of the rounds).

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "varnex/varnex.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <filesystem>
#include <firebird/Interface.h>
#include <ibase.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Wall-clock and processor time of a stretch of work; the processor time counts every thread
// of the process, the embedded engine's own included, and is steadier on a busy machine.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class Stopwatch {
public:
    Stopwatch() : wall_(Clock::now()), cpu_(processSeconds()) {}
    Times elapsed() const {
        return {std::chrono::duration<double>(Clock::now() - wall_).count(),
                processSeconds() - cpu_};
    }

private:
    Clock::time_point wall_;
    double cpu_;
};

struct Options {
    int forms = 20;
    int values = 20000; // stored values in all
    int rounds = 3;
    std::string folder;
};

constexpr int kColumnsPerForm = 2;

std::string connectionString(const std::string& path) {
    return platform::db::firebirdConnectionString(path, "SYSDBA", "masterkey");
}

std::unique_ptr<platform::db::Connection> createDatabase(const std::string& path) {
    return platform::db::createFirebirdDatabase(connectionString(path));
}

int recordsPerForm(const Options& o) {
    return o.values / (o.forms * kColumnsPerForm);
}

// The old layout with the forms' data tables: an integer and a text column per form.
void makeOldLayout(const std::string& path, const Options& o) {
    const auto c = createDatabase(path);
    c->execute("create table REG_LOK7 (ID INTEGER NOT NULL PRIMARY KEY, TABNAME VARCHAR(31))");
    c->execute("create table REG_LOK_STR (FID INTEGER, SORT_ORDER INTEGER, USER_FIELD_TITLE "
               "VARCHAR(100), FIELD_WIDTH INTEGER, USER_FIELD_NAME VARCHAR(31), LOOKUP_DATA "
               "VARCHAR(100), LOOKUP_TYPE INTEGER, HIDDEN_FIELD INTEGER, INDEX_FIELD INTEGER)");
    c->execute("create table REG_LOK12 (FID INTEGER, VAR_NAME VARCHAR(31), VALUE_TYPE INTEGER, "
               "COMP_DATA VARCHAR(2), NAME VARCHAR(100))");
    c->execute("create table REG_LOK13 (FID INTEGER, RES_FIELD VARCHAR(31), RES_DEF "
               "VARCHAR(100), NAME VARCHAR(100), RES_NAME VARCHAR(31))");
    for (int f = 1; f <= o.forms; ++f) {
        const std::string table = "LOK_FORM" + std::to_string(f);
        const std::string id = std::to_string(f);
        c->execute("create table " + table + " (CODE INTEGER, NAME VARCHAR(100))");
        c->execute("insert into REG_LOK7 values (" + id + ", '" + table + "')");
        c->execute("insert into REG_LOK_STR values (" + id +
                   ", 1, 'Code', 10, 'CODE', null, 0, 0, 1)");
        c->execute("insert into REG_LOK_STR values (" + id +
                   ", 2, 'Name', 100, 'NAME', null, 0, 0, 0)");
        c->execute("insert into REG_LOK12 values (" + id + ", 'CODE', 0, '=', 'Code')");
        c->beginTransaction();
        for (int r = 0; r < recordsPerForm(o); ++r) {
            c->execute("insert into " + table + " values (" + std::to_string(r) + ", 'name " +
                       std::to_string(r) + "')");
        }
        c->commit();
    }
    c->close();
}

// The new layout as the conversion leaves it, ready for the loop's inserts.
void makeNewLayout(const std::string& path, const Options& o) {
    const auto c = createDatabase(path);
    c->execute("create table REG_LOK7 (ID INTEGER NOT NULL PRIMARY KEY, TABNAME VARCHAR(31))");
    for (int f = 1; f <= o.forms; ++f) {
        const std::string id = std::to_string(f);
        c->execute("insert into REG_LOK7 values (" + id + ", 'LOK_FORM" + id + "')");
    }
    c->execute("create table REG_LOK18 (ID INTEGER NOT NULL, FID INTEGER, CAPTION VARCHAR(250), "
               "NUM_ORDER INTEGER, WIDTH INTEGER, FIELD_NAME VARCHAR(250), FIELD_TYPE INTEGER, "
               "PARAMETER_TYPE INTEGER, COMPARE_TYPE VARCHAR(2), DEFAULT_VALUE VARCHAR(250), "
               "REFERENCE VARCHAR(250), REFERENCE_TYPE INTEGER, HIDDEN_FIELD INTEGER, "
               "INDEX_FIELD INTEGER, IN_VAR_NAME VARCHAR(250) , OUT_VAR_NAME VARCHAR(250) )");
    c->execute("alter table REG_LOK18 add constraint PK_REG_LOK18 primary key (ID)");
    c->execute("alter table REG_LOK18 add constraint FK_REG_LOK18_1 foreign key (FID) "
               "references REG_LOK7 (ID)");
    c->execute("create table REG_LOK_VALUES (REC_NUM INTEGER NOT NULL, FID INTEGER, STR_VALUE "
               "VARCHAR(250), INT_VALUE INTEGER, FLT_VALUE DOUBLE PRECISION )");
    c->execute("alter table REG_LOK_VALUES add constraint FK_REG_LOK_VALUES_1 foreign key (FID) "
               "references REG_LOK18 (ID)");
    c->execute("create sequence GEN_REG_LOK18_ID");
    c->execute("create or alter trigger REG_LOK18_BI0 for REG_LOK18 active before insert "
               "position 0 as begin if ((NEW.ID IS NULL) or (NEW.ID = 0)) then NEW.ID = "
               "GEN_ID(GEN_REG_LOK18_ID,1); end");
    c->close();
}

// The statements the conversion runs for the generated forms, each in its own transaction.
std::vector<std::string> loopStatements(const Options& o) {
    std::vector<std::string> out;
    int id = 0;
    for (int f = 1; f <= o.forms; ++f) {
        const std::string fid = std::to_string(f);
        const int codeId = ++id;
        const int nameId = ++id;
        out.push_back("insert into REG_LOK18 (FID, CAPTION, NUM_ORDER, WIDTH, FIELD_NAME, "
                      "FIELD_TYPE, PARAMETER_TYPE, COMPARE_TYPE, DEFAULT_VALUE, REFERENCE, "
                      "REFERENCE_TYPE, HIDDEN_FIELD, INDEX_FIELD, IN_VAR_NAME, OUT_VAR_NAME) "
                      "values (" +
                      fid + ", 'Code', 1, 10, 'CODE', 1, 1, '=', '', '', 0, 0, 1, 'CODE', '')");
        out.push_back("insert into REG_LOK18 (FID, CAPTION, NUM_ORDER, WIDTH, FIELD_NAME, "
                      "FIELD_TYPE, PARAMETER_TYPE, COMPARE_TYPE, DEFAULT_VALUE, REFERENCE, "
                      "REFERENCE_TYPE, HIDDEN_FIELD, INDEX_FIELD, IN_VAR_NAME, OUT_VAR_NAME) "
                      "values (" +
                      fid + ", 'Name', 2, 100, 'NAME', 3, 0, '', '', '', 0, 0, 0, '', '')");
        for (int r = 0; r < recordsPerForm(o); ++r) {
            const std::string rec = std::to_string(r);
            out.push_back("insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, "
                          "FLT_VALUE) values (" +
                          rec + ", " + std::to_string(codeId) + ", '" + rec + "', " + rec + ", " +
                          rec + ")");
            out.push_back("insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, "
                          "FLT_VALUE) values (" +
                          rec + ", " + std::to_string(nameId) + ", 'name " + rec +
                          "', null, null)");
        }
    }
    return out;
}

// The plain loop: attach, then for every statement start a transaction, execute, commit. The
// database layer has prepared the embedded engine's environment (its lock folder) by then.
Times runLoop(const std::string& path, const std::vector<std::string>& statements) {
    using Firebird::ThrowStatusWrapper;
    Firebird::IMaster* master = Firebird::fb_get_master_interface();
    ThrowStatusWrapper status(master->getStatus());
    Firebird::IUtil* util = master->getUtilInterface();
    Firebird::IXpbBuilder* dpb =
        util->getXpbBuilder(&status, Firebird::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status, isc_dpb_user_name, "SYSDBA");
    dpb->insertString(&status, isc_dpb_password, "masterkey");
    dpb->insertString(&status, isc_dpb_lc_ctype, "WIN1251");
    dpb->insertInt(&status, isc_dpb_sql_dialect, SQL_DIALECT_V6);
    dpb->insertString(&status, isc_dpb_config, "Providers=Engine12");
    Firebird::IProvider* provider = master->getDispatcher();
    Firebird::IAttachment* attachment = provider->attachDatabase(
        &status, path.c_str(), dpb->getBufferLength(&status), dpb->getBuffer(&status));
    dpb->dispose();
    Firebird::IXpbBuilder* tpb =
        util->getXpbBuilder(&status, Firebird::IXpbBuilder::TPB, nullptr, 0);
    tpb->insertTag(&status, isc_tpb_write);
    tpb->insertTag(&status, isc_tpb_read_committed);
    tpb->insertTag(&status, isc_tpb_rec_version);
    tpb->insertTag(&status, isc_tpb_wait);
    const Stopwatch watch;
    for (const auto& sql : statements) {
        Firebird::ITransaction* t = attachment->startTransaction(
            &status, tpb->getBufferLength(&status), tpb->getBuffer(&status));
        attachment->execute(&status, t, 0, sql.c_str(), SQL_DIALECT_V6, nullptr, nullptr, nullptr,
                            nullptr);
        t->commit(&status);
    }
    const Times seconds = watch.elapsed();
    tpb->dispose();
    attachment->detach(&status);
    provider->release();
    status.dispose();
    return seconds;
}

// The same loop through the database layer's Connection::execute, to tell the layer's share of
// the time from the library's own.
Times runLayerLoop(const std::string& path, const std::vector<std::string>& statements) {
    const auto c = platform::db::openConnection(connectionString(path));
    const Stopwatch watch;
    for (const auto& sql : statements) {
        c->execute(sql);
    }
    const Times seconds = watch.elapsed();
    c->close();
    return seconds;
}

Times runLibrary(const std::string& path, void* library) {
    const auto doIt = reinterpret_cast<decltype(&DoIt)>(dlsym(library, "DoIt"));
    const auto getErrorStr =
        reinterpret_cast<decltype(&GetErrorStr)>(dlsym(library, "GetErrorStr"));
    if (doIt == nullptr || getErrorStr == nullptr) {
        throw std::runtime_error("the library lacks its exports");
    }
    const std::string cs = connectionString(path);
    const Stopwatch watch;
    const int result = doIt(cs.c_str(), "FIREBIRD");
    const Times seconds = watch.elapsed();
    if (result != 0) {
        char* text = nullptr;
        getErrorStr(&text);
        throw std::runtime_error("DoIt returned " + std::to_string(result) + ": " +
                                 (text != nullptr ? text : ""));
    }
    return seconds;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw std::runtime_error(a + " needs a value");
            }
            return argv[++i];
        };
        if (a == "--forms") {
            o.forms = std::stoi(value());
        } else if (a == "--values") {
            o.values = std::stoi(value());
        } else if (a == "--rounds") {
            o.rounds = std::stoi(value());
        } else if (a == "--folder") {
            o.folder = value();
        } else {
            throw std::runtime_error("usage: varnex_bench [--forms N] [--values N] [--rounds N] "
                                     "[--folder DIR]");
        }
    }
    if (o.forms < 1 || o.values < o.forms * kColumnsPerForm || o.rounds < 1) {
        throw std::runtime_error("need at least one form, two values per form and one round");
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Options o = parse(argc, argv);
        const fs::path folder = o.folder.empty() ? fs::temp_directory_path() /
                                                       ("varnex-bench-" + std::to_string(getpid()))
                                                 : fs::path(o.folder);
        fs::create_directories(folder);
        void* library = dlopen(VARNEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            throw std::runtime_error(dlerror());
        }
        const auto statements = loopStatements(o);
        std::printf("%d forms, %d stored values, %zu inserts each committed; %d rounds\n", o.forms,
                    o.forms * kColumnsPerForm * recordsPerForm(o), statements.size(), o.rounds);
        Times bestLibrary{1e300, 1e300};
        Times bestLoop{1e300, 1e300};
        const auto best = [](Times& b, const Times& t) {
            b.wall = std::min(b.wall, t.wall);
            b.cpu = std::min(b.cpu, t.cpu);
        };
        for (int round = 1; round <= o.rounds; ++round) {
            const auto path = [&](const char* name) {
                return (folder / (name + std::to_string(round) + ".fdb")).string();
            };
            makeOldLayout(path("old"), o);
            makeNewLayout(path("new"), o);
            makeNewLayout(path("layer"), o);
            const Times libraryTimes = runLibrary(path("old"), library);
            const Times loop = runLoop(path("new"), statements);
            const Times layer = runLayerLoop(path("layer"), statements);
            std::printf("round %d: DoIt %.3f s (processor %.3f s), loop %.3f s (processor %.3f "
                        "s), loop through the database layer %.3f s (processor %.3f s)\n",
                        round, libraryTimes.wall, libraryTimes.cpu, loop.wall, loop.cpu, layer.wall,
                        layer.cpu);
            best(bestLibrary, libraryTimes);
            best(bestLoop, loop);
            for (const char* name : {"old", "new", "layer"}) {
                fs::remove(path(name));
            }
        }
        std::printf("best: DoIt %.3f s, loop %.3f s, ratio %.3f; processor time DoIt %.3f s, "
                    "loop %.3f s, ratio %.3f (target <= 1.1)\n",
                    bestLibrary.wall, bestLoop.wall, bestLibrary.wall / bestLoop.wall,
                    bestLibrary.cpu, bestLoop.cpu, bestLibrary.cpu / bestLoop.cpu);
        dlclose(library);
        if (o.folder.empty()) {
            fs::remove_all(folder);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnex_bench: %s\n", e.what());
        return 1;
    }
}
