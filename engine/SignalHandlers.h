// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <csignal>
#include <cstddef>

namespace kelvane {

// A handler for a few signals that does its own part (restores the terminal, removes temporary
// files) and then lets the signal take the course it had before: by default, ending the process.
// A signal the process ignores (nohup, a background job's Ctrl-C) stays ignored. Entries of 0
// in the list stand for no signal (room for a list whose length is known only at run time).
template <std::size_t N> class SignalHandlers {
public:
    explicit constexpr SignalHandlers(std::array<int, N> handled) : m_signals(handled) {}

    void install(void (*handler)(int)) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < N; ++i) {
            if (m_signals[i] <= 0) {
                continue;
            }
            ::sigaction(m_signals[i], nullptr, &m_previous[i]);
            if (m_previous[i].sa_handler != SIG_IGN) {
                ::sigaction(m_signals[i], &action, nullptr);
            }
        }
    }

    // Puts back what was there before install(). Safe in a signal handler.
    void restore() {
        for (std::size_t i = 0; i < N; ++i) {
            if (m_signals[i] > 0) {
                ::sigaction(m_signals[i], &m_previous[i], nullptr);
            }
        }
    }

    // From the handler, once its own part is done: the signal's previous course.
    void passOn(int signal) {
        restore();
        ::raise(signal);
    }

    const std::array<int, N>& handled() const { return m_signals; }

private:
    std::array<int, N> m_signals;
    std::array<struct sigaction, N> m_previous{};
};

} // namespace kelvane
