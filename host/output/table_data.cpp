// table_data.cpp -- data objects and the tables opened on them: column
// definitions, rows read from the module's buffers, end and close.
#include <algorithm>
#include <cstring>

#include "output/output_session.h"
#include "output/table_objects.h"
#include "output/text_util.h"

namespace qmlp::host::output {

Table& new_data_table(ProtoObject& target, ProtoObject& data, const Attrs& a);  // table_objects.cpp

namespace {

// Widest character column we accept (a sanity bound on module input).
constexpr int64_t kMaxCharacterWidth = 32767;

// The open table a row, end or close request on obj means.
ProtoObject* table_of(ProtoObject& obj) {
    if (obj.kind == ObjKind::Table) return &obj;
    if (obj.kind == ObjKind::Data && !obj.open_tables.empty()) return lookup_key(obj.open_tables.back());
    return nullptr;
}

Cell read_cell(const DataColumn& c) {
    const char* address = c.base + c.offset;
    switch (c.column.type) {
        case ColumnType::Integer: {
            int32_t v = 0;
            std::memcpy(&v, address, sizeof v);
            return Cell::integer(v);
        }
        case ColumnType::Double: {
            double v = 0.0;
            std::memcpy(&v, address, sizeof v);
            return Cell::number(v);
        }
        case ColumnType::Character:
        default: return Cell::text(rtrim(counted_text(address, c.bytes)));
    }
}

void detach_from_data(ProtoObject& table) {
    if (ProtoObject* data = lookup_key(table.data_key)) {
        auto& open = data->open_tables;
        open.erase(std::remove(open.begin(), open.end(), table.key), open.end());
    }
}

void finish_rows(ProtoObject& table) {
    if (table.table_rows_ended) return;
    table.table_rows_ended = true;
    if (table.table != nullptr) table_completed(*table.table);
}

}  // namespace

int define_column(ProtoObject& data, const Attrs& a) {
    const int code = TYM_REQ_DEFINE_COLUMN;
    if (data.columns_ended) return fail(code, kBadSequence, "the columns of " + data.name + " were already ended");
    const auto type = a.integer(TYM_TAG_COLUMN_TYPE);
    if (!type) return fail(code, kMissingAttribute, "the column has no value type (103)");
    const auto name = a.text(TYM_TAG_NAME);
    if (!name) return fail(code, kMissingAttribute, "the column has no name (138)");

    DataColumn c;
    c.column.name = rtrim(*name);
    c.column.label = a.text(TYM_TAG_LABEL).value_or("");
    const int64_t width = a.integer(TYM_TAG_COLUMN_WIDTH).value_or(a.integer(TYM_TAG_ENTRY_WIDTH).value_or(0));
    switch (*type) {
        case TYM_COL_INT: c.column.type = ColumnType::Integer; break;
        case TYM_COL_DOUBLE: c.column.type = ColumnType::Double; break;
        case TYM_COL_CHAR: c.column.type = ColumnType::Character; break;
        default: return fail(code, kBadAttribute, "column value type " + std::to_string(*type) + " is not 3, 5 or 6");
    }
    if (c.column.type == ColumnType::Character && width < 1)
        return fail(code, kBadAttribute, "the character column " + c.column.name + " has no width (289)");
    if (width < 0 || width > kMaxCharacterWidth)
        return fail(code, kBadAttribute, "the column " + c.column.name + " has an invalid width");
    c.column.width = static_cast<int>(width);
    c.column.decimals = static_cast<int>(a.integer(TYM_TAG_ENTRY_DECIMALS).value_or(-1));
    c.bytes = static_cast<int>(width);

    // The buffer: the column's own, else the data object's, else the one the
    // previous column was given (columns cut from one line by offset).
    if (const TymAttr* buf = a.find(TYM_TAG_COLUMN_BUFFER))
        c.base = static_cast<const char*>(buf->v.p);
    else if (data.base != nullptr)
        c.base = data.base;
    else if (!data.columns.empty())
        c.base = data.columns.back().base;
    if (c.base == nullptr) return fail(code, kMissingAttribute, "the column " + c.column.name + " has no buffer (285)");
    c.offset = a.integer(TYM_TAG_COLUMN_OFFSET).value_or(0);
    if (c.offset < 0 || c.offset > kMaxCharacterWidth * 64)
        return fail(code, kBadAttribute, "the column " + c.column.name + " has an invalid offset");
    data.columns.push_back(std::move(c));
    return 0;
}

int end_columns(ProtoObject& data) {
    if (data.columns_ended)
        return fail(TYM_REQ_END_COLUMNS, kBadSequence, "the columns of " + data.name + " were already ended");
    if (data.columns.empty())
        return fail(TYM_REQ_END_COLUMNS, kBadSequence, "the data object " + data.name + " has no columns");
    data.columns_ended = true;
    return 0;
}

int open_table(ProtoObject& target, const Attrs& a) {
    const int code = TYM_REQ_OPEN_TABLE;
    ProtoObject* data = target.kind == ObjKind::Data ? &target : nullptr;
    if (data == nullptr) {
        if (!is_container(target)) return fail(code, kBadRequest, "a table opens on a data object");
        for (TymObject o : a.objects()) {
            ProtoObject* p = lookup(o);
            if (p != nullptr && p->kind == ObjKind::Data) data = p;
        }
        if (data == nullptr) return fail(code, kMissingAttribute, "no data object is given");
    }
    if (!data->columns_ended) return fail(code, kBadSequence, "the columns of " + data->name + " have not been ended");

    ProtoObject& table = new_object(ObjKind::Table);
    table.data_key = data->key;
    table.table = &new_data_table(target, *data, a);
    data->open_tables.push_back(table.key);
    data->rows_ended = false;
    if (TymObject* slot = a.slot()) *slot = handle_of(table);
    return 0;
}

int emit_row(ProtoObject& target) {
    const int code = TYM_REQ_EMIT_ROW;
    if (target.kind != ObjKind::Table && target.kind != ObjKind::Data)
        return fail(code, kBadRequest, "rows are emitted on a table or a data object");
    ProtoObject* table = table_of(target);
    if (table == nullptr) return fail(code, kBadSequence, "no table is open on " + target.name);
    if (table->table_rows_ended) return fail(code, kBadSequence, "the rows of the table were already ended");
    ProtoObject* data = lookup_key(table->data_key);
    if (data == nullptr) return fail(code, kBadSequence, "the data object of the table was released");

    std::vector<Cell> row;
    row.reserve(data->columns.size());
    for (const DataColumn& c : data->columns) row.push_back(read_cell(c));
    table->table->rows.push_back(std::move(row));
    table_rows_added(*table->table);
    return 0;
}

int end_rows(ProtoObject& target, const Attrs& a) {
    const int code = TYM_REQ_END_ROWS;
    const bool keep_data = a.integer(TYM_TAG_LOG_OPEN).value_or(0) == 1;
    if (target.kind == ObjKind::Table) {
        finish_rows(target);
        return 0;
    }
    if (target.kind != ObjKind::Data) return fail(code, kBadRequest, "rows end on a table or a data object");
    for (uintptr_t key : target.open_tables)
        if (ProtoObject* t = lookup_key(key)) finish_rows(*t);
    if (!keep_data) target.rows_ended = true;
    return 0;
}

int close_table(ProtoObject& obj) {
    const int code = TYM_REQ_CLOSE_TABLE;
    switch (obj.kind) {
        case ObjKind::Table:
            finish_rows(obj);
            detach_from_data(obj);
            forget(obj);
            return 0;
        case ObjKind::Data: {
            const auto tables = obj.open_tables;
            for (uintptr_t key : tables)
                if (ProtoObject* t = lookup_key(key)) close_table(*t);
            return 0;
        }
        case ObjKind::Group: return release_object(obj);
        case ObjKind::Factoid: return release_object(obj);
        default: return fail(code, kBadRequest, "the object is not a table");
    }
}

int add_by_group(ProtoObject& target, const Attrs& a) {
    const int code = TYM_REQ_BY_GROUP;
    const auto name = a.text(TYM_TAG_NAME);
    if (!name) return fail(code, kMissingAttribute, "the by-group key has no name (138)");
    std::optional<Cell> value = a.value(TYM_TAG_ENTRY_TEXT);
    if (!value) value = a.value(TYM_TAG_ENTRY_VALUE);
    std::string text;
    if (value) {
        text = value->kind == Cell::Kind::Text      ? trim(value->s)
               : value->kind == Cell::Kind::Integer ? std::to_string(value->i)
                                                    : trim(best_format(value->d, kDefaultNumberWidth));
    }
    std::pair<std::string, std::string> key{rtrim(*name), text};
    if (target.kind == ObjKind::Data) {
        target.by_keys.push_back(key);
    } else if (target.kind == ObjKind::Table && target.table != nullptr) {
        target.table->keys.push_back(key);
    } else if (target.kind == ObjKind::Factoid && target.table != nullptr) {
        target.table->keys.push_back(key);
    } else {
        return fail(code, kBadRequest, "a by-group key belongs to a data object or a table");
    }
    return 0;
}

}  // namespace qmlp::host::output
