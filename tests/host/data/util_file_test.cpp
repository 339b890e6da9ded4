// Utility files: byte positioning, exact reads, clean-up at the end of a step.
#include <random>

#include "data/data_internal.h"
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
    int step_folders() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().rfind("qmlp-step-", 0) == 0) ++n;
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

TEST_F(UtilFiles, StepEndRemovesFilesAndFolderOnEveryPath) {
    TymUtil a = util_->open();
    TymUtil b = util_->open();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    util_->write(a, "data", 4);
    EXPECT_EQ(step_folders(), 1);
    util_->close(a);  // b is left open, as when a step ends abruptly
    qmlp::host::data_step_end();
    EXPECT_EQ(qmlp::host::data::open_util_count(), 0);
    EXPECT_EQ(step_folders(), 0);
    EXPECT_LT(util_->write(b, "x", 1), 0);  // the handle is gone
    EXPECT_LT(util_->close(b), 0);
    qmlp::host::data_step_begin();
}

}  // namespace
}  // namespace datatest
