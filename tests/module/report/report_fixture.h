// report_fixture.h -- whole runs of the procedure in-process: a dense (or
// sparse) data set written by the test is read, prepared and solved by the
// driver after the statement step, on the mini host with the host's real
// data-set input and output, and with a table vector that records every
// table as the host would see it (rows read from the module's buffers at
// each emit, factoid entries, subtitles).  Output data sets land in the
// test's folder and can be read back through the host's data-set input.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../input/reader_fixture.h"
#include "control/run_procedure.h"
#include "input/dense_reader.h"
#include "input/sparse_reader.h"

namespace reporttest {

// One recorded value: numbers as doubles (integer columns too), texts
// without trailing blanks.
struct Value {
    bool text = false;
    double number = 0.0;
    std::string s;
};

struct RecordedTable {
    std::string kind;  // "data" or "factoid"
    std::string name;
    std::string template_path;
    std::string label;
    std::string subtitle;
    std::vector<std::string> columns;
    std::vector<std::vector<Value>> rows;
    std::vector<std::pair<std::string, Value>> entries;  // factoids
    bool rows_ended = false;
    bool ended_with_log_open = false;
    bool closed = false;

    int column(const std::string& c) const {
        for (size_t k = 0; k < columns.size(); ++k)
            if (columns[k] == c) return static_cast<int>(k);
        return -1;
    }
    const Value& at(size_t row, const std::string& c) const { return rows.at(row).at(static_cast<size_t>(column(c))); }
    const Value* entry(const std::string& label) const {
        for (const auto& [l, v] : entries)
            if (l == label) return &v;
        return nullptr;
    }
};

// What the recording table vector knows.
struct Recorder {
    struct Column {
        int type;
        int width;
        const void* buffer;
    };
    struct Object {
        std::string kind;
        std::string name;
        std::string label;
        std::vector<std::string> names;
        std::vector<Column> columns;
        int table = -1;  // tables: index into `tables`; data objects: unused
        Object* data = nullptr;
    };
    std::vector<std::unique_ptr<Object>> objects;
    std::vector<RecordedTable> tables;
    // Order of table events: "open <name>", "close <name>", "factoid <name>".
    std::vector<std::string> events;
    // Objects of this name are refused (a negative result), as a host may.
    std::string refuse;
    int refused = 0;

    Object* object(TymObject h) {
        for (auto& o : objects)
            if (reinterpret_cast<TymObject>(o.get()) == h) return o.get();
        return nullptr;
    }
    std::vector<const RecordedTable*> named(const std::string& name) const {
        std::vector<const RecordedTable*> out;
        for (const RecordedTable& t : tables)
            if (t.name == name) out.push_back(&t);
        return out;
    }
};

inline Recorder& recorder() {
    static Recorder r;
    return r;
}

inline std::string attr_text(const TymAttr& a) {
    if (a.type != TYM_ATTR_TEXT || a.v.s == nullptr) return {};
    std::string s(a.v.s, a.len < 0 ? std::strlen(a.v.s) : static_cast<size_t>(a.len));
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

inline const TymAttr* find_attr(int nattrs, const TymAttr* attrs, int tag, int type = -1) {
    for (int k = 0; k < nattrs; ++k)
        if (attrs[k].tag == tag && (type < 0 || attrs[k].type == type)) return &attrs[k];
    return nullptr;
}

inline Value read_buffer(const Recorder::Column& c) {
    Value v;
    if (c.type == TYM_COL_INT) {
        int32_t i = 0;
        std::memcpy(&i, c.buffer, sizeof i);
        v.number = i;
    } else if (c.type == TYM_COL_DOUBLE) {
        std::memcpy(&v.number, c.buffer, sizeof v.number);
    } else {
        v.text = true;
        v.s.assign(static_cast<const char*>(c.buffer), static_cast<size_t>(c.width));
        while (!v.s.empty() && v.s.back() == ' ') v.s.pop_back();
    }
    return v;
}

inline Value attr_value(const TymAttr& a) {
    Value v;
    if (a.type == TYM_ATTR_TEXT) {
        v.text = true;
        v.s = attr_text(a);
    } else if (a.type == TYM_ATTR_INT) {
        v.number = static_cast<double>(a.v.i);
    } else if (a.type == TYM_ATTR_DOUBLE) {
        v.number = a.v.d;
    }
    return v;
}

// The table vector of the recording host.
inline int record_request(TymObject target, int code, int nattrs, const TymAttr* attrs) {
    Recorder& r = recorder();
    Recorder::Object* obj = r.object(target);
    switch (code) {
        case TYM_REQ_CREATE: {
            const TymAttr* slot = find_attr(nattrs, attrs, TYM_TAG_SLOT, TYM_ATTR_SLOT);
            auto o = std::make_unique<Recorder::Object>();
            if (const TymAttr* k = find_attr(nattrs, attrs, TYM_TAG_KIND)) o->kind = attr_text(*k);
            if (const TymAttr* n = find_attr(nattrs, attrs, TYM_TAG_NAME)) o->name = attr_text(*n);
            if (const TymAttr* l = find_attr(nattrs, attrs, TYM_TAG_LABEL)) o->label = attr_text(*l);
            if (!r.refuse.empty() && o->name == r.refuse) {
                ++r.refused;
                return -3;
            }
            if (o->kind == "factoid") {
                RecordedTable t;
                t.kind = "factoid";
                t.name = o->name;
                t.label = o->label;
                if (const TymAttr* tp = find_attr(nattrs, attrs, TYM_TAG_TEMPLATE)) t.template_path = attr_text(*tp);
                o->table = static_cast<int>(r.tables.size());
                r.tables.push_back(t);
                r.events.push_back("factoid " + o->name);
            }
            if (slot != nullptr) *slot->v.slot = reinterpret_cast<TymObject>(o.get());
            r.objects.push_back(std::move(o));
            return 0;
        }
        case TYM_REQ_DEFINE_COLUMN: {
            if (obj == nullptr) return -2;
            Recorder::Column c{};
            c.type = static_cast<int>(find_attr(nattrs, attrs, TYM_TAG_COLUMN_TYPE)->v.i);
            if (const TymAttr* w = find_attr(nattrs, attrs, TYM_TAG_COLUMN_WIDTH)) c.width = static_cast<int>(w->v.i);
            c.buffer = find_attr(nattrs, attrs, TYM_TAG_COLUMN_BUFFER)->v.p;
            obj->columns.push_back(c);
            obj->names.push_back(attr_text(*find_attr(nattrs, attrs, TYM_TAG_NAME)));
            return 0;
        }
        case TYM_REQ_END_COLUMNS: return obj == nullptr ? -2 : 0;
        case TYM_REQ_OPEN_TABLE: {
            const TymAttr* slot = find_attr(nattrs, attrs, TYM_TAG_HANDLE, TYM_ATTR_SLOT);
            const TymAttr* data = find_attr(nattrs, attrs, TYM_TAG_HANDLE, TYM_ATTR_OBJECT);
            auto o = std::make_unique<Recorder::Object>();
            o->kind = "table";
            o->data = r.object(data->v.o);
            if (o->data == nullptr) return -2;
            RecordedTable t;
            t.kind = "data";
            t.name = attr_text(*find_attr(nattrs, attrs, TYM_TAG_NAME));
            t.template_path = attr_text(*find_attr(nattrs, attrs, TYM_TAG_TEMPLATE));
            t.label = attr_text(*find_attr(nattrs, attrs, TYM_TAG_LABEL));
            t.columns = o->data->names;
            o->name = t.name;
            o->table = static_cast<int>(r.tables.size());
            r.tables.push_back(t);
            r.events.push_back("open " + t.name);
            *slot->v.slot = reinterpret_cast<TymObject>(o.get());
            r.objects.push_back(std::move(o));
            return 0;
        }
        case TYM_REQ_EMIT_ROW: {
            if (obj == nullptr || obj->kind != "table" || obj->data == nullptr) return -2;
            RecordedTable& t = r.tables[static_cast<size_t>(obj->table)];
            if (t.rows_ended) return -5;
            std::vector<Value> row;
            for (const Recorder::Column& c : obj->data->columns) row.push_back(read_buffer(c));
            t.rows.push_back(row);
            return 0;
        }
        case TYM_REQ_END_ROWS: {
            if (obj == nullptr || obj->kind != "table") return -2;
            RecordedTable& t = r.tables[static_cast<size_t>(obj->table)];
            t.rows_ended = true;
            const TymAttr* open = find_attr(nattrs, attrs, TYM_TAG_LOG_OPEN);
            t.ended_with_log_open = open != nullptr && open->v.i == 1;
            return 0;
        }
        case TYM_REQ_CLOSE_TABLE: {
            const TymAttr* h = find_attr(nattrs, attrs, TYM_TAG_HANDLE, TYM_ATTR_OBJECT);
            Recorder::Object* table = h != nullptr ? r.object(h->v.o) : obj;
            if (table == nullptr || table->kind != "table") return 0;  // output objects at the end of the run
            r.tables[static_cast<size_t>(table->table)].closed = true;
            r.events.push_back("close " + table->name);
            return 0;
        }
        case TYM_REQ_ADD_ENTRY: {
            if (obj == nullptr || obj->table < 0) return -2;
            RecordedTable& t = r.tables[static_cast<size_t>(obj->table)];
            if (const TymAttr* key = find_attr(nattrs, attrs, TYM_TAG_ENTRY_KEY)) {
                if (attr_text(*key) == "SubTitles") {
                    const TymAttr* v = find_attr(nattrs, attrs, TYM_TAG_ENTRY_TEXT);
                    t.subtitle = std::string(v->v.s, static_cast<size_t>(v->len));
                }
                return 0;
            }
            const TymAttr* v = find_attr(nattrs, attrs, TYM_TAG_ENTRY_TEXT);
            if (v == nullptr) v = find_attr(nattrs, attrs, TYM_TAG_ENTRY_VALUE);
            t.entries.emplace_back(attr_text(*find_attr(nattrs, attrs, TYM_TAG_LABEL)), attr_value(*v));
            return 0;
        }
        case TYM_REQ_END_ENTRIES:
        case TYM_REQ_RELEASE: return 0;
        default: return -1;
    }
}

class ReportRun : public readertest::ReaderTest {
  protected:
    void SetUp() override;

    // The path of a data set file in the test's folder, and the option
    // naming it (PRIMALOUT and the like).
    std::string out_path(const std::string& file) const { return (dir_ / file).string(); }
    void name_output(tymlp::DataSetNumber which, const std::string& file);

    // Runs the procedure after the statement step; returns the end code.
    // The context is gone afterwards (end_run released it).
    int run(bool sparse = false);

    // The observations of a data set written by the run: variable names and
    // one row of values per observation.
    struct DataSet {
        std::vector<std::string> names;
        std::vector<int> types;
        std::vector<std::vector<Value>> rows;
        int var(const std::string& n) const {
            for (size_t k = 0; k < names.size(); ++k)
                if (names[k] == n) return static_cast<int>(k);
            return -1;
        }
    };
    DataSet read_back(const std::string& file);

    const Recorder& tables() const { return recorder(); }
    std::vector<std::string> message_texts(int number) const;

    TymTableVector table_vector_{};
};

inline void ReportRun::SetUp() {
    ReaderTest::SetUp();
    recorder() = Recorder{};
    table_vector_ = *static_cast<const TymTableVector*>(composed_.vectors[TYM_VEC_TABLE]);
    table_vector_.request = record_request;
    composed_.vectors[TYM_VEC_TABLE] = &table_vector_;
    composed_.vectors[TYM_VEC_DATA_OUT] = qmlp::host::data_out_vector();
    tymlp::attach_host(&composed_, 0);
}

inline void ReportRun::name_output(tymlp::DataSetNumber which, const std::string& file) {
    TymDataRef& ref = ctx_->handles.data_ref[which];
    ref = TymDataRef{};
    std::snprintf(ref.path, sizeof ref.path, "%s", out_path(file).c_str());
    ctx_->handles.data_given[which] = 1;
}

inline int ReportRun::run(bool sparse) {
    ctx_->options.sparsedata = sparse ? 1 : 0;
    ctx_->entries.reader = sparse ? tymlp::read_sparse : tymlp::read_dense;
    try {
        tymlp::run_after_statement(ctx_);
    } catch (const minihost::StepEnded& e) {
        ctx_ = nullptr;
        return e.end_code;
    }
    ctx_ = nullptr;
    return -1;
}

inline ReportRun::DataSet ReportRun::read_back(const std::string& file) {
    DataSet ds;
    const TymDataInVector* in = qmlp::host::data_in_vector();
    TymDataRef ref{};
    std::snprintf(ref.path, sizeof ref.path, "%s", out_path(file).c_str());
    TymDataIn h = in->open(&ref);
    if (h == nullptr) return ds;
    const int count = in->var_count(h);
    std::vector<std::vector<char>> fields(static_cast<size_t>(count));
    for (int v = 1; v <= count; ++v) {
        char name[33] = {};
        int type = 0, length = 0;
        in->var_info(h, v, name, &type, &length);
        ds.names.push_back(name);
        ds.types.push_back(type);
        fields[static_cast<size_t>(v - 1)].assign(static_cast<size_t>(type == TYM_VAR_NUMERIC ? 8 : length), ' ');
        in->bind(h, v, fields[static_cast<size_t>(v - 1)].data(), length);
    }
    while (in->read_next(h) == 0) {
        std::vector<Value> row;
        for (int v = 0; v < count; ++v) {
            Value val;
            const std::vector<char>& f = fields[static_cast<size_t>(v)];
            if (ds.types[static_cast<size_t>(v)] == TYM_VAR_NUMERIC) {
                std::memcpy(&val.number, f.data(), sizeof val.number);
            } else {
                val.text = true;
                val.s.assign(f.begin(), f.end());
                while (!val.s.empty() && val.s.back() == ' ') val.s.pop_back();
            }
            row.push_back(val);
        }
        ds.rows.push_back(row);
    }
    in->close(h);
    return ds;
}

inline std::vector<std::string> ReportRun::message_texts(int number) const {
    std::vector<std::string> out;
    for (const auto& m : host_->messages)
        if (m.number == number) out.push_back(m.args.empty() ? std::string() : m.args.front());
    return out;
}

}  // namespace reporttest
