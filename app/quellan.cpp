// Process entry: the application title, the windows in their creation order, the event loop.
#include "app/application.h"
#include "app/main.h"
#include "app/modulesoundplayer.h"
#include "widgets/dialogs.h"

#include "quellanconfig.h"

#include <QDir>

int main(int argc, char **argv)
{
    QuellanApplication app(argc, argv);
    MessageBoxDialogs dialogs;
    app.setDialogs(&dialogs);
    // The sound module lies beside the program.
    ModuleSoundPlayer sounds(
        QDir(QCoreApplication::applicationDirPath()).filePath(QUELLAN_SOUND_MODULE));

    MainSetup setup;
    setup.programFolder = QCoreApplication::applicationDirPath();
    setup.programFile = QCoreApplication::applicationFilePath();
    setup.serverUrl = QString::fromUtf8(quellan::serverUrl);
    setup.sounds = &sounds;
    setup.dialogs = &dialogs;

    Tmain main(setup);
    main.createWindows();
    QObject::connect(&main, &Tmain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    main.show();
    return app.exec();
}
