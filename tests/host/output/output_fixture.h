// output_fixture.h -- runs the output part into temporary files so that a
// test can read back the log, the listing, the JSON and the HTML.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host_api.h"

namespace qmlp::host::output::testing {

inline std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class OutputFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() / ("qmlp-output-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        config_.log_file = (dir_ / "run.log").string();
        config_.listing_file = (dir_ / "run.lst").string();
        config_.json_file = (dir_ / "run.json").string();
        config_.html_file = (dir_ / "run.html").string();
        output_configure(config_);
    }
    void TearDown() override {
        // Back to the standard streams, so later tests do not write here.
        output_configure(HostConfig{});
        std::filesystem::remove_all(dir_);
    }
    // Configures the outputs again, the log and the listing starting afresh
    // in their files (an existing one would be written beside and moved over
    // it only at the end).
    bool reconfigure(const HostConfig& config) {
        output_close_files();
        for (const std::string* file : {&config.log_file, &config.listing_file})
            if (!file->empty() && std::filesystem::is_regular_file(*file)) std::filesystem::remove(*file);
        return output_configure(config);
    }
    std::string log() {
        output_flush();
        return read_file(config_.log_file);
    }
    std::string listing() {
        output_flush();
        return read_file(config_.listing_file);
    }
    std::string json() { return read_file(config_.json_file); }
    std::string html() { return read_file(config_.html_file); }

    std::filesystem::path dir_;
    HostConfig config_;
};

}  // namespace qmlp::host::output::testing
