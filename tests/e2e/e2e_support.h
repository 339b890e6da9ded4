// e2e_support.h -- running the qmlp command on programs and data sets
// written into a scratch folder, and reading back its log.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace e2e {

namespace fs = std::filesystem;

struct RunResult {
    int exit_status = -1;
    std::string log;
    std::string listing;
};

inline std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Runs `command` (a shell command line) and returns its exit status.
inline int shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline fs::path qmlp_binary() { return fs::path(QMLP_BUILD_DIR) / "qmlp"; }

// A folder of the shared benchmark instances (netlib, miplib3, ...).
inline fs::path bench_dir(const std::string& folder) { return fs::path(QMLP_SHARED_DIR) / "bench" / folder; }

// The known optima of a benchmark folder, from its optimal.tsv: instance
// name, then the optimal objective ('#' starts a comment line).  Empty when
// the folder is absent.
inline std::map<std::string, double> known_optima(const std::string& folder) {
    std::map<std::string, double> out;
    std::ifstream in(bench_dir(folder) / "optimal.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name;
        double value = 0.0;
        if (fields >> name >> value) out[name] = value;
    }
    return out;
}

class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qmlp-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    // Writes the program and runs it with the log and the listing in files.
    RunResult run(const std::string& program) {
        write("program.qmlp", program);
        const fs::path log = dir_ / "log.txt";
        const fs::path listing = dir_ / "listing.txt";
        RunResult r;
        r.exit_status = shell(quoted(qmlp_binary().string()) + " --log " + quoted(log.string()) + " --listing " +
                              quoted(listing.string()) + " " + quoted((dir_ / "program.qmlp").string()) +
                              " </dev/null >/dev/null 2>&1");
        r.log = slurp(log);
        r.listing = slurp(listing);
        return r;
    }

    fs::path dir_;
};

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The log with its long lines joined again (a continuation line starts with
// six blanks).
inline std::string unwrapped(const std::string& log) {
    std::string out;
    for (size_t k = 0; k < log.size(); ++k) {
        if (log[k] == '\n' && log.compare(k + 1, 6, "      ") == 0) {
            out += ' ';
            k += 6;
            continue;
        }
        out += log[k];
    }
    return out;
}

}  // namespace e2e
