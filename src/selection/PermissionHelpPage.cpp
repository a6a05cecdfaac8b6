// SPDX-License-Identifier: MIT
#include "PermissionHelpPage.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

QString PermissionHelpPage::filePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/selection-access.html");
}

bool PermissionHelpPage::open()
{
    // A browser cannot read the program's resources, so the page goes to a
    // file of its own first.
    const QString path = filePath();
    QFile page(QStringLiteral(":/sorvantel/selection-access.html"));
    if (path.isEmpty() || !page.open(QIODevice::ReadOnly) || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(page.readAll()) < 0 || !file.commit())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
