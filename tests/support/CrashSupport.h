// A crash in a test: the work runs in a forked child process that is killed with SIGKILL
// (by the work itself at the moment it chooses, or right after it), so nothing of the
// program's own clean-up runs, exactly as after kill -9. The parent then looks at the
// files the child left.
#pragma once

#include <csignal>
#include <cstdio>
#include <exception>
#include <functional>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// True when the child ended by SIGKILL; false when it ended any other way (the work
// threw: exit status 3).
inline bool runUntilKilled(const std::function<void()>& work)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            work();
        } catch (...) {
            ::_exit(3);
        }
        ::raise(SIGKILL);
        ::_exit(4);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return false;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace testsupport
