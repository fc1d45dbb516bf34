// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <memory>
#include <optional>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

// SIGINT and SIGTERM read from a descriptor, so that the event loop ends and the server stops
// in order. Blocked before the server's threads start, which inherit the mask.
class CStopSignals
{
public:
    CStopSignals()
    {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &m_signals, &m_before);
        m_fd = ::signalfd(-1, &m_signals, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;
    ~CStopSignals()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
    }
    int Fd() const { return m_fd; }

private:
    sigset_t m_signals = {};
    sigset_t m_before = {};
    int m_fd = -1;
};

// Ends the event loop when SIGINT or SIGTERM comes; lives as long as the notifier it gives.
inline std::unique_ptr<QSocketNotifier> QuitOnSignal(const CStopSignals& stop)
{
    auto notifier = std::make_unique<QSocketNotifier>(static_cast<qintptr>(stop.Fd()), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [&stop] {
        signalfd_siginfo taken = {};
        // Taken, or it would be delivered again once unblocked, and end the process after all.
        if (::read(stop.Fd(), &taken, sizeof taken) == sizeof taken)
            QCoreApplication::quit();
    });
    return notifier;
}

// The event loop a command that runs until stopped needs: the program's own when there is one
// (in tests), else one made here.
class CToolApplication
{
public:
    CToolApplication()
    {
        if (!QCoreApplication::instance())
            m_app.emplace(m_argc, m_argv);
    }

private:
    int m_argc = 1;
    char m_name[15] = "ravelmark-tool";
    char* m_argv[2] = {m_name, nullptr};
    std::optional<QCoreApplication> m_app;
};
