// host_object.cpp -- assembling the host object from the parts' vectors.
#include "front/host_object.h"

#include "front/attention.h"
#include "front/macro_store.h"
#include "front/parser_vector.h"
#include "front/step_vector.h"
#include "front/system_vector.h"
#include "host_api.h"

namespace qmlp::front {
namespace {

// The word the module copies at entry: the interface version it talks to.
constexpr int64_t kIdentityWord = TYM_HOST_VERSION;

TymHost build() {
    TymHost h{};
    h.size = sizeof(TymHost);
    h.version = TYM_HOST_VERSION;
    h.vector_count = TYM_VEC_COUNT;
    h.vectors[TYM_VEC_STEP] = step_vector();
    h.vectors[TYM_VEC_MESSAGE] = host::message_vector();
    h.vectors[TYM_VEC_MEMORY] = host::memory_vector();
    h.vectors[TYM_VEC_ATTENTION] = attention_vector();
    h.vectors[TYM_VEC_SYSTEM] = system_vector();
    h.vectors[TYM_VEC_MACRO] = macro_vector();
    h.vectors[TYM_VEC_PARSER] = parser_vector();
    h.vectors[TYM_VEC_DATA_IN] = host::data_in_vector();
    h.vectors[TYM_VEC_DATA_OUT] = host::data_out_vector();
    h.vectors[TYM_VEC_UTIL] = host::util_vector();
    h.vectors[TYM_VEC_TABLE] = host::table_vector();
    h.identity_word = kIdentityWord;
    h.opaque_value = 0;
    h.parser_state_slot = nullptr;
    return h;
}

}  // namespace

TymHost* host_object() {
    static TymHost host = build();
    return &host;
}

void host_object_step_begin() { host_object()->parser_state_slot = nullptr; }

}  // namespace qmlp::front
