// search_resume_harness_test.cpp -- random searches stopped and continued,
// and continuation data sets edited, against the uninterrupted search.
//
// Round trips: a random MIP (tests/support/random_mip.h) is solved once
// without a stop, then stopped at a point the seed picks (IMAXIT, MAXIT3,
// TIME, QUIT SAVE at an integer pause) with ACTIVEOUT and PRIMALOUT, and
// continued from each: the continuation must reach the same ending and
// optimum, with exit status 0.  A process killed after its ACTIVEOUT was
// committed leaves a data set that continues the same way.
//
// Edits: a stopped search's ACTIVEOUT and PRIMALOUT are edited field by
// field (missing, special and out-of-range values, other words), line by
// line (deleted, doubled, swapped, cut after) and swapped for another
// problem's; every edited data set must either be refused (BADDATA_ERROR,
// an ERROR in the log, exit status 3) or lead to the uninterrupted
// search's optimum.  None may end in another optimum called SUCCESSFUL.
//
// SearchResume* run a few hundred cases in `make test`; SearchResumeMany
// (label slow) runs thousands.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "random_mip.h"

namespace e2e {
namespace {

constexpr double kObjectiveTolerance = 1e-6;
constexpr int kUnlimited = 100000;
constexpr size_t kStepsPerProgram = 40;

std::string field(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        if (token.rfind(key + "=", 0) == 0) return token.substr(key.size() + 1);
    return {};
}

double number(const std::string& text, const std::string& key) {
    return std::strtod(field(text, key).c_str(), nullptr);
}

bool same_optimum(const std::string& a, const std::string& b) {
    if (field(a, "STATUS") != field(b, "STATUS")) return false;
    if (field(a, "STATUS") != "SUCCESSFUL") return true;
    const double x = number(a, "OBJECTIVE");
    const double y = number(b, "OBJECTIVE");
    return std::fabs(x - y) <= kObjectiveTolerance * std::max(1.0, std::fabs(y));
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> out;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ',')) out.push_back(cell);
    if (!line.empty() && line.back() == ',') out.push_back("");
    return out;
}

std::string line_of(const std::vector<std::string>& cells) {
    std::string out;
    for (size_t k = 0; k < cells.size(); ++k) out += (k > 0 ? "," : "") + cells[k];
    return out;
}

fs::path scratch() {
    char pattern[] = "/tmp/qmlp-resume-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return {};
    return pattern;
}

struct Program {
    int exit_status = -1;
    std::string log;
    // The _QMLP_ of each step, by the RESULTk lines the program puts.
    std::string result(size_t k) const {
        const std::string tag = "RESULT" + std::to_string(k) + " ";
        const size_t at = log.find(tag);
        if (at == std::string::npos) return {};
        return log.substr(at + tag.size(), log.find('\n', at) - at - tag.size());
    }
};

Program run_in(const fs::path& dir, const std::string& program) {
    std::ofstream(dir / "run.qmlp") << program;
    Program p;
    p.exit_status = shell("timeout 300 " + quoted(qmlp_binary().string()) + " --lib " + quoted(dir.string()) +
                          " --log " + quoted((dir / "log.txt").string()) + " --listing /dev/null " +
                          quoted((dir / "run.qmlp").string()) + " </dev/null >/dev/null 2>&1");
    p.log = slurp(dir / "log.txt");
    return p;
}

// One LP step on p, with no integer iteration limit unless `options` sets one.
std::string step(const std::string& options, size_t k) {
    const std::string limit = contains(options, "imaxit=") ? "" : " imaxit=" + std::to_string(kUnlimited);
    return "LP data=p" + limit + " " + options + ";\nRUN;\n%PUT RESULT" + std::to_string(k) + " &_QMLP_;\n";
}

std::string finish(const fs::path& dir, std::string why) {
    std::error_code ec;
    if (why.empty())
        fs::remove_all(dir, ec);
    else
        why += " [files kept in " + dir.string() + "]";
    return why;
}

// A random MIP whose search takes a few integer iterations at least.
void write_problem(const fs::path& dir, const randmip::Problem& p, bool sparse) {
    std::ofstream(dir / "p.csv") << (sparse ? randmip::sparse_csv(p) : randmip::dense_csv(p));
}

std::string layout(uint64_t seed) { return seed % 2 == 1 ? "sparsedata" : ""; }

// One round trip.  "" when both continuations reach the uninterrupted
// search's ending, else what differs.
std::string round_trip(uint64_t seed) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    const randmip::Problem p = seed % 3 == 0 ? randmip::generate_fractional(seed) : randmip::generate(seed);
    write_problem(dir, p, seed % 2 == 1);
    const Program whole_run = run_in(dir, step(layout(seed), 0));
    const std::string whole = whole_run.result(0);
    const std::string status = field(whole, "STATUS");
    // Only a search that ran has a point to stop at.
    const int iterations = static_cast<int>(number(whole, "INT_ITER"));
    const int pivots = static_cast<int>(number(whole, "PHASE3_ITER"));
    if ((status != "SUCCESSFUL" && status != "INT_INFEASIBLE") || iterations < 1) return finish(dir, "");

    std::string stop;
    std::string after = "";
    switch (seed % 4) {
        case 0: stop = "imaxit=" + std::to_string(1 + seed * 7 % static_cast<uint64_t>(iterations)); break;
        case 1: stop = "maxit3=" + std::to_string(1 + seed * 11 % static_cast<uint64_t>(pivots + 1)); break;
        case 2: stop = "time=0.0005"; break;
        default:
            stop = "ipause=" + std::to_string(1 + seed * 5 % static_cast<uint64_t>(iterations));
            after = "QUIT SAVE;\n";
            break;
    }
    const std::string limit = contains(stop, "imaxit=") ? "" : " imaxit=" + std::to_string(kUnlimited);
    const std::string stopping = "LP data=p" + limit + " " + layout(seed) + " " + stop +
                                 " activeout=ao primalout=po;\nRUN;\n" + after + "%PUT RESULT0 &_QMLP_;\n";
    const Program stopped = run_in(dir, stopping);
    std::ostringstream why;
    if (!fs::exists(dir / "ao.csv")) {
        // A stop before the search began (TIME): nothing to go on from, but
        // nothing wrong may have been claimed either.
        if (field(stopped.result(0), "STATUS") == "SUCCESSFUL" && !same_optimum(stopped.result(0), whole))
            why << stop << ": " << stopped.result(0) << " against " << whole;
        return finish(dir, why.str());
    }
    const Program going_on =
        run_in(dir, step(layout(seed) + " activein=ao", 0) + step(layout(seed) + " primalin=po", 1));
    if (going_on.exit_status != 0) why << stop << ": exit status " << going_on.exit_status << "; ";
    if (!same_optimum(going_on.result(0), whole))
        why << stop << ", ACTIVEIN: " << going_on.result(0) << " against " << whole << "; ";
    if (!same_optimum(going_on.result(1), whole))
        why << stop << ", PRIMALIN: " << going_on.result(1) << " against " << whole << "; ";
    return finish(dir, why.str());
}

void check_round_trips(uint64_t first, int count) {
    std::ostringstream wrong;
    int differences = 0;
    for (int k = 0; k < count; ++k) {
        const uint64_t seed = first + static_cast<uint64_t>(k);
        const std::string why = round_trip(seed);
        if (!why.empty()) ++differences, wrong << "seed " << seed << ": " << why << '\n';
    }
    EXPECT_EQ(differences, 0) << wrong.str();
}

// ---- edits

// A knapsack of twenty columns, two of them general integers: the search
// stopped at 40 integer iterations keeps several nodes, bounds other than
// 0 and 1, and an incumbent.
std::string edit_base_problem() {
    constexpr int kItems = 20;
    std::ostringstream csv;
    csv << "_ID_,_TYPE_";
    for (int j = 1; j <= kItems; ++j) csv << ",x" << j;
    csv << ",_RHS_\nvalue,MAX";
    for (int j = 1; j <= kItems; ++j) csv << ',' << 10 + j + (j * 7) % 13;
    csv << ",.\nweight,LE";
    for (int j = 1; j <= kItems; ++j) csv << ',' << 10 + j;
    csv << ",101\nup,UPPERBD";
    for (int j = 1; j <= kItems; ++j) csv << (j == 3 ? ",3" : j == 7 ? ",2" : ",1");
    csv << ",.\nint,INTEGER";
    for (int j = 1; j <= kItems; ++j) csv << ",1";
    csv << ",.\n";
    return csv.str();
}

// The edited copies of a data set: every cell of every observation set to
// each of a few values, and every line deleted, doubled, swapped with the
// next and cut after.
std::vector<std::string> edits_of(const std::string& text) {
    static const char* const kValues[] = {".",   ".I",   "",  "1e300",   "-1",     "130",
                                          "0.5", "-200", "3", "INTBEST", "UPPERBD"};
    const std::vector<std::string> lines = lines_of(text);
    std::vector<std::string> out;
    for (size_t k = 1; k < lines.size(); ++k) {
        const std::vector<std::string> cells = cells_of(lines[k]);
        for (size_t c = 0; c < cells.size(); ++c)
            for (const char* v : kValues) {
                if (cells[c] == v) continue;
                std::vector<std::string> edited = lines;
                std::vector<std::string> changed = cells;
                changed[c] = v;
                edited[k] = line_of(changed);
                out.push_back(joined(edited));
            }
        std::vector<std::string> deleted = lines;
        deleted.erase(deleted.begin() + static_cast<long>(k));
        out.push_back(joined(deleted));
        std::vector<std::string> doubled = lines;
        doubled.insert(doubled.begin() + static_cast<long>(k), lines[k]);
        out.push_back(joined(doubled));
        if (k + 1 < lines.size()) {
            std::vector<std::string> swapped = lines;
            std::swap(swapped[k], swapped[k + 1]);
            out.push_back(joined(swapped));
        }
        out.push_back(joined(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(k))));
    }
    return out;
}

// Runs the edited data sets, every `stride`-th from `offset`, as ACTIVEIN
// (or PRIMALIN) of the problem; each must be refused or reach `whole`.
struct Tally {
    int refused = 0;
    int used = 0;
};

std::string judge_edits(const fs::path& dir, const std::vector<std::string>& edits, const std::string& option,
                        const std::string& whole, size_t offset, size_t stride, Tally* tally) {
    std::ostringstream why;
    std::vector<size_t> chosen;
    for (size_t k = offset; k < edits.size(); k += stride) chosen.push_back(k);
    for (size_t first = 0; first < chosen.size(); first += kStepsPerProgram) {
        std::string program;
        const size_t last = std::min(chosen.size(), first + kStepsPerProgram);
        for (size_t k = first; k < last; ++k) {
            const std::string name = "e" + std::to_string(chosen[k]);
            std::ofstream(dir / (name + ".csv")) << edits[chosen[k]];
            program += step(option + "=" + name, k - first);
        }
        const Program run = run_in(dir, program);
        bool refused_any = false;
        for (size_t k = first; k < last; ++k) {
            const std::string result = run.result(k - first);
            if (field(result, "STATUS") == "BADDATA_ERROR") {
                refused_any = true;
                ++tally->refused;
                continue;
            }
            ++tally->used;
            if (!same_optimum(result, whole))
                why << option << " edit " << chosen[k] << ": " << (result.empty() ? "no result" : result) << " against "
                    << whole << "\n";
        }
        if (refused_any && (run.exit_status != 3 || !contains(run.log, "ERROR:")))
            why << option << " edits " << chosen[first] << " to " << chosen[last - 1]
                << ": a refusal without ERROR or exit status 3 (" << run.exit_status << ")\n";
    }
    return why.str();
}

// The uninterrupted search, a stopped one's ACTIVEOUT and PRIMALOUT, and
// their edits judged.
std::string check_edits(const std::string& problem, const std::string& stop, size_t offset, size_t stride) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    std::ofstream(dir / "p.csv") << problem;
    const std::string whole = run_in(dir, step("", 0)).result(0);
    run_in(dir, step(stop + " activeout=ao primalout=po", 0));
    if (!fs::exists(dir / "ao.csv") || !fs::exists(dir / "po.csv"))
        return finish(dir, "the stopped search wrote nothing");
    Tally active;
    Tally primal;
    std::string why = judge_edits(dir, edits_of(slurp(dir / "ao.csv")), "activein", whole, offset, stride, &active);
    why += judge_edits(dir, edits_of(slurp(dir / "po.csv")), "primalin", whole, offset, stride, &primal);
    // Both kinds of outcome occur, or the edits did not reach the readers.
    if (active.refused == 0 || active.used == 0 || primal.refused == 0 || primal.used == 0)
        why += "ACTIVEIN edits refused " + std::to_string(active.refused) + ", used " + std::to_string(active.used) +
               "; PRIMALIN edits refused " + std::to_string(primal.refused) + ", used " + std::to_string(primal.used);
    return finish(dir, why);
}

// Another problem's ACTIVEOUT with the same column names: refused, or the
// search still reaches this problem's optimum.
std::string check_foreign(uint64_t seed) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    randmip::Problem mine = randmip::generate(seed);
    randmip::Problem other = randmip::generate(seed + 7919);
    if (mine.columns() != other.columns()) return finish(dir, "");
    std::ofstream(dir / "p.csv") << randmip::dense_csv(other);
    run_in(dir, step("imaxit=2 activeout=ao primalout=po", 0));
    std::ofstream(dir / "p.csv") << randmip::dense_csv(mine);
    const std::string whole = run_in(dir, step("", 0)).result(0);
    if (!fs::exists(dir / "ao.csv")) return finish(dir, "");
    const Program run = run_in(dir, step("activein=ao", 0) + step("primalin=po", 1));
    std::ostringstream why;
    for (size_t k = 0; k < 2; ++k) {
        const std::string result = run.result(k);
        if (field(result, "STATUS") != "BADDATA_ERROR" && !same_optimum(result, whole))
            why << (k == 0 ? "ACTIVEIN" : "PRIMALIN") << ": " << result << " against " << whole << "; ";
    }
    return finish(dir, why.str());
}

// A process killed after its first step committed ACTIVEOUT: the data set
// is whole and the search goes on from it.
std::string check_killed(uint64_t seed) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    std::ofstream(dir / "p.csv") << edit_base_problem();
    const std::string whole = run_in(dir, step("", 0)).result(0);
    // A long second step: a subset sum with no integer point.
    std::ostringstream hard;
    hard << "_ID_,_TYPE_";
    for (int j = 1; j <= 40; ++j) hard << ",x" << j;
    hard << ",_RHS_\ncost,MIN";
    for (int j = 1; j <= 40; ++j) hard << ",1";
    hard << ",.\nsum,EQ";
    int total = 0;
    for (int j = 1; j <= 40; ++j) hard << ',' << 1000 + 37 * j, total += 1000 + 37 * j;
    hard << ',' << total / 2 << ".5\nbin,BINARY";
    for (int j = 1; j <= 40; ++j) hard << ",1";
    hard << ",.\n";
    std::ofstream(dir / "hard.csv") << hard.str();
    std::ofstream(dir / "run.qmlp") << "LP data=p imaxit=" << 2 + seed % 20 << " activeout=ao;\nRUN;\n"
                                    << "LP data=hard imaxit=100000000;\nRUN;\n";
    const std::string d = quoted(dir.string());
    shell("cd " + d + " && (" + quoted(qmlp_binary().string()) +
          " --lib . --log killed.log --listing /dev/null run.qmlp </dev/null >/dev/null 2>&1 & pid=$!; "
          "for i in $(seq 400); do [ -f ao.csv ] && break; sleep 0.025; done; sleep 0.05; kill -9 $pid; "
          "wait $pid) >/dev/null 2>&1");
    if (!fs::exists(dir / "ao.csv")) return finish(dir, "no ACTIVEOUT was committed");
    const std::string resumed = run_in(dir, step("activein=ao", 0)).result(0);
    if (!same_optimum(resumed, whole)) return finish(dir, resumed + " against " + whole);
    return finish(dir, "");
}

TEST(SearchResumeRoundTrips, StoppedSearchesGoOnToTheSameOptimum) { check_round_trips(1, 60); }

TEST(SearchResumeRoundTrips, AKilledRunLeavesAUsableActiveout) {
    std::ostringstream wrong;
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        const std::string why = check_killed(seed);
        if (!why.empty()) wrong << "seed " << seed << ": " << why << '\n';
    }
    EXPECT_TRUE(wrong.str().empty()) << wrong.str();
}

TEST(SearchResumeEdits, EditedDataSetsAreRefusedOrSound) {
    const std::string why = check_edits(edit_base_problem(), "imaxit=40", 0, 11);
    EXPECT_TRUE(why.empty()) << why;
}

TEST(SearchResumeEdits, AnotherProblemsDataSetsAreRefusedOrSound) {
    std::ostringstream wrong;
    for (uint64_t seed = 1; seed <= 30; ++seed) {
        const std::string why = check_foreign(seed);
        if (!why.empty()) wrong << "seed " << seed << ": " << why << '\n';
    }
    EXPECT_TRUE(wrong.str().empty()) << wrong.str();
}

class SearchResumeMany : public ::testing::TestWithParam<int> {};
TEST_P(SearchResumeMany, StoppedSearchesGoOnToTheSameOptimum) {
    check_round_trips(1000 + static_cast<uint64_t>(GetParam()) * 100, 100);
}
TEST_P(SearchResumeMany, EditedDataSetsAreRefusedOrSound) {
    if (GetParam() >= 4) GTEST_SKIP() << "the edits run in four parts";
    const std::string why = check_edits(edit_base_problem(), "imaxit=" + std::to_string(36 + 3 * GetParam()),
                                        static_cast<size_t>(GetParam()), 4);
    EXPECT_TRUE(why.empty()) << why;
}
INSTANTIATE_TEST_SUITE_P(Seeds, SearchResumeMany, ::testing::Range(0, 20));

}  // namespace
}  // namespace e2e
