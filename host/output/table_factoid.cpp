// table_factoid.cpp -- factoids: key/value tables such as the problem and
// solution summaries.  An entry carries a label and a text, integer or
// double value (with an optional width and number of decimals); an entry
// with a key (311) is not a line of the table but a property of it: the key
// "SubTitles" gives the subtitle, any other key a by-group line.
#include <cctype>

#include "output/output_session.h"
#include "output/table_objects.h"
#include "output/text_util.h"

namespace qmlp::host::output {
namespace {

bool same_word(const std::string& a, const char* b) {
    size_t k = 0;
    for (; k < a.size() && b[k] != '\0'; ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    return k == a.size() && b[k] == '\0';
}

std::optional<Cell> entry_value(const Attrs& a) {
    if (auto v = a.value(TYM_TAG_ENTRY_TEXT)) return v;
    return a.value(TYM_TAG_ENTRY_VALUE);
}

std::string value_text(const Cell& v) {
    switch (v.kind) {
        case Cell::Kind::Text: return trim(v.s);
        case Cell::Kind::Integer: return std::to_string(v.i);
        case Cell::Kind::Double: return trim(best_format(v.d, kDefaultNumberWidth));
        default: return {};
    }
}

// A keyed entry: a subtitle or a by-group line of the table.
void apply_key(Table& t, const std::string& key, const std::optional<Cell>& value) {
    const std::string text = value ? value_text(*value) : std::string();
    if (same_word(trim(key), "SubTitles"))
        t.subtitle = text;
    else
        t.keys.emplace_back(trim(key), text);
}

}  // namespace

Table* factoid_table(ProtoObject& target, const Attrs& a) {
    Group* group = target.kind == ObjKind::Group && !target.closed ? target.group : innermost_open_group();
    Table& t = add_table(TableKind::Factoid, group);
    t.template_path = a.text(TYM_TAG_TEMPLATE).value_or("");
    t.name = a.text(TYM_TAG_NAME).value_or("");
    t.label = a.text(TYM_TAG_LABEL).value_or("");
    return &t;
}

int add_entry(ProtoObject& factoid, const Attrs& a) {
    const int code = TYM_REQ_ADD_ENTRY;
    if (factoid.table == nullptr || factoid.table->complete)
        return fail(code, kBadSequence, "the entries of the factoid were already ended");
    const std::optional<Cell> value = entry_value(a);
    if (const auto key = a.text(TYM_TAG_ENTRY_KEY)) {
        apply_key(*factoid.table, *key, value);
        return 0;
    }
    FactoidEntry e;
    e.label = a.text(TYM_TAG_LABEL).value_or("");
    if (value) e.value = *value;
    e.width = static_cast<int>(a.integer(TYM_TAG_ENTRY_WIDTH).value_or(0));
    e.decimals = static_cast<int>(a.integer(TYM_TAG_ENTRY_DECIMALS).value_or(-1));
    if (e.width < 0 || e.width > 64) return fail(code, kBadAttribute, "the entry width is not valid");
    if (e.decimals > 30) return fail(code, kBadAttribute, "the entry decimals are not valid");
    factoid.table->entries.push_back(std::move(e));
    return 0;
}

int end_entries(ProtoObject& factoid, const Attrs& a) {
    const int code = TYM_REQ_END_ENTRIES;
    if (factoid.table == nullptr || factoid.table->complete)
        return fail(code, kBadSequence, "the entries of the factoid were already ended");
    if (const auto key = a.text(TYM_TAG_ENTRY_KEY)) apply_key(*factoid.table, *key, entry_value(a));
    table_completed(*factoid.table);
    return 0;
}

}  // namespace qmlp::host::output
