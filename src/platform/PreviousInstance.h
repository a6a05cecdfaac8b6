// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <chrono>
#include <optional>

// The process that a relaunch replaces (see Relauncher). A process started
// with "--wait-for-pid PID" calls waitForExit(PID) before anything else, in
// particular before it claims the single-instance name: until then the old
// process still holds it.
namespace PreviousInstance {

// How long a relaunched process waits before it starts anyway: the old one
// quits as soon as the new one runs, so this is only reached when it hangs.
inline constexpr std::chrono::milliseconds defaultTimeout { 10000 };

// The id after the wait flag, when the arguments hold the flag and a valid id.
std::optional<qint64> pidToWaitFor(const QStringList& arguments);

// Blocks until the process has exited, or `timeout` has passed. True when it
// has exited (or never existed); false on time-out.
bool waitForExit(qint64 pid, std::chrono::milliseconds timeout = defaultTimeout);

} // namespace PreviousInstance
