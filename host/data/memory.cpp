// memory.cpp -- the allocator (vector 2): blocks, heaps, the memory limit.
//
// Every block is recorded with the step that took it, so the end of a step
// frees whatever the module still holds, however the step ended.  The limit
// (--memsize, else the machine's physical memory) caps the bytes in use;
// an allocation that would pass it first gives the module's release
// callbacks one chance to give memory back, and fails only then.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "host_api.h"

struct TymHeap_ {
    std::unordered_set<void*> blocks;
    bool step = false;
};

namespace qmlp::host {
namespace data {
namespace {

constexpr int kZeroFill = 0x0004;
constexpr int64_t kReleaseArgument = 1;  // "give back what you can"

int64_t physical_memory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0) return INT64_MAX;
    return static_cast<int64_t>(pages) * page;
}

struct Block {
    size_t bytes = 0;
    TymHeap heap = nullptr;  // nullptr: a block of alloc/release
    bool step = false;       // taken during a step (freed at its end)
};

struct MemoryState {
    int64_t limit = physical_memory();
    int64_t in_use = 0;
    int64_t peak = 0;
    bool in_step = false;
    bool releasing = false;  // the release callbacks are running
    std::unordered_map<void*, Block> blocks;
    std::unordered_set<TymHeap> heaps;
    std::vector<std::pair<TymReleaseCallback, void*>> callbacks;
};

MemoryState& mem() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new MemoryState;
    return *instance;
}

bool fits(size_t bytes) {
    const MemoryState& m = mem();
    return bytes <= static_cast<uint64_t>(std::max<int64_t>(0, m.limit - m.in_use));
}

// Gives the release callbacks their one chance.  They may release blocks
// (and so change the block table) but must not be run again from inside.
void run_release_callbacks() {
    MemoryState& m = mem();
    if (m.releasing || m.callbacks.empty()) return;
    m.releasing = true;
    const auto callbacks = m.callbacks;  // a callback may unregister itself
    for (const auto& [cb, cookie] : callbacks) cb(kReleaseArgument, cookie);
    m.releasing = false;
}

// Raw storage for `bytes` under the limit; nullptr when refused.
void* take(size_t bytes, bool zero) {
    const size_t real = std::max<size_t>(bytes, 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fits(bytes)) {
            void* p = zero ? std::calloc(1, real) : std::malloc(real);
            if (p != nullptr) return p;
        }
        if (attempt == 0) run_release_callbacks();
    }
    return nullptr;
}

// Records a block; frees it and returns nullptr if the table cannot grow.
void* record(void* p, size_t bytes, TymHeap heap) {
    MemoryState& m = mem();
    try {
        m.blocks[p] = Block{bytes, heap, m.in_step};
        if (heap != nullptr) heap->blocks.insert(p);
    } catch (const std::bad_alloc&) {
        m.blocks.erase(p);
        std::free(p);
        return nullptr;
    }
    m.in_use += static_cast<int64_t>(bytes);
    m.peak = std::max(m.peak, m.in_use);
    return p;
}

void forget(void* p) {
    MemoryState& m = mem();
    auto it = m.blocks.find(p);
    m.in_use -= static_cast<int64_t>(it->second.bytes);
    m.blocks.erase(it);
    std::free(p);
}

void* alloc(size_t bytes, int flags) {
    void* p = take(bytes, (flags & kZeroFill) != 0);
    return p == nullptr ? nullptr : record(p, bytes, nullptr);
}

int release(void* block) {
    if (block == nullptr) return kOk;
    auto it = mem().blocks.find(block);
    if (it == mem().blocks.end()) return kBadHandle;
    if (it->second.heap != nullptr) return kBadArgument;  // belongs to a heap
    forget(block);
    return kOk;
}

TymHeap heap_create(int kind, int block_size, int options) {
    try {
        auto* heap = new TymHeap_;
        heap->step = mem().in_step;
        mem().heaps.insert(heap);
        return heap;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool known_heap(TymHeap heap) { return heap != nullptr && mem().heaps.count(heap) != 0; }

// Heap blocks are always zero filled: cheap, and it keeps records that the
// module fills field by field deterministic.
void* heap_alloc(TymHeap heap, size_t bytes) {
    if (!known_heap(heap)) return nullptr;
    void* p = take(bytes, true);
    if (p == nullptr) return nullptr;
    // A release callback may have destroyed the heap meanwhile.
    if (!known_heap(heap)) {
        std::free(p);
        return nullptr;
    }
    return record(p, bytes, heap);
}

bool owned_by(TymHeap heap, void* block) {
    auto it = mem().blocks.find(block);
    return it != mem().blocks.end() && it->second.heap == heap;
}

void* heap_resize(TymHeap heap, void* block, size_t bytes) {
    if (!known_heap(heap)) return nullptr;
    if (block == nullptr) return heap_alloc(heap, bytes);
    if (!owned_by(heap, block)) return nullptr;
    const size_t old_bytes = mem().blocks[block].bytes;
    if (bytes > old_bytes && !fits(bytes - old_bytes)) {
        run_release_callbacks();
        // The callbacks may have released this very block or its heap.
        if (!known_heap(heap) || !owned_by(heap, block) || !fits(bytes - old_bytes)) return nullptr;
    }
    void* p = std::realloc(block, std::max<size_t>(bytes, 1));
    if (p == nullptr) return nullptr;  // the old block is still valid
    if (bytes > old_bytes) std::memset(static_cast<char*>(p) + old_bytes, 0, bytes - old_bytes);
    MemoryState& m = mem();
    m.blocks.erase(block);
    heap->blocks.erase(block);
    m.in_use -= static_cast<int64_t>(old_bytes);
    if (record(p, bytes, heap) == nullptr) return nullptr;
    return p;
}

int heap_release(TymHeap heap, void* block) {
    if (!known_heap(heap)) return kBadHandle;
    if (block == nullptr) return kOk;
    if (!owned_by(heap, block)) return kBadArgument;
    heap->blocks.erase(block);
    forget(block);
    return kOk;
}

int heap_destroy(TymHeap heap) {
    if (!known_heap(heap)) return kBadHandle;
    for (void* p : heap->blocks) forget(p);
    mem().heaps.erase(heap);
    delete heap;
    return kOk;
}

int64_t available() { return std::max<int64_t>(0, mem().limit - mem().in_use); }

int register_release(TymReleaseCallback cb, void* cookie) {
    if (cb == nullptr) return kBadArgument;
    try {
        mem().callbacks.emplace_back(cb, cookie);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    return kOk;
}

int unregister_release(TymReleaseCallback cb, void* cookie) {
    auto& cbs = mem().callbacks;
    auto it = std::find(cbs.begin(), cbs.end(), std::make_pair(cb, cookie));
    if (it == cbs.end()) return kBadArgument;
    cbs.erase(it);
    return kOk;
}

std::string human_bytes(int64_t bytes) {
    static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    char buf[48];
    if (unit == 0)
        std::snprintf(buf, sizeof buf, "%lld bytes", static_cast<long long>(bytes));
    else
        std::snprintf(buf, sizeof buf, "%.1f %s", value, kUnits[unit]);
    return buf;
}

int memory_report() {
    const MemoryState& m = mem();
    try {
        data_note("Memory: " + human_bytes(m.in_use) + " in use, peak " + human_bytes(m.peak) + ", limit " +
                  human_bytes(m.limit) + ".");
    } catch (const std::exception&) {
        return kNoMemory;
    }
    return kOk;
}

// Frees the blocks and heaps that `doomed` selects.
template <typename Pred>
void free_where(Pred doomed) {
    MemoryState& m = mem();
    for (auto it = m.heaps.begin(); it != m.heaps.end();) {
        TymHeap heap = *it;
        if (!doomed(heap->step)) {
            ++it;
            continue;
        }
        it = m.heaps.erase(it);
        for (void* p : heap->blocks) forget(p);
        delete heap;
    }
    for (auto it = m.blocks.begin(); it != m.blocks.end();) {
        if (it->second.heap == nullptr && doomed(it->second.step)) {
            m.in_use -= static_cast<int64_t>(it->second.bytes);
            std::free(it->first);
            it = m.blocks.erase(it);
        } else {
            ++it;
        }
    }
}

const TymMemoryVector kMemoryVector = {
    sizeof(TymMemoryVector),
    alloc,
    release,
    heap_create,
    heap_alloc,
    heap_resize,
    heap_release,
    heap_destroy,
    available,
    register_release,
    unregister_release,
    memory_report,
};

}  // namespace

void memory_configure(int64_t memsize) { mem().limit = memsize > 0 ? memsize : physical_memory(); }

void memory_step_begin() {
    mem().in_step = true;
    mem().peak = mem().in_use;
}

void release_step_memory() {
    free_where([](bool step) { return step; });
    mem().callbacks.clear();
    mem().in_step = false;
}

void release_all_memory() {
    free_where([](bool) { return true; });
    mem().callbacks.clear();
}

}  // namespace data

const TymMemoryVector* memory_vector() { return &data::kMemoryVector; }

}  // namespace qmlp::host
