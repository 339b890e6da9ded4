// table_protocol.cpp -- vector 10 of the host object: the registry of
// host objects, attribute checking and the dispatch of requests (see
// table_objects.h for the protocol).
#include <algorithm>
#include <cctype>
#include <new>
#include <set>

#include "host_api.h"
#include "output/output_session.h"
#include "output/table_objects.h"
#include "output/text_util.h"

namespace qmlp::host::output {
namespace {

// Handles are registry keys, spaced like pointers so that they never look
// like small integers.
constexpr uintptr_t kFirstHandleKey = 0x51000;
constexpr uintptr_t kHandleKeyStep = 0x10;

// Value types each known tag takes.
struct TagRule {
    int tag;
    unsigned types;  // bit (1 << TymAttrType)
};

constexpr unsigned bit(int type) { return 1u << type; }

constexpr TagRule kTagRules[] = {
    {TYM_TAG_HANDLE, bit(TYM_ATTR_SLOT) | bit(TYM_ATTR_OBJECT) | bit(TYM_ATTR_TEXT)},
    {TYM_TAG_COLUMN_TYPE, bit(TYM_ATTR_INT)},
    {TYM_TAG_COLUMN_OFFSET, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_STYLE, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_NAME, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_FACILITY, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_SLOT, bit(TYM_ATTR_SLOT) | bit(TYM_ATTR_OBJECT)},
    {TYM_TAG_KIND, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_MINUS_ONE, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_NOTE, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_MATRIX_FORMAT, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_ENTRY_DECIMALS, bit(TYM_ATTR_INT)},
    {TYM_TAG_ENTRY_WIDTH, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_FIELD, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_OPTION, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_FUZZ, bit(TYM_ATTR_DOUBLE)},
    {TYM_TAG_COLUMN_BUFFER, bit(TYM_ATTR_ADDRESS)},
    {TYM_TAG_ENTRY_VALUE, bit(TYM_ATTR_INT) | bit(TYM_ATTR_DOUBLE) | bit(TYM_ATTR_TEXT)},
    {TYM_TAG_COLUMN_WIDTH, bit(TYM_ATTR_INT)},
    {TYM_TAG_LABEL, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_LOG_OPEN, bit(TYM_ATTR_INT)},
    {TYM_TAG_ENTRY_KEY, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_CREATE_FLAG, bit(TYM_ATTR_INT)},
    {TYM_TAG_TEMPLATE, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_ENTRY_TEXT, bit(TYM_ATTR_TEXT)},
    {TYM_TAG_MATRIX_VALUES, bit(TYM_ATTR_ADDRESS)},
    {TYM_TAG_MATRIX_ROWS, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_COLUMNS, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_COLUMN_LABELS, bit(TYM_ATTR_ADDRESS) | bit(TYM_ATTR_TEXT)},
    {TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH2, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_ROW_LABELS, bit(TYM_ATTR_ADDRESS) | bit(TYM_ATTR_TEXT)},
    {TYM_TAG_MATRIX_ROW_LABEL_WIDTH, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_ROW_LABEL_WIDTH2, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_LAYOUT1, bit(TYM_ATTR_INT)},
    {TYM_TAG_MATRIX_LAYOUT2, bit(TYM_ATTR_INT)},
};

const TagRule* find_rule(int tag) {
    for (const TagRule& r : kTagRules)
        if (r.tag == tag) return &r;
    return nullptr;
}

const char* request_name(int code) {
    switch (code) {
        case TYM_REQ_CREATE: return "create object (147)";
        case TYM_REQ_DEFINE_COLUMN: return "define column (338)";
        case TYM_REQ_END_COLUMNS: return "end columns (298)";
        case TYM_REQ_OPEN_TABLE: return "open table (422)";
        case TYM_REQ_EMIT_ROW: return "emit row (329)";
        case TYM_REQ_END_ROWS: return "end rows (299)";
        case TYM_REQ_CLOSE_TABLE: return "close table (428)";
        case TYM_REQ_ADD_ENTRY: return "add entry (164)";
        case TYM_REQ_END_ENTRIES: return "end entries (300)";
        case TYM_REQ_RELEASE: return "release (388)";
        case TYM_REQ_BY_GROUP: return "by-group key (316)";
        default: return nullptr;
    }
}

int g_current_code = 0;  // request being served, for error lines

// The object an attribute 0 names, when the target is a container.
ProtoObject* referenced_object(const Attrs& a) {
    const auto objs = a.objects(TYM_TAG_HANDLE);
    return objs.empty() ? nullptr : lookup(objs.front());
}

int dispatch(ProtoObject& target, int code, const Attrs& a) {
    const bool container = is_container(target);
    switch (code) {
        case TYM_REQ_CREATE:
            if (!container) return fail(code, kBadRequest, "objects are created on an output object or a group");
            return create_object(target, a);
        case TYM_REQ_DEFINE_COLUMN:
            if (target.kind != ObjKind::Data) return fail(code, kBadRequest, "the target is not a data object");
            return define_column(target, a);
        case TYM_REQ_END_COLUMNS:
            if (target.kind != ObjKind::Data) return fail(code, kBadRequest, "the target is not a data object");
            return end_columns(target);
        case TYM_REQ_OPEN_TABLE: return open_table(target, a);
        case TYM_REQ_EMIT_ROW: return emit_row(target);
        case TYM_REQ_END_ROWS:
            if (container) {
                ProtoObject* obj = referenced_object(a);
                if (obj == nullptr) return fail(code, kMissingAttribute, "no table is named in attribute 0");
                return end_rows(*obj, a);
            }
            return end_rows(target, a);
        case TYM_REQ_CLOSE_TABLE: {
            ProtoObject* obj = &target;
            if (target.kind != ObjKind::Group && container) {
                obj = referenced_object(a);
                if (obj == nullptr) return fail(code, kMissingAttribute, "no table is named in attribute 0");
            }
            return close_table(*obj);
        }
        case TYM_REQ_ADD_ENTRY:
            if (target.kind != ObjKind::Factoid) return fail(code, kBadRequest, "the target is not a factoid");
            return add_entry(target, a);
        case TYM_REQ_END_ENTRIES:
            if (target.kind == ObjKind::Factoid) return end_entries(target, a);
            if (container) return open_group_request(target, a);
            return fail(code, kBadRequest, "the target is neither a factoid nor an output object");
        case TYM_REQ_BY_GROUP: return add_by_group(target, a);
        case TYM_REQ_RELEASE:
            if (container && a.has(TYM_TAG_MATRIX_VALUES)) return matrix_request(target, a);
            if (container && target.kind != ObjKind::Group && !a.objects(TYM_TAG_HANDLE).empty()) {
                ProtoObject* obj = referenced_object(a);
                if (obj == nullptr) return fail(code, kBadHandle, "attribute 0 is not an object of this step");
                return release_object(*obj);
            }
            return release_object(target);
        default: return fail(code, kBadRequest, "unknown request code");
    }
}

// ---------------------------------------------------------------- vector

TymObject output_object_entry() {
    current_step();
    return reinterpret_cast<TymObject>(registry().root);
}

int request_entry(TymObject target, int code, int nattrs, const TymAttr* attrs) {
    g_current_code = code;
    try {
        if (nattrs < 0 || (nattrs > 0 && attrs == nullptr))
            return fail(code, kBadAttribute, "the attribute list is invalid");
        if (request_name(code) == nullptr) return fail(code, kBadRequest, "unknown request code");
        if (const int st = validate_attrs(code, attrs, nattrs); st != 0) return st;
        ProtoObject* obj = lookup(target);
        if (obj == nullptr) return fail(code, kBadHandle, "the target is not an object of this step");
        return dispatch(*obj, code, Attrs(attrs, nattrs));
    } catch (const std::bad_alloc&) {
        return fail(code, kNoMemory, "out of memory");
    } catch (...) {
        return fail(code, kBadRequest, "internal failure");
    }
}

const TymTableVector kTableVector = {sizeof(TymTableVector), output_object_entry, request_entry};

}  // namespace

// ---------------------------------------------------------------- registry

Registry& registry() {
    static Registry r;
    return r;
}

ProtoObject* lookup(TymObject handle) { return lookup_key(reinterpret_cast<uintptr_t>(handle)); }

ProtoObject* lookup_key(uintptr_t key) {
    auto& objs = registry().objects;
    const auto it = objs.find(key);
    return it == objs.end() ? nullptr : it->second.get();
}

TymObject handle_of(const ProtoObject& obj) { return reinterpret_cast<TymObject>(obj.key); }

ProtoObject& new_object(ObjKind kind) {
    Registry& r = registry();
    if (r.next_key == 0) r.next_key = kFirstHandleKey;
    auto obj = std::make_unique<ProtoObject>();
    obj->kind = kind;
    obj->key = r.next_key;
    r.next_key += kHandleKeyStep;
    ProtoObject& ref = *obj;
    r.objects.emplace(ref.key, std::move(obj));
    return ref;
}

void forget(ProtoObject& obj) {
    if (obj.key == registry().root) return;  // the root lives for the step
    registry().objects.erase(obj.key);
}

bool is_container(const ProtoObject& obj) {
    return obj.kind == ObjKind::Root || obj.kind == ObjKind::Manager || obj.kind == ObjKind::Output ||
           obj.kind == ObjKind::Group;
}

int fail(int code, int status, const std::string& why) {
    const char* name = request_name(code);
    const std::string req = name != nullptr ? name : ("code " + std::to_string(code));
    log_line(Severity::Error, "Table output request " + req + " failed: " + why + ".");
    return status;
}

int validate_attrs(int code, const TymAttr* attrs, int n) {
    for (int k = 0; k < n; ++k) {
        const TymAttr& a = attrs[k];
        const TagRule* rule = find_rule(a.tag);
        if (rule == nullptr) return fail(code, kBadAttribute, "unknown attribute tag " + std::to_string(a.tag));
        if (a.type < 0 || a.type > 31 || (rule->types & bit(a.type)) == 0)
            return fail(code, kBadAttribute,
                        "attribute " + std::to_string(a.tag) + " has a value type it does not take");
        if (a.type == TYM_ATTR_TEXT && a.v.s == nullptr && a.len != 0)
            return fail(code, kBadAttribute, "attribute " + std::to_string(a.tag) + " has no text");
        if (a.type == TYM_ATTR_SLOT && a.v.slot == nullptr)
            return fail(code, kBadAttribute, "attribute " + std::to_string(a.tag) + " has no slot");
    }
    return 0;
}

// ---------------------------------------------------------------- attributes

const TymAttr* Attrs::find(int tag) const {
    for (int k = 0; k < n_; ++k)
        if (attrs_[k].tag == tag) return &attrs_[k];
    return nullptr;
}

std::optional<std::string> Attrs::text(int tag) const {
    const TymAttr* a = find(tag);
    if (a == nullptr || a->type != TYM_ATTR_TEXT) return std::nullopt;
    return counted_text(a->v.s, a->len);
}

std::optional<int64_t> Attrs::integer(int tag) const {
    const TymAttr* a = find(tag);
    if (a == nullptr || a->type != TYM_ATTR_INT) return std::nullopt;
    return a->v.i;
}

std::optional<double> Attrs::number(int tag) const {
    const TymAttr* a = find(tag);
    if (a == nullptr) return std::nullopt;
    if (a->type == TYM_ATTR_DOUBLE) return a->v.d;
    if (a->type == TYM_ATTR_INT) return static_cast<double>(a->v.i);
    return std::nullopt;
}

TymObject* Attrs::slot() const {
    for (int k = 0; k < n_; ++k)
        if (attrs_[k].type == TYM_ATTR_SLOT && (attrs_[k].tag == TYM_TAG_SLOT || attrs_[k].tag == TYM_TAG_HANDLE))
            return attrs_[k].v.slot;
    return nullptr;
}

std::vector<TymObject> Attrs::objects(int tag) const {
    std::vector<TymObject> out;
    for (int k = 0; k < n_; ++k)
        if (attrs_[k].type == TYM_ATTR_OBJECT && (tag < 0 || attrs_[k].tag == tag)) out.push_back(attrs_[k].v.o);
    return out;
}

std::optional<Cell> Attrs::value(int tag) const {
    const TymAttr* a = find(tag);
    if (a == nullptr) return std::nullopt;
    switch (a->type) {
        case TYM_ATTR_INT: return Cell::integer(a->v.i);
        case TYM_ATTR_DOUBLE: return Cell::number(a->v.d);
        case TYM_ATTR_TEXT: return Cell::text(counted_text(a->v.s, a->len));
        default: return std::nullopt;
    }
}

// ---------------------------------------------------------------- step life

void protocol_step_begin() {
    Registry& r = registry();
    r.objects.clear();
    ProtoObject& root = new_object(ObjKind::Root);
    r.root = root.key;
}

void protocol_step_end() {
    Registry& r = registry();
    // Whatever the step left open still reaches the listing.
    for (auto& [key, obj] : r.objects) {
        if ((obj->kind == ObjKind::Table || obj->kind == ObjKind::Factoid) && obj->table != nullptr)
            table_completed(*obj->table);
    }
    r.objects.clear();
    r.root = 0;
}

}  // namespace qmlp::host::output

namespace qmlp::host {
const TymTableVector* table_vector() { return &output::kTableVector; }
}  // namespace qmlp::host
