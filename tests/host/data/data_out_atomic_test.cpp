// Output data sets appear whole or not at all.
#include <sys/stat.h>

#include "data/data_internal.h"
#include "data_fixture.h"

namespace datatest {
namespace {

// Files in the folder other than the ones named.
std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class AtomicOutput : public DataTest {
  protected:
    TymDataOut start(const std::string& member, double* slot) {
        TymDataRef r = ref("t", member);
        TymDataOut out = out_->create(&r, 1);
        EXPECT_NE(out, nullptr) << errors();
        out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "lbl", slot);
        return out;
    }
};

TEST_F(AtomicOutput, CloseWithoutCommitLeavesNoFile) {
    double x = 1;
    TymDataOut out = start("gone", &x);
    for (int i = 0; i < 20000; ++i) out_->write(out);  // enough to reach the disk
    EXPECT_EQ(entries(dir_).size(), 1u);               // only the temporary file
    EXPECT_EQ(out_->close(out, 0), 0);
    EXPECT_TRUE(entries(dir_).empty());
    EXPECT_FALSE(qmlp::host::last_dataset().has_value());
}

TEST_F(AtomicOutput, AbortedRewriteKeepsTheEarlierVersion) {
    write_file(file("keep.csv"), "x\n42\n");
    double x = 7;
    TymDataOut out = start("keep", &x);
    out_->write(out);
    out_->close(out, 0);
    EXPECT_EQ(read_file(file("keep.csv")), "x\n42\n");
    EXPECT_EQ(entries(dir_), std::vector<std::string>{"keep.csv"});
}

// A commit that fails at the very end (the target turned into a folder
// while the step ran) keeps nothing new, and the command learns that an
// output was lost, once, so that it does not end as a success.
TEST_F(AtomicOutput, AFailedCommitIsRememberedForTheExitStatus) {
    EXPECT_FALSE(qmlp::host::data_output_lost());
    double x = 3;
    TymDataOut out = start("late", &x);
    out_->write(out);
    fs::create_directory(file("late.csv"));
    EXPECT_LT(out_->close(out, 1), 0);
    EXPECT_TRUE(fs::is_directory(file("late.csv")));
    EXPECT_TRUE(qmlp::host::data_output_lost());
    EXPECT_FALSE(qmlp::host::data_output_lost());
}

TEST_F(AtomicOutput, StepEndDiscardsWhatTheModuleLeftOpen) {
    write_file(file("open.csv"), "x\n1\n");
    double x = 2;
    TymDataOut out = start("open", &x);
    out_->write(out);
    qmlp::host::data_step_end();
    EXPECT_EQ(qmlp::host::data::open_output_count(), 0);
    EXPECT_EQ(entries(dir_), std::vector<std::string>{"open.csv"});
    EXPECT_EQ(read_file(file("open.csv")), "x\n1\n");
    EXPECT_LT(out_->write(out), 0);  // the handle is gone
    qmlp::host::data_step_begin();
}

TEST_F(AtomicOutput, CommitReplacesTheTargetAndBecomesTheLastDataSet) {
    write_file(file("new.csv"), "old\n1\n");
    double x = 3;
    TymDataOut out = start("new", &x);
    // A reader of the old version keeps reading it while it is replaced.
    TymDataRef r = ref("t", "new");
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0);
    EXPECT_EQ(read_file(file("new.csv")), "x\n3\n");
    EXPECT_EQ(read_file(file("new.labels")), "x=lbl\n");
    double old = 0;
    in_->bind(in, 1, &old, 8);
    ASSERT_EQ(in_->read_next(in), 0);
    EXPECT_EQ(old, 1);
    auto last = qmlp::host::last_dataset();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(qmlp::host::dataset_display_name(*last), "T.NEW");
    struct stat st;
    ASSERT_EQ(stat(file("new.csv").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0044, 0u);  // readable like any new file, not 0600
}

TEST_F(AtomicOutput, UnwritableOrMissingFolderIsAnError) {
    if (geteuid() != 0) {
        fs::create_directory(file("ro"));
        fs::permissions(file("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        ASSERT_TRUE(qmlp::host::libname_assign("ro", file("ro").string()));
        TymDataRef r = ref("ro", "x");
        EXPECT_EQ(out_->create(&r, 1), nullptr);
        EXPECT_NE(errors().find("not writable"), std::string::npos) << errors();
        EXPECT_NE(errors().find(file("ro").string()), std::string::npos) << errors();
    }
    TymDataRef p = path_ref((dir_ / "no" / "such" / "x.csv").string());
    EXPECT_EQ(out_->create(&p, 1), nullptr);
    EXPECT_NE(errors().find("does not exist"), std::string::npos) << errors();
    fs::create_directory(file("adir.csv"));
    TymDataRef d = ref("t", "adir");
    EXPECT_EQ(out_->create(&d, 1), nullptr);
    EXPECT_NE(errors().find("is a folder"), std::string::npos) << errors();
}

TEST_F(AtomicOutput, QuotedPathsWriteExactlyThere) {
    const std::string path = (dir_ / "sub.out.csv").string();
    TymDataRef p = path_ref(path);
    double x = 9;
    TymDataOut out = out_->create(&p, 1);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out_->name(out)), path);
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, "L", &x);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0);
    EXPECT_EQ(read_file(path), "x\n9\n");
    EXPECT_TRUE(fs::exists(dir_ / "sub.out.labels"));
}

}  // namespace
}  // namespace datatest

namespace datatest {
namespace {

TEST_F(AtomicOutput, ATargetThatIsNotARegularFileIsRefusedAndLeftAlone) {
    // Renaming the finished file over a pipe or a device would replace it.
    const std::string pipe = file("pipe.csv");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    TymDataRef r = ref("t", "pipe");
    EXPECT_EQ(out_->create(&r, 1), nullptr);
    EXPECT_NE(errors().find("not a regular file"), std::string::npos) << errors();
    struct stat st;
    ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(entries(dir_), std::vector<std::string>{"pipe.csv"});
}

}  // namespace
}  // namespace datatest
