// varlist_expand.cpp -- ranges and special names of variable lists.
#include "front/varlist_expand.h"

#include "front/lexer.h"

namespace qmlp::front {
namespace {

enum class Special { None, All, Numeric, Character };

Special special_name(const std::string& name) {
    if (iequals(name, "_ALL_")) return Special::All;
    if (iequals(name, "_NUMERIC_")) return Special::Numeric;
    if (iequals(name, "_CHARACTER_") || iequals(name, "_CHAR_")) return Special::Character;
    return Special::None;
}

long find_var(const std::vector<host::VarInfo>* vars, const std::string& name) {
    if (!vars) return -1;
    for (size_t i = 0; i < vars->size(); ++i)
        if (iequals((*vars)[i].name, name)) return static_cast<long>(i);
    return -1;
}

// Splits "x12" into "x" and 12; false when the name has no numeric tail or
// the number is too long to count with.
bool split_number(const std::string& name, std::string* prefix, long* number, size_t* digits) {
    size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9') --i;
    *digits = name.size() - i;
    if (i == 0 || *digits == 0 || *digits > 9) return false;
    *prefix = name.substr(0, i);
    *number = std::stol(name.substr(i));
    return true;
}

std::string numbered(const std::string& prefix, long n, size_t width) {
    std::string digits = std::to_string(n);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return prefix + digits;
}

}  // namespace

bool varlist_needs_dataset(const std::vector<VarItem>& items) {
    for (const VarItem& it : items)
        if (!it.last.empty() || special_name(it.first) != Special::None) return true;
    return false;
}

std::string expand_varlist(const std::vector<VarItem>& items, const std::vector<host::VarInfo>* vars,
                           std::vector<std::string>& out) {
    for (const VarItem& it : items) {
        if (it.last.empty()) {
            const Special sp = special_name(it.first);
            if (sp == Special::None || !vars) {
                out.push_back(it.first);
                continue;
            }
            for (const host::VarInfo& v : *vars) {
                if (sp == Special::All || (sp == Special::Numeric && v.type == TYM_VAR_NUMERIC) ||
                    (sp == Special::Character && v.type == TYM_VAR_CHAR))
                    out.push_back(v.name);
            }
            continue;
        }
        const long a = find_var(vars, it.first);
        const long b = find_var(vars, it.last);
        if (a >= 0 && b >= 0) {
            if (a > b)
                return "in the range " + to_upper(it.first) + "-" + to_upper(it.last) + ", " + to_upper(it.last) +
                       " comes before " + to_upper(it.first) + " in the data set";
            for (long i = a; i <= b; ++i) out.push_back((*vars)[static_cast<size_t>(i)].name);
            continue;
        }
        std::string pa, pb;
        long na = 0, nb = 0;
        size_t wa = 0, wb = 0;
        if (split_number(it.first, &pa, &na, &wa) && split_number(it.last, &pb, &nb, &wb) && iequals(pa, pb)) {
            if (na > nb)
                return "the numbered range " + to_upper(it.first) + "-" + to_upper(it.last) + " runs backwards";
            if (nb - na >= kMaxNumberedRange)
                return "the numbered range " + to_upper(it.first) + "-" + to_upper(it.last) + " is too long";
            // Leading zeros of equally long numbers (x01-x12) are kept.
            const size_t width = (wa == wb && it.first[it.first.size() - wa] == '0') ? wa : 0;
            for (long n = na; n <= nb; ++n) out.push_back(numbered(pa, n, width));
            continue;
        }
        out.push_back(it.first);
        out.push_back(it.last);
    }
    return {};
}

}  // namespace qmlp::front
