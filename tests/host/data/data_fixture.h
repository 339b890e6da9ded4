// data_fixture.h -- shared helpers of the data part's tests: a scratch
// folder assigned as a library, file helpers and a log recorder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_log.h"
#include "host_api.h"

namespace datatest {

namespace fs = std::filesystem;

inline TymDataRef ref(const std::string& libref, const std::string& member) {
    TymDataRef r{};
    std::snprintf(r.libref, sizeof r.libref, "%s", libref.c_str());
    std::snprintf(r.member, sizeof r.member, "%s", member.c_str());
    return r;
}

inline TymDataRef path_ref(const std::string& path) {
    TymDataRef r{};
    std::snprintf(r.path, sizeof r.path, "%s", path.c_str());
    return r;
}

inline void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A fresh folder assigned as library T, a configured data part inside a
// step, and every log line of the data part recorded.
class DataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qmlp-datatest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        qmlp::host::HostConfig config;
        config.default_lib = dir_.string();
        config.libnames["T"] = dir_.string();
        qmlp::host::data_configure(config);
        qmlp::host::data::set_log_observer([this](qmlp::host::Severity s, const std::string& text) {
            log_.push_back({s, text});
        });
        qmlp::host::data_step_begin();
        in_ = qmlp::host::data_in_vector();
        out_ = qmlp::host::data_out_vector();
    }

    void TearDown() override {
        qmlp::host::data_step_end();
        qmlp::host::data::set_log_observer({});
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path file(const std::string& name) const { return dir_ / name; }

    // The text of every ERROR line, joined by newlines.
    std::string errors() const {
        std::string all;
        for (const auto& [s, text] : log_)
            if (s == qmlp::host::Severity::Error) all += text + "\n";
        return all;
    }

    struct Line {
        qmlp::host::Severity severity;
        std::string text;
    };
    fs::path dir_;
    std::vector<Line> log_;
    const TymDataInVector* in_ = nullptr;
    const TymDataOutVector* out_ = nullptr;
};

}  // namespace datatest
