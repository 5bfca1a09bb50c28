// Runs part of a test as an ordinary user, so that permission checks hold
// when the suite runs as root too (as it does in CI): a child process drops
// to the user nobody and reports back through its exit status.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

constexpr uid_t kOrdinaryUid = 65534;
constexpr gid_t kOrdinaryGid = 65534;

// Hands a path to the user the child runs as; nothing to do when the suite
// already runs as an ordinary user, who owns what it made.
inline void HandToOrdinaryUser(const std::string& path)
{
    if (geteuid() == 0 && lchown(path.c_str(), kOrdinaryUid, kOrdinaryGid) != 0)
        perror(path.c_str());
}

// Runs fn in a child process as an ordinary user and returns what fn
// returned (0 to 254), or -1 when the child could not run it.
inline int RunAsOrdinaryUser(const std::function<int()>& fn)
{
    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kOrdinaryGid) != 0 || setuid(kOrdinaryUid) != 0))
            _exit(255);
        int result = fn();
        fflush(stdout);
        fflush(stderr);
        _exit(result & 0xff);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}
