// output_connection.cpp -- opening and closing the table output objects.
#include "output/output_connection.h"

#include "base/host_link.h"
#include "output/table_output.h"

namespace tymlp {
namespace {

// Creates an object of `kind` under `parent` into *slot.  These requests go
// to the host directly, not through table_request: a refused one is
// returned to the caller, and closing, which the end of a run does, must
// not end the run again.
int create_object(TymObject parent, const char* kind, TymObject* slot) {
    const TymAttr attrs[] = {
        attr_text(TYM_TAG_FACILITY, kTableFacility),
        attr_text(TYM_TAG_KIND, kind),
        attr_slot(TYM_TAG_SLOT, slot),
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
    int rc = create_object(root, "manager", &h.manager);
    if (rc == 0) rc = create_object(h.manager, "output", &h.output[0]);
    return rc;
}

TymObject table_output_object(const LpContext* ctx) {
    return ctx->handles.output[0] != nullptr ? ctx->handles.output[0] : ctx->handles.manager;
}

void close_output_objects(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    // A table left open is closed through the output object it was opened
    // on, while that object still exists.
    TymObject owner = table_output_object(ctx);
    if (h.open_table != nullptr && owner != nullptr) {
        const TymAttr handle = attr_object(TYM_TAG_HANDLE, h.open_table);
        host_table_request(owner, TYM_REQ_CLOSE_TABLE, 1, &handle);
    }
    h.open_table = nullptr;
    release_object(&h.output[0]);
    release_object(&h.output[1]);
    release_object(&h.manager);
}

}  // namespace tymlp
