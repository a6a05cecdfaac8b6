// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <memory>

// Starts this program again as a new, independent process, for when the
// running one cannot see a change in the session (the onboarding offers it).
// The new process is told to wait until this one has exited before it takes
// over, so the two never compete for the single-instance name.
class Relauncher {
public:
    // "--wait-for-pid PID": the process with that id is the one being
    // replaced; wait for it to exit before starting (see PreviousInstance).
    static inline const QString waitForPidFlag = QStringLiteral("--wait-for-pid");

    virtual ~Relauncher() = default;

    // True once the new process is running; false when it could not be
    // started, in which case the caller must keep running.
    virtual bool startNewInstance() = 0;

    // Starts this process's own executable.
    static std::unique_ptr<Relauncher> createForProcess();
};
