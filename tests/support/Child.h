#pragma once
// A piece of a test run in a forked child process, so that its memory peak, its
// rights or its being killed stay its own.
#include <cerrno>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

// fn's report (a plain struct) back through a pipe; nothing when the child
// ended without one (killed, or an exception). The child never returns into
// the test; one still running after timeoutMs is killed and fails the test.
template <class Report> std::optional<Report> InChild(const std::function<Report()>& fn, int timeoutMs = 10000)
{
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        Report r{};
        try { r = fn(); } catch (...) { ::_exit(2); }
        ::_exit(::write(fds[1], &r, sizeof r) == sizeof r ? 0 : 1);
    }
    ::close(fds[1]);
    Report r{};
    pollfd p{fds[0], POLLIN, 0};
    int ready = -1;
    while (pid > 0 && (ready = ::poll(&p, 1, timeoutMs)) < 0 && errno == EINTR) {}
    const bool got = ready == 1 && ::read(fds[0], &r, sizeof r) == sizeof r;
    ::close(fds[0]);
    if (pid > 0) ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0);
    if (ready == 0) [] { FAIL() << "the child process did not end in time"; }();
    return got ? std::optional<Report>(r) : std::nullopt;
}
