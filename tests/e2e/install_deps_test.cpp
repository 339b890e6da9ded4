// tools/install-deps on a made-up machine: a folder of stand-in commands
// (dpkg-query, id, sudo, apt-get) as the whole PATH, so the script's choices
// can be seen without touching the real packages.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"

namespace {

using namespace e2e;

class InstallDeps : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        fs::create_directory(dir_ / "bin");
        fs::create_symlink("/usr/bin/env", dir_ / "bin" / "env");
        // apt-get only writes down how it was called.
        command("apt-get", "echo \"apt-get $*\" >> " + quoted((dir_ / "calls").string()));
        user_id(1000);
    }

    void command(const std::string& name, const std::string& body) {
        write("bin/" + name, "#!/bin/bash\n" + body + "\n");
        fs::permissions(dir_ / "bin" / name, fs::perms::owner_all);
    }
    void user_id(int id) { command("id", "echo " + std::to_string(id)); }
    // Every package installed, except `missing` (removed, its configuration
    // left behind: dpkg still knows it).
    void installed_except(const std::string& missing) {
        command("dpkg", "exit 0");
        command("dpkg-query",
                "if [ \"$3\" = " + quoted(missing) +
                    " ]; then printf 'deinstall ok config-files'; else printf 'install ok installed'; fi");
    }

    RunResult run_script(const std::string& args = "") {
        RunResult r;
        r.exit_status = shell("PATH=" + quoted((dir_ / "bin").string()) + " /bin/bash " +
                              quoted((fs::path(QMLP_SOURCE_DIR) / "tools" / "install-deps").string()) + " " + args +
                              " >" + quoted((dir_ / "out").string()) + " 2>" + quoted((dir_ / "err").string()));
        r.listing = slurp(dir_ / "out");
        r.log = slurp(dir_ / "err");
        return r;
    }
    std::string calls() { return slurp(dir_ / "calls"); }
};

TEST_F(InstallDeps, SilentWithoutAptGetWhenEverythingIsInstalled) {
    installed_except("");
    const RunResult r = run_script();
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.listing + r.log, "");
    EXPECT_EQ(calls(), "");
}

TEST_F(InstallDeps, PrintsTheCommandWhenItMayNotInstall) {
    installed_except("zlib1g-dev");
    command("sudo", "exit 1");  // asks for a password
    const RunResult r = run_script();
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_TRUE(contains(r.log, "apt-get update && apt-get install -y --no-install-recommends zlib1g-dev")) << r.log;
    EXPECT_EQ(calls(), "");
}

TEST_F(InstallDeps, InstallsOnlyWhatIsMissingAsRootOrThroughSudo) {
    installed_except("libcli11-dev");
    user_id(0);
    EXPECT_EQ(run_script().exit_status, 0);
    EXPECT_EQ(calls(), "apt-get update\napt-get install -y --no-install-recommends libcli11-dev\n");

    fs::remove(dir_ / "calls");
    user_id(1000);
    command("sudo", "[ \"$1\" = -n ] || exit 1; shift; \"$@\"");
    EXPECT_EQ(run_script().exit_status, 0);
    EXPECT_EQ(calls(), "apt-get update\napt-get install -y --no-install-recommends libcli11-dev\n");
}

TEST_F(InstallDeps, ListsItsPackagesAndRefusesUnknownOptions) {
    const RunResult list = run_script("--list");
    EXPECT_EQ(list.exit_status, 0);
    EXPECT_TRUE(contains(list.listing, "glpk-utils\n")) << list.listing;
    const RunResult bad = run_script("--bogus");
    EXPECT_EQ(bad.exit_status, 64);
    EXPECT_TRUE(contains(bad.log, "unknown option")) << bad.log;
}

}  // namespace
