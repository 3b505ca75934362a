#pragma once

#include "ProgramFolders.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace lettore {

// The folders of the running program (the console or lettore), so both
// share the user's folder as they share the program's folder in a build.
inline ProgramFolders thisProgramsFolders()
{
    const std::string xdg = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
    // Without a home there is no user's folder: not the root folder, where
    // Qt's home path would lead, nor a home made for the occasion.
    const QString home = qEnvironmentVariable("HOME");
    const std::string existingHome = QFileInfo(home).isDir() ? home.toStdString() : std::string();
    return ProgramFolders::locate(QCoreApplication::applicationDirPath().toStdU16String(),
                                  ProgramFolders::userSettingsFolders(xdg, existingHome));
}

}  // namespace lettore
