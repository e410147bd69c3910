// Runs a generated script file of 5,000 statements (inserts and a few DDL statements) on an
// embedded Firebird database with update-db, and the same statements with isql-fb, committing
// after each, on a second database. Prints both times and their ratio.
//   bench-script-run [WORK_FOLDER]   (default: a folder in /tmp, removed afterwards)

#include "bench/common/BenchSupport.h"

#include <iostream>
#include <sstream>

namespace {

constexpr int kStatements = 5000;

std::vector<std::string> statements() {
    std::vector<std::string> list = {
        "CREATE TABLE BENCH_ITEM (ID INTEGER NOT NULL PRIMARY KEY, CODE VARCHAR(30), "
        "NAME VARCHAR(200), PRICE NUMERIC(15,2))",
        "CREATE INDEX IX_BENCH_ITEM_CODE ON BENCH_ITEM (CODE)",
        "CREATE GENERATOR GEN_BENCH_ITEM",
        "CREATE TABLE BENCH_NOTE (ID INTEGER NOT NULL, TEXT_VALUE VARCHAR(100))",
    };
    int id = 1;
    while (static_cast<int>(list.size()) < kStatements - 2) {
        std::ostringstream s;
        s << "INSERT INTO BENCH_ITEM (ID, CODE, NAME, PRICE) VALUES (" << id << ", 'C-" << id
          << "', 'Позиция каталога номер " << id << "', " << id % 1000 << ".50)";
        list.push_back(s.str());
        ++id;
        if (id % 1000 == 0) {
            list.push_back("ALTER TABLE BENCH_NOTE ADD F" + std::to_string(id) + " INTEGER");
        }
    }
    list.push_back("UPDATE BENCH_ITEM SET PRICE = PRICE + 1 WHERE ID < 100");
    list.push_back("DELETE FROM BENCH_ITEM WHERE ID > 4900");
    return list;
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const bool own = argc < 2;
    const fs::path work =
        own ? fs::temp_directory_path() / ("bench-script-run-" + std::to_string(getpid()))
            : fs::path(argv[1]);
    try {
        fs::create_directories(work);
        const auto list = statements();

        std::string script = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCRIPTS>\n<G>\n";
        std::string isql = "SET AUTODDL ON;\n";
        for (const auto& s : list) {
            script += "<E STOP_ON_EXCEPTION=\"1\" LOG_ERROR=\"1\">" + xmlEscaped(s) + "</E>\n";
            isql += s + ";\nCOMMIT;\n";
        }
        script += "</G>\n</SCRIPTS>\n";
        bench::writePackage(work / "package", script);
        bench::writeText(work / "statements.sql", isql);

        const std::string dbUpdate = (work / "update-db.fdb").string();
        const std::string dbIsql = (work / "isql.fdb").string();
        bench::createDatabase(dbUpdate);
        bench::createDatabase(dbIsql);

        setenv("UPDATE_DB_PASSWORD", "masterkey", 1);
        setenv("UPDATE_REGISTRY_DIR", (work / "registry").c_str(), 1);
        const bench::Timed update = bench::runTimed(
            bench::updateDbArgs(bench::updateDbProgram(argv[0]), work / "package", dbUpdate),
            (work / "update-db.out").string());
        const bench::Timed isqlRun =
            bench::runTimed({"isql-fb", "-q", "-ch", "UTF8", "-u", "SYSDBA", "-p", "masterkey",
                             "-i", (work / "statements.sql").string(), dbIsql},
                            (work / "isql.out").string());

        std::cout << "statements:        " << list.size() << "\n"
                  << "update-db:         " << update.seconds << " s (exit " << update.status
                  << ")\n"
                  << "isql-fb:           " << isqlRun.seconds << " s (exit " << isqlRun.status
                  << ")\n"
                  << "ratio update-db / isql-fb: " << update.seconds / isqlRun.seconds << "\n";
        if (own) {
            fs::remove_all(work);
        }
        return update.status == 0 && isqlRun.status == 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "bench-script-run: " << error.what() << '\n';
        return 1;
    }
}
