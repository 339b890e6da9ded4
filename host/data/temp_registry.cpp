#include "data/temp_registry.h"

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace qmlp::host::data {
namespace {

constexpr int kSlots = 256;
constexpr int kSignals[] = {SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);

// Slot kind: 0 free, else a TempKind.  Written before (registration) or
// after (release) the path so that a handler never sees a half-copied path.
volatile sig_atomic_t g_kind[kSlots];
char g_path[kSlots][PATH_MAX];
struct sigaction g_previous[kSignalCount];
bool g_installed = false;

void remove_kind(int kind) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_kind[i] != kind) continue;
        if (kind == static_cast<int>(TempKind::File))
            unlink(g_path[i]);
        else
            rmdir(g_path[i]);
    }
}

extern "C" void on_fatal_signal(int sig) {
    temp_remove_all_registered();
    for (int k = 0; k < kSignalCount; ++k)
        if (kSignals[k] == sig) sigaction(sig, &g_previous[k], nullptr);
    raise(sig);
}

}  // namespace

int temp_register(const std::string& path, TempKind kind) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (g_kind[i] != 0) continue;
        std::memcpy(g_path[i], path.c_str(), path.size() + 1);
        g_kind[i] = static_cast<int>(kind);
        return i;
    }
    return -1;
}

void temp_unregister(int slot) {
    if (slot >= 0 && slot < kSlots) g_kind[slot] = 0;
}

void temp_remove_all_registered() {
    // Files first, so that the folders holding them are empty.
    remove_kind(static_cast<int>(TempKind::File));
    remove_kind(static_cast<int>(TempKind::Folder));
}

void temp_install_signal_handlers() {
    if (g_installed) return;
    g_installed = true;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = on_fatal_signal;
    sigemptyset(&action.sa_mask);
    for (int k = 0; k < kSignalCount; ++k) sigaction(kSignals[k], &action, &g_previous[k]);
}

}  // namespace qmlp::host::data
