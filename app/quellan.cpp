// Process entry: the application title, the windows in their creation order, the event loop.
#include "app/application.h"
#include "app/main.h"
#include "app/soundplayer.h"
#include "widgets/dialogs.h"

#include "quellanconfig.h"

int main(int argc, char **argv)
{
    QuellanApplication app(argc, argv);
    MessageBoxDialogs dialogs;
    app.setDialogs(&dialogs);
    WaveSoundPlayer sounds;

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
