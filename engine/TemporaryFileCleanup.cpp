// SPDX-License-Identifier: MIT
#include "engine/TemporaryFileCleanup.h"

#include "engine/SignalHandlers.h"

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

// Every signal whose default action ends the process: those that end it and those that also
// dump core (a crash mid-write must not leave a temporary file either), and the real-time ones.
constexpr int kNamedSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,
                                 SIGBUS,  SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE,
                                 SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                                 SIGPROF, SIGIO,   SIGPWR,    SIGSYS};
constexpr std::size_t kNamedCount = std::size(kNamedSignals);
constexpr std::size_t kMostRealTime = 64;

std::array<int, kNamedCount + kMostRealTime> endingSignals() {
    std::array<int, kNamedCount + kMostRealTime> signals{};
    std::size_t next = 0;
    for (const int signal : kNamedSignals) {
        signals[next++] = signal;
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX && next < signals.size(); ++signal) {
        signals[next++] = signal;
    }
    return signals;
}

SignalHandlers<kNamedCount + kMostRealTime> g_handlers(endingSignals());

std::array<Entry, 16> g_entries;
volatile std::sig_atomic_t g_registered = 0;

void removeAndGoOn(int signal) {
    for (Entry& entry : g_entries) {
        if (entry.used) {
            ::unlinkat(entry.dirfd, entry.name, 0);
            entry.used = 0;
        }
    }
    g_registered = 0;
    g_handlers.passOn(signal);
}

// Blocks the signals while the table changes, so the handler never sees half an entry.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : g_handlers.handled()) {
            if (signal > 0) {
                sigaddset(&set, signal);
            }
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
                g_handlers.install(removeAndGoOn);
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
            g_handlers.restore();
        }
    }
}

} // namespace kelvane::detail
