// option_table.h -- the one table of the valued statement options.
//
// For every valued option: its name, the parse-record slot, the field of
// LpOptions and its width, the valid range, the text message 211 carries
// when a value falls outside it, the default, and the extra rules some
// options follow.  create_context takes the defaults from here, the option
// check walks it in order, SHOW lists it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "control/option_slots.h"

namespace tymlp {

struct LpOptions;

enum class OptionType : uint8_t { Int16, Int32, Double };

// Where the default comes from.
enum class DefaultKind : uint8_t {
    Value,            // default_value
    Missing,          // the host missing value: "not given"
    GenericInfinity,  // largest double, or 1.7e38 under the "$GENERIC" setting 0
    Bepsilon          // 0.5 * u^0.375, u the double rounding unit
};

// Extra rules (bit set).
enum OptionRule : uint16_t {
    kRuleNone = 0,
    kRuleSentinelDefault = 0x0001,   // the default lies outside the range on purpose: "not given"
    kRuleAboveEpsilon = 0x0002,      // the lower bound is the EPSILON in effect (U)
    kRulePropagateMaxit = 0x0004,    // a valid value also sets MAXIT1-3 and IMAXIT
    kRuleObjectiveNote = 0x0008,     // given (valid or not): message 15 with the note text
    kRuleExperimentalNote = 0x0010,  // given above 0 (valid or not): the experimental-option note
    kRuleSampledIndex = 0x0020,      // a valid value is copied into the four sampled indexes
    kRuleNodeStoreClosed = 0x0040,   // checked and used only while the node store is closed
    kRuleGated = 0x0080,             // read only when flag bit gate_bit is set in the record
    kRulePair = 0x0100               // two values (slot, slot + 1) into field, field2
};

struct OptionSpec {
    const char* name;  // option keyword
    uint16_t slot;     // parse-record value slot
    OptionType type;
    size_t field;            // offset of the field in LpOptions
    size_t field2;           // second field of a pair
    double lo;               // lower bound of the valid range
    bool lo_open;            // the lower bound itself is not valid
    double hi;               // upper bound
    bool hi_open;            // the upper bound itself is not valid
    const char* check_text;  // argument of message 211
    DefaultKind default_kind;
    double default_value;
    uint16_t rules;         // OptionRule bits
    int8_t gate_bit;        // kRuleGated: the record's flag bit; -1 otherwise
    const char* note_text;  // kRuleObjectiveNote: the argument of message 15 (the objective note)
};

// The table, in the order the check walks it.
const OptionSpec* option_table();
int option_table_size();

// The table entry of an option by name (upper case), or null.
const OptionSpec* find_option(const char* name);

// Reading and writing a field of the options as a double.
double option_get(const LpOptions& options, const OptionSpec& entry, size_t field);
void option_set(LpOptions& options, const OptionSpec& entry, size_t field, double value);

// Whether `value` lies in the range of `entry` (lower bound the EPSILON in effect
// when kRuleAboveEpsilon applies).  Integer options are judged on their
// converted value (see option_to_integer); NaN is never valid.
bool option_in_range(const OptionSpec& entry, double value, double epsilon_in_effect);

// The value an integer option takes from a parsed double: truncated toward
// zero and saturated to the int64 range, so that huge values stay huge
// instead of wrapping into the valid range.
int64_t option_to_integer(double value);

// The default an option takes (GenericInfinity consults the host setting;
// Missing gives the host's missing value).
double option_default(const OptionSpec& entry);

// The BEPSILON default, from the unit roundoff.
double bepsilon_default();

}  // namespace tymlp
