// SPDX-License-Identifier: MIT
#pragma once

#include "Relauncher.h"

// Starts an executable detached (it outlives this process and is not its
// child) with the wait flag and this process's id as its only arguments.
class ProcessRelauncher final : public Relauncher {
public:
    explicit ProcessRelauncher(QString program);

    bool startNewInstance() override;

private:
    QString m_program;
};
