// progress_line_test.cpp -- the text of the live progress line, that a
// redirected standard error never receives it unless asked, and that it
// stays below other text while a solve runs.
#include <gtest/gtest.h>

#include "host_api.h"
#include "output/progress_line.h"

namespace qmlp::host::output {
namespace {

TymProgress report(int stage) {
    TymProgress p{};
    p.size = sizeof p;
    p.stage = stage;
    p.objective = missing_value('.');
    p.infeasibility = 0.0;
    p.incumbent = missing_value('.');
    p.best_bound = missing_value('.');
    return p;
}

TEST(ProgressLine, TextShowsPhaseOrSearchAndTheClock) {
    TymProgress p = report(TYM_PROGRESS_SIMPLEX);
    p.phase = 1;
    p.iterations = 1234;
    p.infeasibility = 71802.21335;
    EXPECT_EQ(progress_text(p, 3500), "phase 1  iter 1234  obj -  infeas 71802.21335  0:03");
    p.phase = 2;
    p.objective = -464.75;
    p.infeasibility = 0.0;
    EXPECT_EQ(progress_text(p, 61000), "phase 2  iter 1234  obj -464.75  infeas 0  1:01");

    TymProgress b = report(TYM_PROGRESS_INTEGER);
    b.nodes = 533;
    b.active = 116;
    b.iterations = 6008;
    EXPECT_EQ(progress_text(b, 0), "nodes 533  active 116  incumbent -  bound -  gap -  iter 6008  0:00");
    b.incumbent = 7615;
    b.best_bound = 6931;
    // The gap is relative to the incumbent.
    EXPECT_EQ(progress_text(b, 0), "nodes 533  active 116  incumbent 7615  bound 6931  gap 8.98%  iter 6008  0:00");
}

TEST(ProgressLine, NothingIsWrittenWhenSwitchedOff) {
    progress_configure(0);
    testing::internal::CaptureStderr();
    TymProgress p = report(TYM_PROGRESS_SIMPLEX);
    progress_report(&p);
    progress_clear();
    p.stage = TYM_PROGRESS_DONE;
    progress_report(&p);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // Forced on, the line is drawn and taken away with a carriage return
    // and an erase to the end of the line.
    progress_configure(1);
    testing::internal::CaptureStderr();
    p.stage = TYM_PROGRESS_SIMPLEX;
    p.phase = 2;
    progress_report(&p);
    progress_clear();
    progress_clear();  // a second clear writes nothing
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written.rfind("\rphase 2", 0), 0u) << written;
    EXPECT_EQ(written.substr(written.size() - 4), "\r\x1b[K") << written;
    EXPECT_EQ(written.find("\r\x1b[K"), written.size() - 4) << written;
    progress_configure(-1);
}

// Text written to the terminal takes the line away and brings it back below
// itself while the solve runs; once the solve is done nothing comes back.
TEST(ProgressLine, TheLineComesBackBelowOtherTextUntilTheSolveEnds) {
    progress_configure(1);
    testing::internal::CaptureStderr();
    TymProgress p = report(TYM_PROGRESS_SIMPLEX);
    p.phase = 2;
    progress_report(&p);
    progress_clear();
    progress_redraw();
    progress_redraw();  // already shown: nothing more
    p.stage = TYM_PROGRESS_DONE;
    progress_report(&p);
    progress_redraw();
    const std::string written = testing::internal::GetCapturedStderr();
    const std::string line = "\rphase 2  iter 0  obj -  infeas 0  0:00\x1b[K";
    EXPECT_EQ(written, line + "\r\x1b[K" + line + "\r\x1b[K");
    EXPECT_TRUE(progress_shares_terminal(stderr));

    // A prompt takes the line away for good: what a pause prints stays clean.
    testing::internal::CaptureStderr();
    p.stage = TYM_PROGRESS_SIMPLEX;
    progress_configure(1);
    progress_report(&p);
    progress_line_clear();
    progress_redraw();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line + "\r\x1b[K");
    progress_configure(-1);
}

}  // namespace
}  // namespace qmlp::host::output
