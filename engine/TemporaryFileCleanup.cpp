#include "TemporaryFileCleanup.h"

#include <array>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace kelvane::detail {

namespace {

struct Entry {
    volatile std::sig_atomic_t used = 0;
    int dirfd = -1;
    char name[TemporaryFileCleanup::kMaxName + 1] = {};
};

constexpr std::array kSignals = {SIGTERM, SIGHUP, SIGINT};

std::array<Entry, 16> g_entries;
volatile std::sig_atomic_t g_registered = 0;
std::array<struct sigaction, kSignals.size()> g_previous{};

void removeAndGoOn(int signal) {
    for (Entry& entry : g_entries) {
        if (entry.used) {
            ::unlinkat(entry.dirfd, entry.name, 0);
            entry.used = 0;
        }
    }
    g_registered = 0;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    ::raise(signal);
}

void installHandlers() {
    struct sigaction action {};
    action.sa_handler = removeAndGoOn;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], nullptr, &g_previous[i]);
        // A signal the process ignores (nohup, a background job's Ctrl-C) stays ignored.
        if (g_previous[i].sa_handler != SIG_IGN) {
            ::sigaction(kSignals[i], &action, nullptr);
        }
    }
}

void restoreHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
}

// Blocks the three signals while the table changes, so the handler never sees half an entry.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kSignals) {
            sigaddset(&set, signal);
        }
        ::sigprocmask(SIG_BLOCK, &set, &m_previous);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_previous;
};

} // namespace

int TemporaryFileCleanup::registerFile(int dirfd, const char* name) {
    if (std::strlen(name) > static_cast<std::size_t>(kMaxName)) {
        return -1;
    }
    const SignalsHeld held;
    for (std::size_t slot = 0; slot < g_entries.size(); ++slot) {
        Entry& entry = g_entries[slot];
        if (!entry.used) {
            entry.dirfd = dirfd;
            std::strcpy(entry.name, name);
            entry.used = 1;
            if (g_registered == 0) {
                installHandlers();
            }
            g_registered = g_registered + 1;
            return static_cast<int>(slot);
        }
    }
    return -1;
}

void TemporaryFileCleanup::unregisterFile(int slot) {
    if (slot < 0 || slot >= static_cast<int>(g_entries.size())) {
        return;
    }
    const SignalsHeld held;
    Entry& entry = g_entries[static_cast<std::size_t>(slot)];
    if (entry.used) {
        entry.used = 0;
        g_registered = g_registered - 1;
        if (g_registered == 0) {
            restoreHandlers();
        }
    }
}

} // namespace kelvane::detail
