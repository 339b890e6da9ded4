// factoid.cpp -- the key-value table sequence.
#include "output/factoid.h"

namespace tymlp {
namespace {

constexpr const char* kSpacer = " ";

}  // namespace

Factoid factoid_open(LpContext* ctx, const char* template_path, const char* name, int label) {
    const Label text = catalogue_label(label);
    return factoid_open_text(ctx, template_path, name, text.text);
}

Factoid factoid_open_text(LpContext* ctx, const char* template_path, const char* name, const char* label) {
    const TymAttr own[] = {
        attr_text(TYM_TAG_TEMPLATE, template_path),
        attr_text(TYM_TAG_NAME, name),
        attr_text(TYM_TAG_LABEL, label),
    };
    return Factoid{ctx, table_create_object(ctx, "factoid", own)};
}

void factoid_text(Factoid& f, const char* label, const char* value, int length) {
    const TymAttr attrs[] = {attr_text(TYM_TAG_LABEL, label), attr_text(TYM_TAG_ENTRY_TEXT, value, length)};
    table_request(f.ctx, f.object, TYM_REQ_ADD_ENTRY, 2, attrs);
}

void factoid_int(Factoid& f, const char* label, int64_t value) {
    const TymAttr attrs[] = {attr_text(TYM_TAG_LABEL, label), attr_int(TYM_TAG_ENTRY_VALUE, value)};
    table_request(f.ctx, f.object, TYM_REQ_ADD_ENTRY, 2, attrs);
}

void factoid_double(Factoid& f, const char* label, double value, int width, int decimals) {
    TymAttr attrs[4];
    int n = 0;
    attrs[n++] = attr_text(TYM_TAG_LABEL, label);
    attrs[n++] = attr_double(TYM_TAG_ENTRY_VALUE, value);
    if (width != kHostWidth) attrs[n++] = attr_int(TYM_TAG_ENTRY_WIDTH, width);
    if (decimals != kHostDecimals) attrs[n++] = attr_int(TYM_TAG_ENTRY_DECIMALS, decimals);
    table_request(f.ctx, f.object, TYM_REQ_ADD_ENTRY, n, attrs);
}

void factoid_spacer(Factoid& f) { factoid_text(f, kSpacer, kSpacer); }

void factoid_key(Factoid& f, const char* key, const char* value, int length) {
    const TymAttr attrs[] = {attr_text(TYM_TAG_ENTRY_KEY, key), attr_text(TYM_TAG_ENTRY_TEXT, value, length)};
    table_request(f.ctx, f.object, TYM_REQ_ADD_ENTRY, 2, attrs);
}

void factoid_close(Factoid& f) {
    if (f.object == nullptr) return;
    table_request(f.ctx, f.object, TYM_REQ_END_ENTRIES, 0, nullptr);
    table_release(f.ctx, &f.object);
}

}  // namespace tymlp
