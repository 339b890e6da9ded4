// The files of a run: one file under two names is one file, a file that
// does not exist yet is known by its absolute path, and devices are never
// the same file as anything.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "data/run_files.h"

namespace {

namespace fs = std::filesystem;
using namespace qmlp::host::data;

class RunFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qmlp-runfiles-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ / "a.txt") << "a";
        fs::create_directory(dir_ / "sub");
        run_files_reset();
    }
    void TearDown() override {
        run_files_reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string at(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(RunFiles, OneFileUnderManyNamesIsOneFile) {
    ASSERT_EQ(::link(at("a.txt").c_str(), at("hard.txt").c_str()), 0);
    fs::create_symlink(at("a.txt"), at("soft.txt"));
    EXPECT_TRUE(same_file(at("a.txt"), at("hard.txt")));
    EXPECT_TRUE(same_file(at("a.txt"), at("soft.txt")));
    EXPECT_TRUE(same_file(at("a.txt"), at("sub/../a.txt")));
    std::ofstream(dir_ / "b.txt") << "a";  // same content, another file
    EXPECT_FALSE(same_file(at("a.txt"), at("b.txt")));

    // Files that do not exist yet, by their absolute paths.
    EXPECT_TRUE(same_file(at("new.txt"), at("sub/../new.txt")));
    EXPECT_FALSE(same_file(at("new.txt"), at("other.txt")));

    // Devices and folders are never the same file.
    EXPECT_FALSE(same_file("/dev/null", "/dev/null"));
    EXPECT_FALSE(same_file(at("sub"), at("sub")));
}

TEST_F(RunFiles, RolesAreFoundByKind) {
    run_files_note(at("a.txt"), RunFileKind::kInput, "the program file");
    run_files_note(at("out.lst"), RunFileKind::kOutput, "the listing file");
    run_files_note("/dev/null", RunFileKind::kOutput, "the log file");
    EXPECT_EQ(run_files_role_of(at("sub/../a.txt"), kAnyRunFile), "the program file");
    EXPECT_EQ(run_files_role_of(at("a.txt"), run_file_bit(RunFileKind::kOutput)), "");
    EXPECT_EQ(run_files_role_of(at("out.lst"), kAnyRunFile), "the listing file");
    EXPECT_EQ(run_files_role_of("/dev/null", kAnyRunFile), "");

    // A file recorded before it existed is still found once it does.
    std::ofstream(dir_ / "out.lst") << "listing";
    ASSERT_EQ(::link(at("out.lst").c_str(), at("alias.csv").c_str()), 0);
    EXPECT_EQ(run_files_role_of(at("alias.csv"), kAnyRunFile), "the listing file");

    run_files_reset();
    EXPECT_EQ(run_files_role_of(at("a.txt"), kAnyRunFile), "");
}

}  // namespace
