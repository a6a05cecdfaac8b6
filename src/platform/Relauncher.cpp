// SPDX-License-Identifier: MIT
#include "Relauncher.h"

#include "ProcessRelauncher.h"

#include <QCoreApplication>

std::unique_ptr<Relauncher> Relauncher::createForProcess()
{
    return std::make_unique<ProcessRelauncher>(QCoreApplication::applicationFilePath());
}
