// table_output.cpp -- requests of the data-table sequence.
#include "output/table_output.h"

#include <cstring>

#include "base/run_end.h"
#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr const char* kFacility = "pvs";
constexpr int64_t kMinusOne = -1;
constexpr int64_t kLogStaysOpen = 1;

// The output object every table of the run goes to.
TymObject output_object(const LpContext* ctx) {
    return ctx->handles.output[0] != nullptr ? ctx->handles.output[0] : ctx->handles.manager;
}

}  // namespace

TymAttr attr_int(int tag, int64_t value) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_INT;
    a.v.i = value;
    return a;
}

TymAttr attr_double(int tag, double value) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_DOUBLE;
    a.v.d = value;
    return a;
}

TymAttr attr_text(int tag, const char* text, int length) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_TEXT;
    a.len = length < 0 ? static_cast<int32_t>(std::strlen(text)) : length;
    a.v.s = text;
    return a;
}

TymAttr attr_object(int tag, TymObject object) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_OBJECT;
    a.v.o = object;
    return a;
}

TymAttr attr_slot(int tag, TymObject* slot) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_SLOT;
    a.v.slot = slot;
    return a;
}

TymAttr attr_address(int tag, const void* address) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_ADDRESS;
    a.v.p = address;
    return a;
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

TymObject table_create_data(LpContext* ctx, const char* name, int label) {
    TymObject data = nullptr;
    const Label text = catalogue_label(label);
    const TymAttr attrs[] = {
        attr_text(TYM_TAG_FACILITY, kFacility), attr_text(TYM_TAG_KIND, "data"), attr_slot(TYM_TAG_SLOT, &data),
        attr_int(TYM_TAG_MINUS_ONE, kMinusOne), attr_text(TYM_TAG_NAME, name), attr_text(TYM_TAG_LABEL, text.text),
    };
    table_request(ctx, output_object(ctx), TYM_REQ_CREATE, 6, attrs);
    return data;
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
        attr_slot(TYM_TAG_HANDLE, &table),           attr_object(TYM_TAG_HANDLE, data),
        attr_text(TYM_TAG_TEMPLATE, template_path), attr_text(TYM_TAG_NAME, name),
        attr_text(TYM_TAG_LABEL, text.text),
    };
    table_request(ctx, output_object(ctx), TYM_REQ_OPEN_TABLE, 5, attrs);
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
    table_request(ctx, output_object(ctx), TYM_REQ_CLOSE_TABLE, 1, &attr);
}

void table_release(LpContext* ctx, TymObject* object) {
    if (*object == nullptr) return;
    TymObject target = *object;
    *object = nullptr;
    table_request(ctx, target, TYM_REQ_RELEASE, 0, nullptr);
}

}  // namespace tymlp
