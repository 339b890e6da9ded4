// Utility files: byte positioning, exact reads, clean-up at the end of a step.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <random>

#include "data/data_internal.h"
#include "data/library.h"
#include "data_fixture.h"

namespace datatest {
namespace {

class UtilFiles : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        // Point TMPDIR at the scratch folder so the step folder can be seen.
        const char* old = getenv("TMPDIR");
        saved_tmpdir_ = old ? old : "";
        had_tmpdir_ = old != nullptr;
        setenv("TMPDIR", dir_.c_str(), 1);
        util_ = qmlp::host::util_vector();
    }
    void TearDown() override {
        if (had_tmpdir_)
            setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
        else
            unsetenv("TMPDIR");
        DataTest::TearDown();
    }
    int temp_folders(const std::string& prefix = "qmlp-step-") const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().rfind(prefix, 0) == 0) ++n;
        return n;
    }
    const TymUtilVector* util_ = nullptr;
    std::string saved_tmpdir_;
    bool had_tmpdir_ = false;
};

TEST_F(UtilFiles, RecordsWrittenAtOffsetsReadBack) {
    TymUtil f = util_->open();
    ASSERT_NE(f, nullptr);
    struct Rec {
        int64_t a;
        double b;
        int64_t c;
    };
    const int kRecords = 10000;  // 240 KB: several windows
    for (int i = 0; i < kRecords; ++i) {
        Rec r{i, i * 0.5, -i};
        ASSERT_EQ(util_->write(f, &r, sizeof r), 0);
    }
    EXPECT_EQ(util_->tell(f), kRecords * 24);
    // Change records out of order, as a linked list update does.
    std::mt19937 rng(7);
    std::vector<int> changed(kRecords, 0);
    for (int k = 0; k < 3000; ++k) {
        const int i = static_cast<int>(rng() % kRecords);
        Rec r{i, 0, k + 1};
        ASSERT_EQ(util_->position(f, int64_t{i} * 24), 0);
        ASSERT_EQ(util_->write(f, &r, sizeof r), 0);
        changed[i] = k + 1;
    }
    ASSERT_EQ(util_->position(f, 0), 0);
    for (int i = 0; i < kRecords; ++i) {
        Rec r{};
        ASSERT_EQ(util_->read(f, &r, sizeof r), 0);
        ASSERT_EQ(r.a, i);
        ASSERT_EQ(r.c, changed[i] ? changed[i] : -i) << i;
    }
    EXPECT_EQ(util_->close(f), 0);
}

TEST_F(UtilFiles, EndPositionShortReadsAndBigBlocks) {
    TymUtil f = util_->open();
    ASSERT_NE(f, nullptr);
    std::vector<char> big(300000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31);
    ASSERT_EQ(util_->write(f, big.data(), static_cast<int64_t>(big.size())), 0);
    ASSERT_EQ(util_->position(f, -1), 0);
    EXPECT_EQ(util_->tell(f), 300000);
    ASSERT_EQ(util_->write(f, "tail", 4), 0);
    char tail[4];
    ASSERT_EQ(util_->position(f, 300000), 0);
    ASSERT_EQ(util_->read(f, tail, 4), 0);
    EXPECT_EQ(std::string(tail, 4), "tail");
    // A read past the end fails whole, and leaves the position alone.
    ASSERT_EQ(util_->position(f, 300002), 0);
    EXPECT_LT(util_->read(f, tail, 4), 0);
    EXPECT_EQ(util_->tell(f), 300002);
    EXPECT_LT(util_->position(f, -2), 0);
    std::vector<char> back(big.size());
    ASSERT_EQ(util_->position(f, 0), 0);
    ASSERT_EQ(util_->read(f, back.data(), static_cast<int64_t>(back.size())), 0);
    EXPECT_EQ(back, big);
    // Writing past the end leaves a gap of zeros.
    ASSERT_EQ(util_->position(f, 400000), 0);
    ASSERT_EQ(util_->write(f, "z", 1), 0);
    char gap[2] = {1, 1};
    ASSERT_EQ(util_->position(f, 350000), 0);
    ASSERT_EQ(util_->read(f, gap, 2), 0);
    EXPECT_EQ(gap[0], 0);
    EXPECT_EQ(gap[1], 0);
}

// Scattered writes and reads over a file many times larger than what a
// file keeps in memory, straddling page edges and leaving gaps, against a
// plain copy of the bytes.
TEST_F(UtilFiles, ScatteredAccessOverALargeFileMatchesAPlainCopy) {
    TymUtil f = util_->open();
    ASSERT_NE(f, nullptr);
    std::vector<char> shadow;
    std::mt19937 rng(11);
    std::vector<char> chunk;
    for (int op = 0; op < 4000; ++op) {
        const int64_t offset = static_cast<int64_t>(rng() % (6u << 20));
        const size_t length = 1 + rng() % (rng() % 8 == 0 ? 40000 : 700);
        if (rng() % 3 != 0 || shadow.empty()) {
            chunk.resize(length);
            for (char& c : chunk) c = static_cast<char>(rng());
            ASSERT_EQ(util_->position(f, offset), 0);
            ASSERT_EQ(util_->write(f, chunk.data(), static_cast<int64_t>(length)), 0);
            if (shadow.size() < offset + length) shadow.resize(offset + length, 0);
            std::copy(chunk.begin(), chunk.end(), shadow.begin() + offset);
        } else {
            const int64_t at = offset % static_cast<int64_t>(shadow.size());
            const size_t n = std::min(length, shadow.size() - static_cast<size_t>(at));
            chunk.assign(n, 1);
            ASSERT_EQ(util_->position(f, at), 0);
            ASSERT_EQ(util_->read(f, chunk.data(), static_cast<int64_t>(n)), 0);
            ASSERT_TRUE(std::equal(chunk.begin(), chunk.end(), shadow.begin() + at)) << "read at " << at;
        }
        ASSERT_EQ(util_->position(f, -1), 0);
        ASSERT_EQ(util_->tell(f), static_cast<int64_t>(shadow.size()));
    }
    std::vector<char> whole(shadow.size());
    ASSERT_EQ(util_->position(f, 0), 0);
    ASSERT_EQ(util_->read(f, whole.data(), static_cast<int64_t>(whole.size())), 0);
    EXPECT_TRUE(whole == shadow);
    EXPECT_EQ(util_->close(f), 0);
}

int open_descriptors() {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        (void)e;
        ++n;
    }
    return n;
}

// A file is made only when its pages no longer fit in memory; where none
// can be made, the write that needs one fails and says so, and what fitted
// reads back.
TEST_F(UtilFiles, FileMadeOnlyWhenPagesGoBack) {
    const int before = open_descriptors();
    TymUtil f = util_->open();
    ASSERT_NE(f, nullptr);
    std::vector<char> block(64 * 1024, 'a');
    ASSERT_EQ(util_->write(f, block.data(), static_cast<int64_t>(block.size())), 0);
    EXPECT_EQ(open_descriptors(), before);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(util_->write(f, block.data(), static_cast<int64_t>(block.size())), 0);
    EXPECT_EQ(open_descriptors(), before + 1);
    util_->close(f);

    // No descriptor left for the file.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    TymUtil g = util_->open();
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(util_->write(g, "kept", 4), 0);
    rlimit tight = saved;
    int lowest_free = 0;  // a new descriptor takes the lowest free number
    while (fcntl(lowest_free, F_GETFD) != -1) ++lowest_free;
    tight.rlim_cur = static_cast<rlim_t>(lowest_free);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    int rc = 0;
    for (int i = 0; i < 200 && rc == 0; ++i) rc = util_->write(g, block.data(), static_cast<int64_t>(block.size()));
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_LT(rc, 0);
    char back[4];
    ASSERT_EQ(util_->position(g, 0), 0);
    ASSERT_EQ(util_->read(g, back, 4), 0);
    EXPECT_EQ(std::string(back, 4), "kept");
    util_->close(g);
}

TEST_F(UtilFiles, StepEndRemovesFilesAndFolderOnEveryPath) {
    TymUtil a = util_->open();
    TymUtil b = util_->open();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    util_->write(a, "data", 4);
    EXPECT_LE(temp_folders(), 1);  // a folder only where files cannot be unnamed
    util_->close(a);  // b is left open, as when a step ends abruptly
    qmlp::host::data_step_end();
    EXPECT_EQ(qmlp::host::data::open_util_count(), 0);
    EXPECT_EQ(temp_folders(), 0);
    EXPECT_LT(util_->write(b, "x", 1), 0);  // the handle is gone
    EXPECT_LT(util_->close(b), 0);
    qmlp::host::data_step_begin();
}

// A child process leaves utility files, an output data set half written and
// a WORK data set behind, then ends by exit or by SIGTERM: nothing may stay.
TEST_F(UtilFiles, ExitAndTerminationLeaveNoTemporaryFiles) {
    for (const bool by_signal : {false, true}) {
        SCOPED_TRACE(by_signal ? "SIGTERM" : "exit");
        qmlp::host::data::library_shutdown();  // the child makes its own WORK folder
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            TymUtil f = util_->open();
            util_->write(f, "x", 1);
            double x = 1;
            TymDataRef work = ref("work", "kept");
            TymDataOut done = out_->create(&work, 1);
            out_->define(done, "x", 1, TYM_VAR_NUMERIC, 8, "label", &x);
            out_->write(done);
            out_->close(done, 1);
            TymDataRef half = ref("work", "half");
            TymDataOut open = out_->create(&half, 1);
            out_->define(open, "x", 1, TYM_VAR_NUMERIC, 8, nullptr, &x);
            out_->write(open);
            if (f == nullptr || open == nullptr) _exit(3);
            if (by_signal) raise(SIGTERM);
            exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (by_signal) {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), SIGTERM);
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        EXPECT_EQ(temp_folders("qmlp-"), 0);
    }
}

}  // namespace
}  // namespace datatest
