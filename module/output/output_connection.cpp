// output_connection.cpp -- opening and closing the table output objects.
#include "output/output_connection.h"

#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr const char* kFacility = "pvs";
constexpr int kFacilityLength = 3;

TymAttr text_attr(int tag, const char* text, int length) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_TEXT;
    a.len = length;
    a.v.s = text;
    return a;
}

TymAttr slot_attr(TymObject* slot) {
    TymAttr a{};
    a.tag = TYM_TAG_SLOT;
    a.type = TYM_ATTR_SLOT;
    a.v.slot = slot;
    return a;
}

TymAttr object_attr(int tag, TymObject object) {
    TymAttr a{};
    a.tag = tag;
    a.type = TYM_ATTR_OBJECT;
    a.v.o = object;
    return a;
}

// Creates an object of `kind` under `parent` into *slot.
int create_object(TymObject parent, const char* kind, int kind_length, TymObject* slot) {
    const TymAttr attrs[] = {
        text_attr(TYM_TAG_FACILITY, kFacility, kFacilityLength),
        text_attr(TYM_TAG_KIND, kind, kind_length),
        slot_attr(slot),
    };
    const int rc = host_table_request(parent, TYM_REQ_CREATE, 3, attrs);
    if (rc < 0) {
        *slot = nullptr;
        host_status_report(rc);
    }
    return rc < 0 ? rc : 0;
}

void release_object(TymObject* object) {
    if (*object != nullptr) host_table_request(*object, TYM_REQ_RELEASE, 0, nullptr);
    *object = nullptr;
}

}  // namespace

int open_output_connection(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    TymObject root = host_output_object();
    if (root == nullptr) {
        host_status_report(-1);
        return -1;
    }
    int rc = create_object(root, "manager", 7, &h.manager);
    if (rc == 0) rc = create_object(h.manager, "output", 6, &h.output[0]);
    return rc;
}

void close_output_objects(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    // A table left open is closed through the output object it was opened
    // on, while that object still exists.
    TymObject owner = h.output[0] != nullptr ? h.output[0] : h.manager;
    if (h.open_table != nullptr && owner != nullptr) {
        const TymAttr handle = object_attr(TYM_TAG_HANDLE, h.open_table);
        host_table_request(owner, TYM_REQ_CLOSE_TABLE, 1, &handle);
    }
    h.open_table = nullptr;
    release_object(&h.output[0]);
    release_object(&h.output[1]);
    release_object(&h.manager);
}

}  // namespace tymlp
