// BLOB relocation of generated data files by update-db against cp of the same files to the
// same disk. Prints the throughput ratio and the peak resident memory of update-db.
//   bench-blob-relocation [--files N] [--size-mib M] [WORK_FOLDER]
// Default: 1,000 files of 1 MiB (1 GiB); --files 1 --size-mib 1024 gives one file of 1 GiB.

#include "bench/common/BenchSupport.h"

#include <cstring>
#include <iostream>
#include <random>

namespace {

void writeDataFile(const std::filesystem::path& path, std::size_t bytes, unsigned seed) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 generator(seed);
    std::vector<std::uint64_t> block(1 << 14);
    while (bytes > 0) {
        for (auto& word : block) {
            word = generator();
        }
        const std::size_t n = std::min(bytes, block.size() * sizeof(std::uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        bytes -= n;
    }
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int files = 1000;
    std::size_t sizeMiB = 1;
    fs::path work;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--files") == 0 && i + 1 < argc) {
            files = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--size-mib") == 0 && i + 1 < argc) {
            sizeMiB = static_cast<std::size_t>(std::atol(argv[++i]));
        } else {
            work = argv[i];
        }
    }
    const bool own = work.empty();
    if (own) {
        work = fs::temp_directory_path() / ("bench-blob-relocation-" + std::to_string(getpid()));
    }
    try {
        fs::create_directories(work / "package" / "Data");
        std::string script = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCRIPTS>\n"
                             "<T><E STOP_ON_EXCEPTION=\"1\">CREATE TABLE BENCH_DOC (ID INTEGER NOT "
                             "NULL PRIMARY KEY, BODY BLOB SUB_TYPE 0)</E></T>\n"
                             "<R MOVE_BLOB=\"1\" TABLE_NAME=\"BENCH_DOC\" BLOB_FIELD_1=\"BODY\" "
                             "GUID_FIELD_1=\"BODY_KEY\">\n<E STOP_ON_EXCEPTION=\"1\">ALTER TABLE "
                             "BENCH_DOC ADD BODY_KEY VARCHAR(38)</E>\n";
        for (int i = 1; i <= files; ++i) {
            const std::string key = "doc" + std::to_string(i);
            writeDataFile(work / "package" / "Data" / (key + ".lob"), sizeMiB << 20,
                          static_cast<unsigned>(i));
            script += "<E STOP_ON_EXCEPTION=\"1\">INSERT INTO BENCH_DOC (ID, BODY_KEY) VALUES (" +
                      std::to_string(i) + ", '" + key + "')</E>\n";
        }
        script += "</R>\n</SCRIPTS>\n";
        bench::writePackage(work / "package", script);
        const std::string database = (work / "blob.fdb").string();
        bench::createDatabase(database);
        // Data files written; let them reach the disk so that neither run pays for that.
        sync();

        setenv("UPDATE_DB_PASSWORD", "masterkey", 1);
        setenv("UPDATE_REGISTRY_DIR", (work / "registry").c_str(), 1);
        const bench::Timed update = bench::runTimed(
            bench::updateDbArgs(bench::updateDbProgram(argv[0]), work / "package", database),
            (work / "update-db.out").string());
        sync();
        const bench::Timed copy = bench::runTimed(
            {"cp", "-r", (work / "package" / "Data").string(), (work / "copy").string()},
            (work / "cp.out").string());
        sync();

        const double total = static_cast<double>(files) * static_cast<double>(sizeMiB);
        std::cout << "data:              " << files << " files, " << total << " MiB\n"
                  << "update-db:         " << update.seconds << " s, " << total / update.seconds
                  << " MiB/s (exit " << update.status << ")\n"
                  << "cp:                " << copy.seconds << " s, " << total / copy.seconds
                  << " MiB/s\n"
                  << "throughput update-db / cp: " << copy.seconds / update.seconds << "\n"
                  << "peak resident memory of update-db: "
                  << static_cast<double>(update.peakKiB) / 1024.0 << " MiB\n";
        if (own) {
            fs::remove_all(work);
        }
        return update.status == 0 && copy.status == 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "bench-blob-relocation: " << error.what() << '\n';
        return 1;
    }
}
