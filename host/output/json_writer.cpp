// json_writer.cpp -- every table of the run as one JSON document.
#include <nlohmann/json.hpp>

#include "host_api.h"
#include "output/report_writers.h"
#include "output/text_util.h"

namespace qmlp::host::output {
namespace {

using nlohmann::json;

const char* type_name(ColumnType t) {
    switch (t) {
        case ColumnType::Integer: return "integer";
        case ColumnType::Double: return "double";
        case ColumnType::Character:
        default: return "character";
    }
}

const char* kind_name(TableKind k) {
    switch (k) {
        case TableKind::Factoid: return "factoid";
        case TableKind::Matrix: return "matrix";
        case TableKind::Data:
        default: return "data";
    }
}

json cell_json(const Cell& c) {
    switch (c.kind) {
        case Cell::Kind::Integer: return c.i;
        case Cell::Kind::Double:
            if (const int letter = missing_letter(c.d)) {
                std::string code = ".";
                if (letter != '.') code += static_cast<char>(letter);
                return code;
            }
            return c.d == 0.0 ? 0.0 : c.d;
        case Cell::Kind::Text: return trim(c.s);
        case Cell::Kind::Empty:
        default: return nullptr;
    }
}

json table_json(const Table& t) {
    json j;
    j["id"] = t.id;
    j["step"] = t.step;
    j["kind"] = kind_name(t.kind);
    j["name"] = t.name;
    j["template"] = t.template_path;
    j["label"] = t.label;
    if (!t.subtitle.empty()) j["subtitle"] = trim(t.subtitle);
    if (!t.data_name.empty()) j["data_object"] = {{"name", t.data_name}, {"label", t.data_label}};
    json path = json::array(), labels = json::array();
    for (const Group* g : t.groups) {
        path.push_back(g->name);
        labels.push_back(g->label);
    }
    j["group_path"] = path;
    j["group_labels"] = labels;
    json keys = json::array();
    for (const auto& [k, v] : t.keys) keys.push_back({{"name", k}, {"value", v}});
    j["keys"] = keys;

    json cols = json::array(), rows = json::array();
    if (t.kind == TableKind::Factoid) {
        cols.push_back({{"name", "Label"}, {"type", "character"}});
        cols.push_back({{"name", "Value"}, {"type", "mixed"}});
        for (const FactoidEntry& e : t.entries) {
            const json v = cell_json(e.value);
            if (is_blank(e.label) && (v.is_null() || (v.is_string() && v.get<std::string>().empty()))) continue;
            rows.push_back(json::array({trim(e.label), v}));
        }
    } else {
        for (const Column& c : t.columns) cols.push_back({{"name", c.name}, {"type", type_name(c.type)}});
        for (const auto& row : t.rows) {
            json r = json::array();
            for (const Cell& c : row) r.push_back(cell_json(c));
            rows.push_back(std::move(r));
        }
    }
    j["columns"] = cols;
    j["rows"] = rows;
    if (!t.note.empty()) j["note"] = t.note;
    return j;
}

}  // namespace

std::string render_json(const Document& document) {
    json doc;
    doc["format"] = "qmlp-output";
    doc["version"] = 1;
    json steps = json::array(), tables = json::array();
    for (const auto& step : document.steps) {
        json ids = json::array();
        for (const auto& t : step->tables) {
            ids.push_back(t->id);
            tables.push_back(table_json(*t));
        }
        steps.push_back({{"step", step->number}, {"procedure", step->procedure}, {"tables", ids}});
    }
    doc["steps"] = steps;
    doc["tables"] = tables;
    // Replace invalid UTF-8 rather than fail: names come from user data.
    return doc.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace qmlp::host::output
