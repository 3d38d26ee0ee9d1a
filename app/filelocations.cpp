#include "app/filelocations.h"

#include "quellanconfig.h"

#include <QDir>
#include <QFile>

FileLocations locateFiles(const QString &programFolder, const QString &configHome,
                          const QString &dataHome)
{
    const QString shortName = QString::fromLatin1(quellan::shortName);
    if (QFile::exists(QDir(programFolder).filePath(shortName + ".ini")))
        return {programFolder, programFolder, true};
    return {QDir(configHome).filePath(shortName), QDir(dataHome).filePath(shortName), false};
}
