// The log: severity prefixes, folding of long messages, note lines.
#include <gtest/gtest.h>

#include "host_api.h"
#include "output/log_sink.h"
#include "output/note_format.h"
#include "output_fixture.h"

namespace qmlp::host::output {
namespace {

using testing::OutputFiles;

TEST(LogFold, ShortTextsStayOnOneLine) {
    EXPECT_EQ(fold_message("NOTE: ", "All is well."), "NOTE: All is well.\n");
    EXPECT_EQ(fold_message("ERROR: ", ""), "ERROR:\n");
}

TEST(LogFold, LongTextsFoldAtBlanksWithIndentedContinuations) {
    const std::string text = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho";
    const std::string folded = fold_message("WARNING: ", text, 40);
    EXPECT_EQ(folded,
              "WARNING: alpha beta gamma delta epsilon\n"
              "      zeta eta theta iota kappa lambda\n"
              "      mu nu xi omicron pi rho\n");
    // A word longer than the line is not cut.
    EXPECT_EQ(fold_message("NOTE: ", std::string(50, 'x') + " y", 20), "NOTE: " + std::string(50, 'x') + "\n      y\n");
    // Embedded newlines start continuation lines.
    EXPECT_EQ(fold_message("NOTE: ", "one\ntwo"), "NOTE: one\n      two\n");
}

class LogFile : public OutputFiles {};

TEST_F(LogFile, MessagesCarryTheirSeverity) {
    const TymMessageVector* v = message_vector();
    TymArg arg{};
    arg.type = TYM_ARG_TEXT;
    arg.len = -1;
    arg.v.s = "0<epsilon";
    EXPECT_EQ(v->message(202, 211, 1, &arg), 0);
    EXPECT_EQ(v->message(202, 50, 0, nullptr), 0);
    EXPECT_EQ(v->message(202, 147, 0, nullptr), 0);
    EXPECT_EQ(v->message(202, 9876, 1, &arg), 0);
    EXPECT_EQ(log(),
              "ERROR: An option value is not valid; it must satisfy 0<epsilon.\n"
              "NOTE: The current solution is optimal.\n"
              "WARNING: The problem is infeasible.\n"
              "WARNING: Message 202/9876 has no text in the host catalogue: 0<epsilon.\n");
}

TEST_F(LogFile, NoteLinesArePrintfStyleAndZMakesANoteLine) {
    const TymMessageVector* v = message_vector();
    v->note("NOTE: Modulus = %g invcnt=%i invtol=%g", 1.5e7, 3, 1000.0);
    v->note("%3zBEPSILON= is an experimental option.");
    v->note("NOTE: Start inversion -- workmem=%li aalloc=%li balloc=%li ", 100L, 20L, 30L);
    v->note("%s|%-5s|%5.2f|%c|%%|%x", "a", "b", 3.14159, 'z', 255u);
    v->note("%n stays");
    EXPECT_EQ(log(),
              "NOTE: Modulus = 1.5e+07 invcnt=3 invtol=1000\n"
              "NOTE: BEPSILON= is an experimental option.\n"
              "NOTE: Start inversion -- workmem=100 aalloc=20 balloc=30 \n"
              "a|b    | 3.14|z|%|ff\n"
              "%n stays\n");
}

TEST_F(LogFile, HostLinesAndRawLines) {
    log_line(Severity::Error, "The data set x cannot be opened.");
    log_raw("  plain line");
    EXPECT_EQ(log(), "ERROR: The data set x cannot be opened.\n  plain line\n");
}

TEST(LogOpen, AnUnwritableLogIsRefusedAndMessagesGoToStandardError) {
    EXPECT_FALSE(log_open("/nonexistent-dir/qmlp.log"));
    EXPECT_EQ(log_stream(), stderr);
}

TEST(PrintableText, EscapesControlAndInvalidBytesKeepsUtf8AndCuts) {
    EXPECT_EQ(printable_text("caf\xC3\xA9 ok"), "caf\xC3\xA9 ok");
    EXPECT_EQ(printable_text(std::string("a\x01\x02"
                                         "b\xFF",
                                         5)),
              "a\\x01\\x02b\\xFF");
    EXPECT_EQ(printable_text("\xE2\x82"), "\\xE2\\x82");  // a sequence cut short
    EXPECT_EQ(printable_text(std::string(100, 'x'), 10), std::string(10, 'x') + "...");
}

}  // namespace
}  // namespace qmlp::host::output
