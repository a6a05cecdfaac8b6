// SPDX-License-Identifier: MIT
#include "PreviousInstance.h"

#include "Relauncher.h"

#include <cerrno>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace PreviousInstance {

std::optional<qint64> pidToWaitFor(const QStringList& arguments)
{
    const qsizetype flag = arguments.indexOf(Relauncher::waitForPidFlag);
    if (flag < 0 || flag + 1 >= arguments.size())
        return std::nullopt;
    bool ok = false;
    const qint64 pid = arguments[flag + 1].toLongLong(&ok);
    if (!ok || pid <= 0 || pid == getpid())
        return std::nullopt;
    return pid;
}

bool waitForExit(qint64 pid, std::chrono::milliseconds timeout)
{
    // A pidfd becomes readable when the process ends, even while it waits as
    // a zombie for its parent, which kill(pid, 0) would still report alive.
    const int fd = int(syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd >= 0) {
        pollfd watch { fd, POLLIN, 0 };
        int ready;
        do
            ready = poll(&watch, 1, int(timeout.count()));
        while (ready < 0 && errno == EINTR);
        close(fd);
        return ready > 0;
    }
    if (errno == ESRCH)
        return true;
    // Kernels before 5.3: look every 20 ms.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (kill(pid_t(pid), 0) == 0 || errno == EPERM) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace PreviousInstance
