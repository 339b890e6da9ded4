// Libraries, names and the files behind them.
#include "data/library.h"
#include "data_fixture.h"

namespace datatest {
namespace {

using qmlp::host::dataset_display_name;
using qmlp::host::libname_assign;

TEST_F(DataTest, DisplayNamesOfTheThreeForms) {
    EXPECT_EQ(dataset_display_name(ref("", "prob")), "PROB");
    EXPECT_EQ(dataset_display_name(ref("mylib", "Prob")), "MYLIB.PROB");
    EXPECT_EQ(dataset_display_name(path_ref("/x/My File.csv")), "/x/My File.csv");
}

TEST_F(DataTest, LibnameChecksNameAndFolder) {
    EXPECT_FALSE(libname_assign("1lib", dir_.string()));
    EXPECT_FALSE(libname_assign("ok", (dir_ / "missing").string()));
    EXPECT_NE(errors().find("does not exist"), std::string::npos);
    fs::create_directory(file("sub"));
    write_file(file("sub/Prob.csv"), "a\n1\n");  // mixed case on disk
    ASSERT_TRUE(libname_assign("Other", file("sub").string()));
    TymDataRef r = ref("OTHER", "PROB");
    TymDataIn ds = in_->open(&r);
    ASSERT_NE(ds, nullptr) << errors();
    EXPECT_STREQ(in_->name(ds), "OTHER.PROB");
}

TEST_F(DataTest, DefaultLibraryIsTheConfiguredFolder) {
    write_file(file("plain.csv"), "a\n1\n");
    TymDataRef r = ref("", "Plain");
    EXPECT_NE(in_->open(&r), nullptr) << errors();
}

TEST_F(DataTest, WorkLibraryIsATemporaryFolderRemovedAtShutdown) {
    TymDataRef r = ref("work", "tmp1");
    double x = 1;
    TymDataOut out = out_->create(&r, 1);
    ASSERT_NE(out, nullptr) << errors();
    out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, nullptr, &x);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0);
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr);
    qmlp::host::data::DataFile f;
    ASSERT_TRUE(qmlp::host::data::resolve_data_file(r, true, f));
    EXPECT_TRUE(fs::exists(f.file));
    EXPECT_TRUE(qmlp::host::data::in_work_library(f.folder));
    in_->close(in);
    qmlp::host::data::library_shutdown();
    EXPECT_FALSE(fs::exists(f.folder));
}

}  // namespace
}  // namespace datatest

// The data part logs through the output part; when that part is not linked
// into a test program these stand-ins keep the log quiet.
namespace qmlp::host {
__attribute__((weak)) void log_line(Severity, std::string_view) {}
__attribute__((weak)) void log_raw(std::string_view) {}
}  // namespace qmlp::host
