// scratch_array.h -- zero-filled work arrays of one analysis, taken from the
// host for the step and given back when the analysis leaves, on every path.
#pragma once

#include <cstddef>

#include "base/host_link.h"

namespace tymlp {

template <typename T>
class ScratchArray {
  public:
    explicit ScratchArray(size_t count)
        : data_(static_cast<T*>(host_alloc((count > 0 ? count : 1) * sizeof(T), TYM_ALLOC_STEP_ZERO))) {}
    ~ScratchArray() {
        if (data_ != nullptr) host_release(data_);
    }
    ScratchArray(const ScratchArray&) = delete;
    ScratchArray& operator=(const ScratchArray&) = delete;

    bool ok() const { return data_ != nullptr; }
    T* get() const { return data_; }
    T& operator[](size_t k) const { return data_[k]; }

  private:
    T* data_;
};

}  // namespace tymlp
