// The module's folders are layers: a file includes headers only from its own
// folder or from a folder below it, and the folders' include graph has no
// cycle.  README lists the same order; this test reads every #include line
// of the module, and checks README against the order held here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// From the ground up.  A folder may include from any folder listed before it.
const std::vector<std::string> kLayers = {"base",    "stream", "input",    "output",   "factor", "presolve",
                                          "simplex", "dual",   "integer", "cuts", "heuristics", "analysis", "report", "control"};

struct Violation {
    std::string file;  // relative to the module root
    std::string include;
    std::string why;
};

int layer_of(const std::string& folder) {
    const auto it = std::find(kLayers.begin(), kLayers.end(), folder);
    return it == kLayers.end() ? -1 : static_cast<int>(it - kLayers.begin());
}

bool is_source(const fs::path& p) {
    const std::string ext = p.extension().string();
    return ext == ".h" || ext == ".cpp";
}

// The quoted includes of one file.
std::vector<std::string> quoted_includes(const fs::path& file) {
    static const std::regex include_line(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<std::string> found;
    std::ifstream in(file);
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_search(line, m, include_line)) found.push_back(m[1]);
    return found;
}

// Every breach of the layer order below `root`, plus the folder graph in
// `graph` (folder -> folders it includes from).
std::vector<Violation> check_layers(const fs::path& root, std::map<std::string, std::set<std::string>>* graph) {
    std::vector<Violation> out;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || !is_source(entry.path())) continue;
        const fs::path rel = fs::relative(entry.path(), root);
        const std::string rel_text = rel.generic_string();
        if (rel.begin() == rel.end() || std::next(rel.begin()) == rel.end()) continue;  // files at the root
        const std::string folder = rel.begin()->string();
        const int own = layer_of(folder);
        if (own < 0) {
            out.push_back({rel_text, "", "folder '" + folder + "' is not in the layer order"});
            continue;
        }
        for (const std::string& inc : quoted_includes(entry.path())) {
            const auto slash = inc.find('/');
            if (slash == std::string::npos) continue;  // the boundary headers of include/
            const std::string target = inc.substr(0, slash);
            const int theirs = layer_of(target);
            if (theirs < 0) {
                out.push_back({rel_text, inc, "folder '" + target + "' is not in the layer order"});
                continue;
            }
            if (target != folder) (*graph)[folder].insert(target);
            if (theirs > own) out.push_back({rel_text, inc, "'" + target + "' is above '" + folder + "'"});
        }
    }
    return out;
}

// A cycle of the folder graph as "a -> b -> a", or empty.
std::string find_cycle(const std::map<std::string, std::set<std::string>>& graph) {
    std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
    std::vector<std::string> path;
    std::string cycle;
    std::function<bool(const std::string&)> visit = [&](const std::string& node) {
        state[node] = 1;
        path.push_back(node);
        const auto it = graph.find(node);
        if (it != graph.end()) {
            for (const std::string& next : it->second) {
                if (state[next] == 1) {
                    auto from = std::find(path.begin(), path.end(), next);
                    for (; from != path.end(); ++from) cycle += *from + " -> ";
                    cycle += next;
                    return true;
                }
                if (state[next] == 0 && visit(next)) return true;
            }
        }
        path.pop_back();
        state[node] = 2;
        return false;
    };
    for (const auto& [node, _] : graph)
        if (state[node] == 0 && visit(node)) break;
    return cycle;
}

std::string describe(const std::vector<Violation>& violations) {
    std::ostringstream text;
    for (const Violation& v : violations) text << v.file << ": #include \"" << v.include << "\": " << v.why << '\n';
    return text.str();
}

void write_file(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

class PlantedTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("qmlp_layers_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        write_file(root_ / "base/lp_context.h", "#pragma once\n#include \"tym_host.h\"\n");
        write_file(root_ / "simplex/phases.h", "#pragma once\n#include \"base/lp_context.h\"\n");
        write_file(root_ / "control/driver.cpp", "#include \"simplex/phases.h\"\n#include <vector>\n");
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

TEST_F(PlantedTree, ASoundTreePasses) {
    std::map<std::string, std::set<std::string>> graph;
    EXPECT_EQ(describe(check_layers(root_, &graph)), "");
    EXPECT_EQ(find_cycle(graph), "");
}

TEST_F(PlantedTree, AnUpwardIncludeIsCaughtWithItsFileAndHeader) {
    write_file(root_ / "simplex/pricing.cpp", "#include \"simplex/phases.h\"\n  #  include \"control/driver.h\"\n");
    std::map<std::string, std::set<std::string>> graph;
    const std::vector<Violation> found = check_layers(root_, &graph);
    ASSERT_EQ(found.size(), 1u) << describe(found);
    EXPECT_EQ(found[0].file, "simplex/pricing.cpp");
    EXPECT_EQ(found[0].include, "control/driver.h");
}

TEST_F(PlantedTree, AFolderOutsideTheOrderIsCaught) {
    write_file(root_ / "misc/helper.h", "#pragma once\n");
    write_file(root_ / "base/uses_misc.cpp", "#include \"misc/helper.h\"\n");
    std::map<std::string, std::set<std::string>> graph;
    EXPECT_EQ(check_layers(root_, &graph).size(), 2u);
}

TEST(LayerGraph, ACycleIsNamed) {
    const std::map<std::string, std::set<std::string>> graph = {
        {"control", {"report"}}, {"report", {"simplex"}}, {"simplex", {"control"}}};
    EXPECT_EQ(find_cycle(graph), "control -> report -> simplex -> control");
    EXPECT_EQ(find_cycle({{"control", {"report"}}, {"report", {"base"}}}), "");
}

TEST(ModuleLayers, EveryIncludeOfTheModuleFollowsTheOrder) {
    const fs::path root = fs::path(QMLP_SOURCE_DIR) / "module";
    ASSERT_TRUE(fs::is_directory(root)) << root;
    std::map<std::string, std::set<std::string>> graph;
    const std::vector<Violation> found = check_layers(root, &graph);
    EXPECT_TRUE(found.empty()) << describe(found);
    EXPECT_EQ(find_cycle(graph), "");
}

// README's code layout names the layers from the ground up in the sentence
// that starts "Layers, from the ground up:"; it must say what this test holds.
TEST(ModuleLayers, ReadmeListsTheSameOrder) {
    std::ifstream in(fs::path(QMLP_SOURCE_DIR) / "README.md");
    ASSERT_TRUE(in) << "README.md";
    std::stringstream whole;
    whole << in.rdbuf();
    const std::string text = whole.str();
    const std::string marker = "Layers, from the ground up:";
    const auto at = text.find(marker);
    ASSERT_NE(at, std::string::npos) << "README has no sentence starting \"" << marker << "\"";
    const auto stop = text.find(". ", at);
    const std::string listed =
        text.substr(at + marker.size(), stop == std::string::npos ? std::string::npos : stop - at);
    std::vector<std::string> names;
    static const std::regex name_pattern(R"(`([a-z]+)/?`)");
    for (std::sregex_iterator it(listed.begin(), listed.end(), name_pattern), end; it != end; ++it)
        names.push_back((*it)[1]);
    EXPECT_EQ(names, kLayers) << listed;
}

}  // namespace
