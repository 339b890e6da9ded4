// active_names.cpp -- unique ACTIVEOUT variable names for the integer columns.
#include "integer/active_names.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "input/model_records.h"
#include "input/reader_common.h"

namespace tymlp {
namespace {

// The data set's own variables; a column may not take one of their names.
const char* const kFramedNames[] = {"_OBJ_ID_", "_RHS_ID_", "_STATUS_", "_PROB_",  "_OBJECT_",
                                    "_SINFEA_", "_PROJEC_", "_PSEUDO_", "_NODES_", "_CHECK_"};

bool same_ignoring_case(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

bool taken(const ActiveName* names, int count, const char* candidate) {
    for (const char* framed : kFramedNames)
        if (same_ignoring_case(framed, candidate)) return true;
    for (int k = 0; k < count; ++k)
        if (same_ignoring_case(names[k].text, candidate)) return true;
    return false;
}

// The first free variant of `base` with a numbered end.
void numbered_variant(const ActiveName* names, int count, const char* base, char* out) {
    char suffix[16];
    for (int number = 2;; ++number) {
        const int suffix_length = std::snprintf(suffix, sizeof suffix, "_%d", number);
        int keep = static_cast<int>(std::strlen(base));
        if (keep > kActiveNameMost - suffix_length) keep = kActiveNameMost - suffix_length;
        std::memcpy(out, base, static_cast<size_t>(keep));
        std::memcpy(out + keep, suffix, static_cast<size_t>(suffix_length) + 1);
        if (!taken(names, count, out)) return;
    }
}

}  // namespace

int active_variable_names(LpContext* ctx, ActiveName* names) {
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        const int rc = read_column(ctx, v->column, &rec, name);
        if (rc != 0) return rc;
        int length = trimmed_length(name, ctx->model.column_name_length);
        if (length > kActiveNameMost) length = kActiveNameMost;
        name[length] = '\0';
        if (taken(names, k, name))
            numbered_variant(names, k, name, names[k].text);
        else
            std::memcpy(names[k].text, name, static_cast<size_t>(length) + 1);
    }
    return 0;
}

}  // namespace tymlp
