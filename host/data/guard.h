// guard.h -- keeps C++ exceptions of the host from reaching the module.
//
// The vector entries are called from the module, which expects status codes.
// Running out of memory inside the host's own containers is the one failure
// the standard library reports by throwing; the guard turns it into the
// entry's failure value.
#pragma once

#include <exception>
#include <type_traits>

namespace qmlp::host::data {

template <typename R, typename... P, typename... A>
R guarded(std::type_identity_t<R> failure, R (*entry)(P...), A... args) {
    try {
        return entry(args...);
    } catch (const std::exception&) {
        return failure;
    }
}

}  // namespace qmlp::host::data
