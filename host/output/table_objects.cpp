// table_objects.cpp -- creating, grouping and releasing host objects.
#include <algorithm>
#include <cctype>

#include "output/output_session.h"
#include "output/table_objects.h"

namespace qmlp::host::output {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The group new objects created on target belong to.
Group* group_for(ProtoObject& target) {
    if (target.kind == ObjKind::Group && !target.closed) return target.group;
    return innermost_open_group();
}

ProtoObject& make_group(ProtoObject& target, const Attrs& a) {
    ProtoObject& obj = new_object(ObjKind::Group);
    obj.group = &add_group(group_for(target), a.text(TYM_TAG_NAME).value_or(""), a.text(TYM_TAG_LABEL).value_or(""));
    return obj;
}

}  // namespace

Table* factoid_table(ProtoObject& target, const Attrs& a);  // table_factoid.cpp

int create_object(ProtoObject& target, const Attrs& a) {
    const int code = TYM_REQ_CREATE;
    if (const auto facility = a.text(TYM_TAG_FACILITY); facility && lower(*facility) != "pvs")
        return fail(code, kBadAttribute, "the facility \"" + *facility + "\" is not \"pvs\"");
    const std::string kind = lower(a.text(TYM_TAG_KIND).value_or("data"));
    TymObject* slot = a.slot();
    if (slot == nullptr) return fail(code, kMissingAttribute, "no slot receives the new object");

    ProtoObject* made = nullptr;
    if (kind == "manager" || kind == "output") {
        made = &new_object(kind == "manager" ? ObjKind::Manager : ObjKind::Output);
    } else if (kind == "group") {
        made = &make_group(target, a);
    } else if (kind == "data") {
        const auto name = a.text(TYM_TAG_NAME);
        if (!name || name->empty()) return fail(code, kMissingAttribute, "a data object needs a name");
        made = &new_object(ObjKind::Data);
        made->name = *name;
        made->label = a.text(TYM_TAG_LABEL).value_or("");
        if (const TymAttr* buf = a.find(TYM_TAG_COLUMN_BUFFER)) made->base = static_cast<const char*>(buf->v.p);
    } else if (kind == "factoid") {
        made = &new_object(ObjKind::Factoid);
        made->table = factoid_table(target, a);
    } else {
        return fail(code, kBadAttribute, "unknown object kind \"" + kind + "\"");
    }
    *slot = handle_of(*made);
    return 0;
}

int open_group_request(ProtoObject& target, const Attrs& a) {
    TymObject* slot = a.slot();
    if (slot == nullptr) return fail(TYM_REQ_END_ENTRIES, kMissingAttribute, "no slot receives the group");
    ProtoObject& g = make_group(target, a);
    *slot = handle_of(g);
    return 0;
}

Table& new_data_table(ProtoObject& target, ProtoObject& data, const Attrs& a) {
    Table& t = add_table(TableKind::Data, group_for(target));
    t.template_path = a.text(TYM_TAG_TEMPLATE).value_or("");
    t.name = a.text(TYM_TAG_NAME).value_or(data.name);
    t.label = a.text(TYM_TAG_LABEL).value_or("");
    t.data_name = data.name;
    t.data_label = data.label;
    t.keys = data.by_keys;
    for (const DataColumn& c : data.columns) t.columns.push_back(c.column);
    return t;
}

int release_object(ProtoObject& obj) {
    switch (obj.kind) {
        case ObjKind::Root: flush_open_tables(); return 0;
        case ObjKind::Manager:
        case ObjKind::Output:
            // Releasing an output object is how the module makes sure that
            // everything printed so far reaches the user.
            flush_open_tables();
            session().listing.flush();
            forget(obj);
            return 0;
        case ObjKind::Group:
            close_group(obj.group);
            obj.closed = true;
            forget(obj);
            return 0;
        case ObjKind::Data: {
            const auto tables = obj.open_tables;
            for (uintptr_t key : tables)
                if (ProtoObject* t = lookup_key(key)) close_table(*t);
            forget(obj);
            return 0;
        }
        case ObjKind::Table: return close_table(obj);
        case ObjKind::Factoid:
            if (obj.table != nullptr) table_completed(*obj.table);
            forget(obj);
            return 0;
    }
    return kBadRequest;
}

}  // namespace qmlp::host::output
