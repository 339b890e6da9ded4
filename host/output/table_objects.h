// table_objects.h -- the host objects behind the handles of the table
// output vector, their registry, and attribute access.
//
// Protocol in brief (codes and tags in tym_host.h):
//   containers  the step's root output object, "manager" and "output"
//               objects, and groups; tables created on a container land in
//               the innermost open group (or in the group that is the target)
//   147 create  on a container: kind (146) "manager" | "output" | "group" |
//               "data" | "factoid", facility (143) "pvs", slot (144 or 0),
//               name (138), label (296), template (339, factoids), a common
//               column buffer (285, data objects)
//   338 / 298   define a column of a data object / end the definitions;
//               column buffers: type 3 reads an int32_t, type 5 a double,
//               type 6 `width` bytes (blank padded); an offset (104) is added
//               to the column's buffer (285, else the data object's, else
//               the previous column's)
//   422         open a table on a data object (target, or an object
//               attribute): slot (0 or 144), template, name, label
//   329         emit a row (target: the table, or the data object)
//   299         end the rows (300 = 1: the data object stays for another table)
//   428         close a table (target: the table; or a container with the
//               table in attribute 0); on a group: close the group
//   164 / 300   add an entry to a factoid / end its entries; 300 on a
//               container with a slot opens a group (name, label)
//   316         a by-group key of a data object or table: name, value
//   388         release an object (target, or attribute 0 of a container);
//               on a container with the matrix attributes (389...): a matrix
// Every failure returns a negative status and writes an ERROR line naming
// the request and what was wrong; nothing is ever dereferenced before the
// handle has been found in the registry.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "output/output_model.h"
#include "tym_host.h"

namespace qmlp::host::output {

// Negative results of a request.
enum TableStatus {
    kTableOk = 0,
    kBadRequest = -1,        // unknown code, or a code the target does not take
    kBadHandle = -2,         // not an object of this step
    kBadAttribute = -3,      // unknown tag, wrong value type or an invalid value
    kMissingAttribute = -4,  // a required attribute is absent
    kBadSequence = -5,       // out of order (emit before open, define after end, ...)
    kNoMemory = -6
};

enum class ObjKind { Root, Manager, Output, Group, Data, Factoid, Table };

struct DataColumn {
    Column column;
    const char* base = nullptr;  // the buffer (285, else inherited)
    int64_t offset = 0;          // added to base (104)
    int bytes = 0;               // width of a character buffer
};

struct ProtoObject {
    ObjKind kind = ObjKind::Root;
    uintptr_t key = 0;
    // group
    Group* group = nullptr;
    bool closed = false;
    // data object
    std::string name;
    std::string label;
    const char* base = nullptr;
    std::vector<DataColumn> columns;
    bool columns_ended = false;
    bool rows_ended = false;
    std::vector<std::pair<std::string, std::string>> by_keys;
    std::vector<uintptr_t> open_tables;
    // table (and factoid)
    uintptr_t data_key = 0;
    Table* table = nullptr;
    bool table_rows_ended = false;
};

struct Registry {
    std::map<uintptr_t, std::unique_ptr<ProtoObject>> objects;
    uintptr_t next_key = 0;
    uintptr_t root = 0;
};

Registry& registry();
ProtoObject* lookup(TymObject handle);
ProtoObject* lookup_key(uintptr_t key);
TymObject handle_of(const ProtoObject& obj);
ProtoObject& new_object(ObjKind kind);
void forget(ProtoObject& obj);
bool is_container(const ProtoObject& obj);

// Writes an ERROR line about a failed request and returns status.
int fail(int code, int status, const std::string& why);

// Read access to the attributes of one request (already validated).
class Attrs {
  public:
    Attrs(const TymAttr* attrs, int n) : attrs_(attrs), n_(n) {}
    const TymAttr* find(int tag) const;
    bool has(int tag) const { return find(tag) != nullptr; }
    std::optional<std::string> text(int tag) const;
    std::optional<int64_t> integer(int tag) const;
    std::optional<double> number(int tag) const;
    // The first slot attribute (tag 144 or 0).
    TymObject* slot() const;
    // Objects given by an object attribute of the listed tag (any tag when -1).
    std::vector<TymObject> objects(int tag = -1) const;
    // A value given as text, integer or double (entries, by-group keys).
    std::optional<Cell> value(int tag) const;
    int size() const { return n_; }

  private:
    const TymAttr* attrs_;
    int n_;
};

// 0, or the failing status when an attribute has an unknown tag or a value
// type its tag does not take.
int validate_attrs(int code, const TymAttr* attrs, int n);

// Handlers (target already resolved).
int create_object(ProtoObject& target, const Attrs& a);
int open_group_request(ProtoObject& target, const Attrs& a);
int define_column(ProtoObject& data, const Attrs& a);
int end_columns(ProtoObject& data);
int open_table(ProtoObject& target, const Attrs& a);
int emit_row(ProtoObject& target);
int end_rows(ProtoObject& target, const Attrs& a);
int close_table(ProtoObject& table);
int add_by_group(ProtoObject& target, const Attrs& a);
int add_entry(ProtoObject& factoid, const Attrs& a);
int end_entries(ProtoObject& factoid, const Attrs& a);
int matrix_request(ProtoObject& target, const Attrs& a);
int release_object(ProtoObject& obj);

}  // namespace qmlp::host::output
