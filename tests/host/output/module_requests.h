// module_requests.h -- builds table output requests the way the procedure
// does: tagged attributes on host objects through vector 10.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "tym_host.h"

namespace qmlp::host::output::testing {

class Request {
  public:
    Request& text(int tag, const char* s) {
        return add(tag, TYM_ATTR_TEXT, [&](TymAttr& a) {
            a.v.s = s;
            a.len = static_cast<int32_t>(std::strlen(s));
        });
    }
    Request& integer(int tag, int64_t v) {
        return add(tag, TYM_ATTR_INT, [&](TymAttr& a) { a.v.i = v; });
    }
    Request& number(int tag, double v) {
        return add(tag, TYM_ATTR_DOUBLE, [&](TymAttr& a) { a.v.d = v; });
    }
    Request& object(int tag, TymObject o) {
        return add(tag, TYM_ATTR_OBJECT, [&](TymAttr& a) { a.v.o = o; });
    }
    Request& slot(int tag, TymObject* s) {
        return add(tag, TYM_ATTR_SLOT, [&](TymAttr& a) { a.v.slot = s; });
    }
    Request& address(int tag, const void* p) {
        return add(tag, TYM_ATTR_ADDRESS, [&](TymAttr& a) { a.v.p = p; });
    }

    int send(TymObject target, int code) const {
        return table_vector()->request(target, code, static_cast<int>(attrs_.size()), attrs_.data());
    }

  private:
    template <typename F>
    Request& add(int tag, int type, F fill) {
        TymAttr a{};
        a.tag = tag;
        a.type = type;
        fill(a);
        attrs_.push_back(a);
        return *this;
    }
    std::vector<TymAttr> attrs_;
};

inline TymObject root() { return table_vector()->output_object(); }

// Step 1 of a data table: the data object.
inline TymObject create_data(TymObject on, const char* name, const char* label) {
    TymObject obj = nullptr;
    Request()
        .text(TYM_TAG_FACILITY, "pvs")
        .text(TYM_TAG_KIND, "data")
        .slot(TYM_TAG_SLOT, &obj)
        .integer(TYM_TAG_MINUS_ONE, -1)
        .text(TYM_TAG_NAME, name)
        .text(TYM_TAG_LABEL, label)
        .send(on, TYM_REQ_CREATE);
    return obj;
}

inline int define_column(TymObject data, int type, int width, const char* name, const void* buffer) {
    Request r;
    r.integer(TYM_TAG_COLUMN_TYPE, type);
    if (width > 0) r.integer(TYM_TAG_COLUMN_WIDTH, width);
    r.text(TYM_TAG_NAME, name).address(TYM_TAG_COLUMN_BUFFER, buffer);
    return r.send(data, TYM_REQ_DEFINE_COLUMN);
}

inline TymObject open_table(TymObject data, const char* templ, const char* name, const char* label) {
    TymObject table = nullptr;
    Request()
        .slot(TYM_TAG_HANDLE, &table)
        .object(TYM_TAG_SLOT, data)  // the data object travels as an object attribute
        .text(TYM_TAG_TEMPLATE, templ)
        .text(TYM_TAG_NAME, name)
        .text(TYM_TAG_LABEL, label)
        .send(root(), TYM_REQ_OPEN_TABLE);
    return table;
}

inline TymObject create_factoid(TymObject on, const char* templ, const char* name, const char* label) {
    TymObject obj = nullptr;
    Request()
        .text(TYM_TAG_FACILITY, "pvs")
        .text(TYM_TAG_KIND, "factoid")
        .slot(TYM_TAG_SLOT, &obj)
        .integer(TYM_TAG_MINUS_ONE, -1)
        .text(TYM_TAG_TEMPLATE, templ)
        .text(TYM_TAG_NAME, name)
        .text(TYM_TAG_LABEL, label)
        .send(on, TYM_REQ_CREATE);
    return obj;
}

inline int text_entry(TymObject f, const char* label, const char* value) {
    return Request().text(TYM_TAG_LABEL, label).text(TYM_TAG_ENTRY_TEXT, value).send(f, TYM_REQ_ADD_ENTRY);
}
inline int int_entry(TymObject f, const char* label, int64_t value) {
    return Request().text(TYM_TAG_LABEL, label).integer(TYM_TAG_ENTRY_VALUE, value).send(f, TYM_REQ_ADD_ENTRY);
}
inline int double_entry(TymObject f, const char* label, double value, int width = 0, int decimals = -1) {
    Request r;
    r.text(TYM_TAG_LABEL, label).number(TYM_TAG_ENTRY_VALUE, value);
    if (width > 0) r.integer(TYM_TAG_ENTRY_WIDTH, width);
    if (decimals >= 0) r.integer(TYM_TAG_ENTRY_DECIMALS, decimals);
    return r.send(f, TYM_REQ_ADD_ENTRY);
}

}  // namespace qmlp::host::output::testing
