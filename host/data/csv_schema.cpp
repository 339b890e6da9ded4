#include "data/csv_schema.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>
#include <unordered_set>

#include "data/csv_scanner.h"
#include "data/csv_value.h"
#include "data/data_status.h"
#include "data/names.h"
#include "tym_host.h"

namespace qmlp::host::data {
namespace {

constexpr size_t kCacheEntries = 32;

using CacheKey = std::tuple<dev_t, ino_t, off_t, int64_t, int64_t>;

std::map<CacheKey, CsvSchema>& cache() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new std::map<CacheKey, CsvSchema>;
    return *instance;
}

CacheKey key_of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, static_cast<int64_t>(st.st_mtim.tv_sec),
            static_cast<int64_t>(st.st_mtim.tv_nsec)};
}

std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

// What the values of one variable have shown so far.
struct Evidence {
    bool all_numeric = true;
    int64_t overflow_line = 0;  // first number too large for a double
    size_t longest = 0;         // longest value without trailing blanks
    int64_t numbers = 0;        // cells that are numbers
    int64_t texts = 0;          // cells that are neither numbers nor missing
    int64_t first_text_line = 0;
    std::string first_text;
    // Values of a "$N" variable long enough to be cut, by what is kept of
    // them: the first full value (and its line) for each.  A cut at a
    // character boundary keeps at least N - 3 bytes, so shorter values can
    // never meet a cut one.
    LongValues long_values;
};

}  // namespace

void note_declared_length(VarSpec& var_def, LongValues& long_values, std::string_view value, int64_t line) {
    constexpr size_t kLongestCharacter = 4;  // bytes of a UTF-8 character
    const std::string_view full = trim_right_blanks(value);
    if (var_def.merged_line[0] != 0) return;
    if (full.size() + kLongestCharacter <= static_cast<size_t>(var_def.length)) return;
    const std::string_view kept = cut_to_length(full, var_def.length);
    if (kept.size() < full.size() && var_def.cut_line == 0) {
        var_def.cut_line = line;
        var_def.cut_text = std::string(full);
    }
    auto [it, inserted] = long_values.try_emplace(std::string(kept), std::string(full), line);
    if (inserted || it->second.first == full) return;
    var_def.merged_line[0] = it->second.second;
    var_def.merged_text[0] = it->second.first;
    var_def.merged_line[1] = line;
    var_def.merged_text[1] = std::string(full);
    long_values.clear();  // one merge is enough to say
}

namespace {

int scan_rows(CsvScanner& scanner, CsvSchema& schema, std::string& error) {
    std::vector<Evidence> evidence(schema.vars.size());
    std::vector<std::string> fields;
    for (;;) {
        const int rc = scanner.next(fields);
        if (rc < 0) {
            error = scanner.error();
            return rc;
        }
        if (rc == 0) break;
        if (fields.size() != schema.vars.size()) {
            error = "line " + std::to_string(scanner.record_line()) + ": " +
                    row_width_mismatch(fields.size(), schema.vars.size());
            return kBadData;
        }
        ++schema.observations;
        for (size_t v = 0; v < fields.size(); ++v) {
            Evidence& e = evidence[v];
            e.longest = std::max(e.longest, trim_right_blanks(fields[v]).size());
            if (schema.vars[v].declared && schema.vars[v].length > 0)
                note_declared_length(schema.vars[v], e.long_values, fields[v], scanner.record_line());
            if (schema.vars[v].declared) continue;
            double value;
            switch (classify_value(fields[v], &value)) {
                case ValueClass::Text:
                    e.all_numeric = false;
                    if (e.texts++ == 0) {
                        e.first_text_line = scanner.record_line();
                        e.first_text = fields[v];
                    }
                    break;
                case ValueClass::Overflow:
                    if (e.overflow_line == 0) e.overflow_line = scanner.record_line();
                    ++e.numbers;
                    break;
                case ValueClass::Number: ++e.numbers; break;
                default: break;
            }
        }
    }
    for (size_t v = 0; v < schema.vars.size(); ++v) {
        VarSpec& var_def = schema.vars[v];
        const Evidence& e = evidence[v];
        if (!var_def.declared && e.all_numeric) {
            if (e.overflow_line != 0) {
                error = "line " + std::to_string(e.overflow_line) + ": the value of " + var_def.name +
                        " is a number too large for a double";
                return kBadData;
            }
            var_def.type = TYM_VAR_NUMERIC;
            var_def.length = kNumericLength;
            continue;
        }
        if (var_def.type == TYM_VAR_CHAR && var_def.length > 0) continue;  // "$N"
        if (!var_def.declared && e.texts > 0 && e.texts < e.numbers) {
            var_def.stray_text_line = e.first_text_line;
            var_def.stray_text = e.first_text;
        }
        var_def.type = TYM_VAR_CHAR;
        var_def.length = static_cast<int>(std::clamp<size_t>(e.longest, 1, kMaxCharLength));
    }
    return kOk;
}

}  // namespace

int parse_header(const std::vector<std::string>& fields, int64_t line, std::vector<VarSpec>& vars, std::string& error) {
    const std::string where = "line " + std::to_string(line) + ": ";
    vars.clear();
    std::unordered_set<std::string> seen;
    seen.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string_view field = trim_blanks(fields[i]);
        VarSpec var_def;
        std::string_view name = field;
        const size_t dollar = field.find('$');
        if (dollar != std::string_view::npos) {
            name = trim_blanks(field.substr(0, dollar));
            const std::string_view len = trim_blanks(field.substr(dollar + 1));
            var_def.type = TYM_VAR_CHAR;
            var_def.declared = true;
            var_def.length = 0;  // the longest value decides
            if (!len.empty()) {
                int n = 0;
                auto [ptr, ec] = std::from_chars(len.data(), len.data() + len.size(), n);
                if (ec != std::errc() || ptr != len.data() + len.size() || n < 1 || n > kMaxCharLength) {
                    error = where + "the length in " + quoted(field) + " is not a whole number from 1 to " +
                            std::to_string(kMaxCharLength);
                    return kBadData;
                }
                var_def.length = n;
            }
        }
        if (name.empty()) {
            error = where + "variable " + std::to_string(i + 1) + " of the header has no name";
            return kBadData;
        }
        if (!is_valid_name(name)) {
            error = where + quoted(name) +
                    " is not a valid variable name (1 to 32 letters, digits or underscores, not "
                    "starting with a digit)";
            return kBadData;
        }
        // Names are letters, digits and underscores, so the upper-case
        // form decides equality regardless of case; a set keeps the check
        // linear in the width of the header.
        if (!seen.insert(upper_ascii(name)).second) {
            error = where + "the variable name " + quoted(name) + " appears twice";
            return kBadData;
        }
        var_def.name = std::string(name);
        vars.push_back(std::move(var_def));
    }
    return kOk;
}

int load_schema(int fd, const struct stat& st, CsvSchema& schema, std::string& error) {
    const CacheKey key = key_of(st);
    if (auto it = cache().find(key); it != cache().end()) {
        schema = it->second;
        return kOk;
    }
    schema = CsvSchema{};
    CsvScanner scanner(fd);
    std::vector<std::string> fields;
    int rc = scanner.next(fields);
    if (rc < 0) {
        error = scanner.error();
        return rc;
    }
    if (rc == 0) {
        error = "line 1: the file is empty; the first line must name the variables";
        return kBadData;
    }
    rc = parse_header(fields, scanner.record_line(), schema.vars, error);
    if (rc < 0) return rc;
    schema.data_offset = scanner.offset();
    schema.data_line = scanner.line();
    rc = scan_rows(scanner, schema, error);
    if (rc < 0) return rc;
    if (cache().size() >= kCacheEntries) cache().erase(cache().begin());
    cache().emplace(key, schema);
    return kOk;
}

std::string_view cut_to_length(std::string_view value, int length) {
    value = trim_right_blanks(value);
    size_t n = std::min(value.size(), static_cast<size_t>(std::max(length, 0)));
    if (n < value.size())
        while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
    return value.substr(0, n);
}

std::string row_width_mismatch(size_t values, size_t variables) {
    return "the row has " + std::to_string(values) + (values == 1 ? " value" : " values") + ", but the header names " +
           std::to_string(variables) + (variables == 1 ? " variable" : " variables");
}

void clear_schema_cache() { cache().clear(); }

}  // namespace qmlp::host::data
