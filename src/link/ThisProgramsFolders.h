#pragma once

#include "ProgramFolders.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace lettore {

// The folders of the running program (the console or lettore). The user's
// folder is the one Qt gives an application named "lettore" for its
// configuration (~/.config/lettore on Linux), so both programs share it as
// they share the program's folder in a build.
inline ProgramFolders thisProgramsFolders()
{
    const QString user =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/lettore");
    return ProgramFolders::locate(QCoreApplication::applicationDirPath().toStdU16String(),
                                  user.toStdU16String());
}

}  // namespace lettore
