// Runs the main window as the program does, against a given web server and program folder,
// and accepts the update offer as soon as it appears: for tests that must see the process
// end the way only a real process can.
//   quellan-update-harness SERVER_URL PROGRAM_FOLDER PROGRAM_FILE
#include "app/application.h"
#include "app/main.h"
#include "widgets/dialogs.h"
#include "widgets/flatpanel.h"
#include "widgets/selbutton.h"

#include <QTimer>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    QuellanApplication app(argc, argv);
    MessageBoxDialogs dialogs;
    app.setDialogs(&dialogs);
    MainSetup setup;
    setup.serverUrl = QString::fromLocal8Bit(argv[1]);
    setup.programFolder = QString::fromLocal8Bit(argv[2]);
    setup.settingsFolder = setup.programFolder;
    setup.dataFolder = setup.programFolder;
    setup.programFile = QString::fromLocal8Bit(argv[3]);
    setup.dialogs = &dialogs;
    Tmain main(setup);
    main.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &main, [&main] {
        if (main.findChild<TFlatPanel *>("panel_update")->isVisible()) {
            emit main.findChild<TSelButton *>("button_updateyes")->OnClick(nullptr);
            QCoreApplication::exit(3); // only reached when the installer did not take over
        }
    });
    poll.start(20);
    QTimer::singleShot(10000, &app, [] { QCoreApplication::exit(4); });
    return app.exec();
}
