// Loading a module: the checks of the image block and the module table on
// libraries with one fault each, a sound one whose end of step unwinds
// through the library, and the real module of the build.
#include <gtest/gtest.h>

#include <filesystem>

#include "front/exit_status.h"
#include "front/host_object.h"
#include "front/module_loader.h"
#include "front/step_runner.h"
#include "front_test_support.h"

using namespace qmlp::front;

namespace {

std::string test_module(const std::string& fault) {
    return std::string(QMLP_BUILD_DIR) + "/test-modules/libfront_module_" + fault + ".so";
}

struct LoadCase {
    const char* fault;
    const char* reason;  // part of the refusal
};

class LoaderFaultTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoaderFaultTest, RefusesTheLibraryAndSaysWhy) {
    LoadedModule m;
    std::string why;
    EXPECT_FALSE(load_module(test_module(GetParam().fault), host_object(), m, &why));
    EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
    EXPECT_EQ(m.handle, nullptr);
    EXPECT_EQ(m.entry, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Faults, LoaderFaultTest,
                         ::testing::Values(LoadCase{"bad_magic", "magic number 0xDEADBEEF, expected 0xB0BDEBED"},
                                           LoadCase{"bad_name", "names the module \"other   \""},
                                           LoadCase{"bad_tag", "tag \"XYM_Image_Information="},
                                           LoadCase{"no_table", "leads to no module table"},
                                           LoadCase{"bad_level", "level \"002"},
                                           LoadCase{"no_entry_symbol", "does not export mcn_main"},
                                           LoadCase{"does_not_exist", "cannot be loaded"}));

TEST(ModuleLoader, ImageChecksCoverCountAndTableHeader) {
    LoadedModule m;
    std::string why;
    ASSERT_TRUE(load_module(test_module("good"), host_object(), m, &why)) << why;
    TymImageInfo info = *m.info;
    ProcedureEntry entry = nullptr;
    info.count = 7;
    EXPECT_FALSE(check_image(&info, &entry, &why));
    EXPECT_NE(why.find("count 7"), std::string::npos);
    info = *m.info;
    TymModuleTable table = **info.module_table;
    TymModuleTable* word = &table;
    info.module_table = &word;
    table.header1 = 0;
    EXPECT_FALSE(check_image(&info, &entry, &why));
    EXPECT_NE(why.find("header"), std::string::npos);
    table.header1 = 0xFFFF;
    table.entry = nullptr;
    EXPECT_FALSE(check_image(&info, &entry, &why));
    EXPECT_FALSE(check_image(nullptr, &entry, &why));
    unload_module(m);
}

class LoadedStepTest : public fronttest::FrontTest {};

TEST_F(LoadedStepTest, EndOfStepUnwindsThroughTheLoadedLibrary) {
    LoadedModule m;
    std::string why;
    ASSERT_TRUE(load_module(test_module("good"), host_object(), m, &why)) << why;
    ASSERT_NE(m.entry, nullptr);
    EXPECT_EQ(run_step(1, {}, m.entry, StepSettings{}), kEndBadData);
    EXPECT_EQ(steps_begun, (std::vector<int>{1}));
    EXPECT_EQ(steps_ended, 1);
    unload_module(m);
    EXPECT_EQ(m.handle, nullptr);
}

TEST(ModuleLoader, TheRealModuleLoads) {
    const std::string path = std::string(QMLP_BUILD_DIR) + "/libtymlp.so";
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    LoadedModule m;
    std::string why;
    const bool ok = load_module(path, host_object(), m, &why);
    if (!ok && why.find("does not export") != std::string::npos) GTEST_SKIP() << "the module has no entry yet";
    ASSERT_TRUE(ok) << why;
    EXPECT_NE(m.entry, nullptr);
    EXPECT_STREQ(m.info->level, "001");
    unload_module(m);
}

TEST(ModuleLoader, DefaultPathIsBesideTheRunningProgram) {
    const std::string path = default_module_path();
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(exe).parent_path());
    EXPECT_EQ(std::filesystem::path(path).filename(), "libtymlp.so");
}

}  // namespace
