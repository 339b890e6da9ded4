// mps_convert_test.cpp -- file to data set: gzip input, all-or-nothing
// output, the summary and the command line.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "mps/mps_convert.h"
#include "mps/mps_import.h"
#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

namespace fs = std::filesystem;

const char* const kProblem =
    "NAME          SMALL\n"
    "ROWS\n N  COST\n L  LIM1\n G  LIM2\n E  EQ\n"
    "COLUMNS\n"
    "    X1        COST         1   LIM1         1\n"
    "    X1        LIM2         1\n"
    "    M         'MARKER'                 'INTORG'\n"
    "    X2        COST         2   LIM1         1\n"
    "    X2        EQ          -1\n"
    "    M         'MARKER'                 'INTEND'\n"
    "    X3        COST        -1   EQ           1\n"
    "RHS\n    RHS       LIM1         4   LIM2         1\n    RHS       EQ           7\n"
    "BOUNDS\n UP BND       X1           4\n UP BND       X2           1\n"
    "ENDATA\n";

class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("qmlp_mps_" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_gzip(const std::string& path, const std::string& text) {
    gzFile f = gzopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(gzwrite(f, text.data(), static_cast<unsigned>(text.size())), static_cast<int>(text.size()));
    gzclose(f);
}

// Runs one import; returns the exit status with what went to out and err.
struct ImportRun {
    int status;
    std::string out, err;
};

ImportRun run(const ImportOptions& options) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ImportRun r;
    r.status = run_import(options, out, err);
    for (auto [file, text] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
        std::fflush(file);
        std::rewind(file);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
        std::fclose(file);
    }
    return r;
}

TEST(MpsConvert, DefaultOutputPathReplacesTheMpsSuffixes) {
    EXPECT_EQ(default_output_path("dir/afiro.mps.gz"), "dir/afiro.csv");
    EXPECT_EQ(default_output_path("dir/AFIRO.MPS"), "dir/AFIRO.csv");
    EXPECT_EQ(default_output_path("p.gz"), "p.csv");
    EXPECT_EQ(default_output_path("model"), "model.csv");
    EXPECT_EQ(default_output_path("a.b.mps"), "a.b.csv");
}

TEST(MpsConvert, GzipAndPlainInputGiveTheSameDataSet) {
    TempDir dir;
    write_file(dir.file("small.mps"), kProblem);
    write_gzip(dir.file("zipped.mps.gz"), kProblem);
    ImportRun plain = run({dir.file("small.mps"), "", false, false});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ImportRun zipped = run({dir.file("zipped.mps.gz"), "", false, false});
    ASSERT_EQ(zipped.status, 0) << zipped.err;
    const std::string a = read_file(dir.file("small.csv"));
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(a, read_file(dir.file("zipped.csv")));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"small.csv", "small.mps", "zipped.csv", "zipped.mps.gz"}));
}

TEST(MpsConvert, SummaryCountsGoToErrOrToOut) {
    TempDir dir;
    write_file(dir.file("small.mps"), kProblem);
    ImportRun quiet = run({dir.file("small.mps"), dir.file("o.csv"), false, false});
    ASSERT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    ImportRun loud = run({dir.file("small.mps"), dir.file("o.csv"), true, false});
    ASSERT_EQ(loud.status, 0);
    EXPECT_EQ(loud.out, quiet.err);
    for (const char* line : {"Problem: SMALL\n", "Objective: COST (minimise)\n", "  less-or-equal: 1\n",
                             "  greater-or-equal: 1\n", "  equality: 1\n", "Columns: 3\n", "  upper bound only: 1\n",
                             "  binary: 1\n", "  non-negative: 1\n", "Nonzeros: 8\n", "  in objective: 3\n"}) {
        EXPECT_NE(loud.out.find(line), std::string::npos) << line << "\n" << loud.out;
    }
}

TEST(MpsConvert, DashWritesTheDataSetToStandardOutput) {
    TempDir dir;
    write_file(dir.file("small.mps"), kProblem);
    ImportRun r = run({dir.file("small.mps"), "-", true, false});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("_TYPE_$8,_COL_$8,", 0), 0u) << r.out;
    EXPECT_NE(r.err.find("Nonzeros: 8"), std::string::npos);  // the summary moves out of the way
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"small.mps"}));
}

// Every fault leaves no output file and no temporary file, and an existing
// output file keeps its contents.
TEST(MpsConvert, FaultsLeaveNoOutputBehind) {
    TempDir dir;
    const std::string bad = std::string(kProblem).replace(std::string(kProblem).find("LIM2         1\n"), 4, "LIMX");
    write_file(dir.file("bad.mps"), bad);
    ImportRun r = run({dir.file("bad.mps"), "", false, false});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("ERROR: " + dir.file("bad.mps") + ":9: unknown row 'LIMX'"), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.mps"}));

    write_file(dir.file("keep.csv"), "old contents\n");
    r = run({dir.file("bad.mps"), dir.file("keep.csv"), false, false});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(read_file(dir.file("keep.csv")), "old contents\n");

    r = run({dir.file("missing.mps"), "", false, false});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("ERROR: " + dir.file("missing.mps") + ": cannot open"), std::string::npos) << r.err;

    r = run({dir.file("bad.mps"), dir.file("no/such/folder/out.csv"), false, false});
    EXPECT_EQ(r.status, 2);
    write_file(dir.file("good.mps"), kProblem);
    r = run({dir.file("good.mps"), dir.file("no/such/folder/out.csv"), false, false});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("temporary file"), std::string::npos) << r.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.mps", "good.mps", "keep.csv"}));
}

TEST(MpsConvert, TruncatedOrCorruptGzipIsAnError) {
    TempDir dir;
    std::string big;
    for (int j = 0; j < 3000; ++j) {
        big += "    C" + std::to_string(j) + "  COST  " + std::to_string(j % 7 + 1) + "  LIM1  1\n";
    }
    std::string text = std::string("NAME\nROWS\n N COST\n L LIM1\nCOLUMNS\n") + big + "ENDATA\n";
    write_gzip(dir.file("whole.mps.gz"), text);
    const std::string zipped = read_file(dir.file("whole.mps.gz"));
    ASSERT_GT(zipped.size(), 200u);
    ImportRun whole = run({dir.file("whole.mps.gz"), dir.file("whole.csv"), false, false});
    ASSERT_EQ(whole.status, 0) << whole.err;

    write_file(dir.file("cut.mps.gz"), zipped.substr(0, zipped.size() / 2));
    ImportRun cut = run({dir.file("cut.mps.gz"), dir.file("cut.csv"), false, false});
    EXPECT_EQ(cut.status, 2);
    EXPECT_NE(cut.err.find("truncated gzip data"), std::string::npos) << cut.err;
    EXPECT_FALSE(fs::exists(dir.file("cut.csv")));

    // Cut just before the trailer: all the text arrives, the check sum does not.
    write_file(dir.file("tail.mps.gz"), zipped.substr(0, zipped.size() - 4));
    ImportRun tail = run({dir.file("tail.mps.gz"), dir.file("tail.csv"), false, false});
    EXPECT_EQ(tail.status, 2) << tail.err;
    EXPECT_FALSE(fs::exists(dir.file("tail.csv")));

    std::string flipped = zipped;
    flipped[zipped.size() / 2] = static_cast<char>(flipped[zipped.size() / 2] ^ 0x55);
    write_file(dir.file("flip.mps.gz"), flipped);
    ImportRun flip = run({dir.file("flip.mps.gz"), dir.file("flip.csv"), false, false});
    EXPECT_EQ(flip.status, 2);
    EXPECT_FALSE(fs::exists(dir.file("flip.csv")));
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"cut.mps.gz", "flip.mps.gz", "tail.mps.gz", "whole.csv", "whole.mps.gz"}));
}

TEST(MpsConvert, CommandLineArguments) {
    TempDir dir;
    write_file(dir.file("small.mps"), kProblem);
    std::string err;
    auto command = [&err](std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        int status = mps_import_command(static_cast<int>(argv.size()), argv.data());
        ::testing::internal::GetCapturedStdout();
        err = ::testing::internal::GetCapturedStderr();
        return status;
    };
    EXPECT_EQ(command({"import-mps"}), 64);
    EXPECT_NE(err.find("ERROR: no MPS file given"), std::string::npos);
    EXPECT_EQ(command({"import-mps", "--bogus", dir.file("small.mps")}), 64);
    EXPECT_NE(err.find("unknown option --bogus"), std::string::npos);
    EXPECT_EQ(command({"import-mps", dir.file("small.mps"), "-o"}), 64);
    EXPECT_EQ(command({"import-mps", dir.file("small.mps"), dir.file("small.mps")}), 64);
    EXPECT_EQ(command({"import-mps", dir.file("missing.mps")}), 2);
    EXPECT_EQ(command({"import-mps", dir.file("small.mps"), "-o", dir.file("x.csv")}), 0);
    EXPECT_NE(err.find("Nonzeros: 8"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.file("x.csv")));
    EXPECT_EQ(command({"import-mps", "--drop-free-rows", dir.file("small.mps")}), 0);
    EXPECT_TRUE(fs::exists(dir.file("small.csv")));
}

}  // namespace
namespace {

TEST(MpsConvert, ADeviceIsWrittenInPlaceNotReplaced) {
    // -o /dev/null is a quick way to check a file; the device must survive.
    TempDir dir;
    write_file(dir.file("small.mps"), kProblem);
    ImportRun r = run({dir.file("small.mps"), "/dev/null", false, false});
    EXPECT_EQ(r.status, 0) << r.err;
    struct stat st;
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"small.mps"}));
}

}  // namespace

}  // namespace qmlp::host::mps::testing
