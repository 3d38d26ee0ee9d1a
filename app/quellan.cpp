// Process entry: the application title, the windows in their creation order, the event loop.
#include "app/application.h"
#include "app/filelocations.h"
#include "app/main.h"
#include "app/modulesoundplayer.h"
#include "resources/pictures/pictures.h"
#include "widgets/dialogs.h"

#include "quellanconfig.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

// The sound module: beside the program in a build or a folder of its own, in the library
// folder of an installed copy.
QString soundModule(const QDir &programFolder)
{
    const QString beside = programFolder.filePath(QUELLAN_SOUND_MODULE);
#ifdef QUELLAN_MODULE_DIR_FROM_BIN
    if (!QFile::exists(beside))
        return programFolder.filePath(QUELLAN_MODULE_DIR_FROM_BIN "/" QUELLAN_SOUND_MODULE);
#endif
    return beside;
}

} // namespace

int main(int argc, char **argv)
{
    QuellanApplication app(argc, argv);
    // The desktop shows the entry's icon for the program's windows, and this one without it.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(quellan::appId));
    QApplication::setWindowIcon(appIcon());
    MessageBoxDialogs dialogs;
    app.setDialogs(&dialogs);
    const QDir programFolder(QCoreApplication::applicationDirPath());
    ModuleSoundPlayer sounds(soundModule(programFolder));

    MainSetup setup;
    setup.programFolder = programFolder.path();
    const FileLocations files =
        locateFiles(setup.programFolder,
                    QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                    QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    setup.settingsFolder = files.settingsFolder;
    setup.dataFolder = files.dataFolder;
    setup.selfUpdate = files.portable;
    // The settings are written at the first start, the tally at every exit.
    QDir().mkpath(files.settingsFolder);
    QDir().mkpath(files.dataFolder);
    setup.programFile = QCoreApplication::applicationFilePath();
    setup.serverUrl = QString::fromUtf8(quellan::serverUrl);
    setup.sounds = &sounds;
    setup.dialogs = &dialogs;

    Tmain main(setup);
    QObject::connect(&main, &Tmain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    main.show();
    return app.exec();
}
