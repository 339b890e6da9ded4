// pause_show.cpp -- SHOW: the options in force and where the run stands.
#include <cstdio>
#include <cstring>

#include "base/host_link.h"
#include "control/option_table.h"
#include "control/pause.h"
#include "control/status_macro.h"

namespace tymlp {
namespace {

constexpr int kMsgOptionsHeading = 330;
constexpr int kMsgOptionValue = 331;
constexpr int kMsgRunStands = 332;

void format_value(const LpOptions& options, const OptionSpec& entry, size_t field, char* buf, size_t size) {
    const double v = option_get(options, entry, field);
    // A value never given shows as such, not as a missing value that would
    // run into the sentence's full stop.
    if (host_missing_kind(v) != 0)
        std::snprintf(buf, size, "(not set)");
    else if (entry.type == OptionType::Double)
        std::snprintf(buf, size, "%.10g", v);
    else
        std::snprintf(buf, size, "%lld", static_cast<long long>(v));
}

}  // namespace

void show_options(LpContext* ctx) {
    host_message(kMsgOptionsHeading);
    const OptionSpec* table = option_table();
    for (int k = 0; k < option_table_size(); ++k) {
        const OptionSpec& entry = table[k];
        char value[96];
        format_value(ctx->options, entry, entry.field, value, sizeof value);
        if ((entry.rules & kRulePair) != 0) {
            char second[48];
            format_value(ctx->options, entry, entry.field2, second, sizeof second);
            const size_t used = std::strlen(value);
            std::snprintf(value + used, sizeof value - used, " %s", second);
        }
        const TymArg args[] = {arg_text(entry.name), arg_text(value)};
        host_message(kMsgOptionValue, 2, args);
    }
}

void show_status(LpContext* ctx) {
    // In a pause the standing is what _QMLP_ was set to there: the pause's
    // reason, or the status a statement of the pause left.
    const SolverState& sv = ctx->solver;
    char text[kStatusTextBytes];
    build_status_text(ctx, sv.in_pause != 0 ? sv.pause_status : sv.run_status, text, sizeof text);
    const TymArg arg = arg_text(text);
    host_message(kMsgRunStands, 1, &arg);
}

}  // namespace tymlp
