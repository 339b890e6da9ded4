// table_output.cpp -- requests of the data-table sequence.
#include "output/table_output.h"

#include <algorithm>
#include <cstring>

#include "base/host_link.h"
#include "base/run_end.h"
#include "output/output_connection.h"

namespace tymlp {
namespace {

constexpr int64_t kMinusOne = -1;
constexpr int64_t kLogStaysOpen = 1;
// Facility, kind, slot and -1 come before an object's own attributes.
constexpr int kCreateAttributes = 4;
constexpr int kMostOwnAttributes = 4;

}  // namespace

// Each attribute: tag, value type, text length (0 for other values), a
// reserved 0, the value.
TymAttr attr_int(int tag, int64_t value) { return {tag, TYM_ATTR_INT, 0, 0, {.i = value}}; }
TymAttr attr_double(int tag, double value) { return {tag, TYM_ATTR_DOUBLE, 0, 0, {.d = value}}; }
TymAttr attr_object(int tag, TymObject object) { return {tag, TYM_ATTR_OBJECT, 0, 0, {.o = object}}; }
TymAttr attr_slot(int tag, TymObject* slot) { return {tag, TYM_ATTR_SLOT, 0, 0, {.slot = slot}}; }
TymAttr attr_address(int tag, const void* address) { return {tag, TYM_ATTR_ADDRESS, 0, 0, {.p = address}}; }

TymAttr attr_text(int tag, const char* text, int length) {
    const int32_t len = length < 0 ? static_cast<int32_t>(std::strlen(text)) : length;
    return {tag, TYM_ATTR_TEXT, len, 0, {.s = text}};
}

Label catalogue_label(int number, const TymArg* arg) {
    Label label{};
    if (host_catalogue_text(number, arg, label.text, kLabelBytes) < 0) label.text[0] = '\0';
    label.text[kLabelBytes - 1] = '\0';
    return label;
}

int table_request(LpContext* ctx, TymObject target, int code, int nattrs, const TymAttr* attrs) {
    const int rc = host_table_request(target, code, nattrs, attrs);
    if (rc < 0) {
        host_status_report(rc);
        if (ctx->report.log_requests == 0) end_run_from_step(ctx, kEndNormal);
    }
    return rc;
}

TymObject table_create_object(LpContext* ctx, const char* kind, std::span<const TymAttr> own) {
    TymObject object = nullptr;
    TymAttr attrs[kCreateAttributes + kMostOwnAttributes] = {
        attr_text(TYM_TAG_FACILITY, kTableFacility),
        attr_text(TYM_TAG_KIND, kind),
        attr_slot(TYM_TAG_SLOT, &object),
        attr_int(TYM_TAG_MINUS_ONE, kMinusOne),
    };
    int n = kCreateAttributes;
    for (const TymAttr& a : own.first(std::min<size_t>(own.size(), kMostOwnAttributes))) attrs[n++] = a;
    table_request(ctx, table_output_object(ctx), TYM_REQ_CREATE, n, attrs);
    return object;
}

TymObject table_create_data(LpContext* ctx, const char* name, int label) {
    const Label text = catalogue_label(label);
    const TymAttr own[] = {attr_text(TYM_TAG_NAME, name), attr_text(TYM_TAG_LABEL, text.text)};
    return table_create_object(ctx, "data", own);
}

void table_define_column(LpContext* ctx, TymObject data, int type, int width, const char* name, const void* buffer) {
    TymAttr attrs[4];
    int n = 0;
    attrs[n++] = attr_int(TYM_TAG_COLUMN_TYPE, type);
    if (type == kColumnText) attrs[n++] = attr_int(TYM_TAG_COLUMN_WIDTH, width);
    attrs[n++] = attr_text(TYM_TAG_NAME, name);
    attrs[n++] = attr_address(TYM_TAG_COLUMN_BUFFER, buffer);
    table_request(ctx, data, TYM_REQ_DEFINE_COLUMN, n, attrs);
}

void table_end_columns(LpContext* ctx, TymObject data) { table_request(ctx, data, TYM_REQ_END_COLUMNS, 0, nullptr); }

TymObject table_open(LpContext* ctx, TymObject data, const char* template_path, const char* name, int label) {
    TymObject table = nullptr;
    const Label text = catalogue_label(label);
    const TymAttr attrs[] = {
        attr_slot(TYM_TAG_HANDLE, &table),          attr_object(TYM_TAG_HANDLE, data),
        attr_text(TYM_TAG_TEMPLATE, template_path), attr_text(TYM_TAG_NAME, name),
        attr_text(TYM_TAG_LABEL, text.text),
    };
    table_request(ctx, table_output_object(ctx), TYM_REQ_OPEN_TABLE, 5, attrs);
    ctx->handles.open_table = table;
    return table;
}

void table_emit_row(LpContext* ctx, TymObject table) { table_request(ctx, table, TYM_REQ_EMIT_ROW, 0, nullptr); }

void table_end_rows(LpContext* ctx, TymObject table, bool log_stays_open) {
    const TymAttr attr = attr_int(TYM_TAG_LOG_OPEN, kLogStaysOpen);
    table_request(ctx, table, TYM_REQ_END_ROWS, log_stays_open ? 1 : 0, &attr);
}

void table_close(LpContext* ctx, TymObject* table) {
    if (*table == nullptr) return;
    const TymAttr attr = attr_object(TYM_TAG_HANDLE, *table);
    // The handle is forgotten first, so that an early end of the run does not
    // close the table a second time.
    *table = nullptr;
    if (ctx->handles.open_table == attr.v.o) ctx->handles.open_table = nullptr;
    table_request(ctx, table_output_object(ctx), TYM_REQ_CLOSE_TABLE, 1, &attr);
}

void table_finish(LpContext* ctx, TymObject* table, bool log_stays_open) {
    if (*table == nullptr) return;
    table_end_rows(ctx, *table, log_stays_open);
    table_close(ctx, table);
}

TymObject table_open_group(LpContext* ctx, const char* name, const char* label) {
    TymObject group = nullptr;
    const TymAttr attrs[] = {attr_slot(TYM_TAG_SLOT, &group), attr_text(TYM_TAG_NAME, name),
                             attr_text(TYM_TAG_LABEL, label)};
    table_request(ctx, table_output_object(ctx), TYM_REQ_END_ENTRIES, 3, attrs);
    return group;
}

void table_release(LpContext* ctx, TymObject* object) {
    if (*object == nullptr) return;
    TymObject target = *object;
    *object = nullptr;
    table_request(ctx, target, TYM_REQ_RELEASE, 0, nullptr);
}

}  // namespace tymlp
