#pragma once

#include "app/mainsetup.h"

#include <QObject>
#include <QString>

class THTTPGet;
class THttpCli;

// The program's own update: compares the server's version file with the program's version
// and, when the player agrees, downloads the new installer beside the program and starts it.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    UpdateChecker(const MainSetup &setup, QObject *parent);

    // Fetches the version file in the background; nothing new starts while a fetch runs.
    void check();
    // Sets the program's file aside under its backup name, downloads the installer and
    // starts it; a started installer ends the process. Throws std::runtime_error when the
    // installer file cannot be created.
    void install();
    // The program's own file with its extension replaced by ".BAK".
    QString backupFileName() const;

signals:
    // The server's version text differs from the program's.
    void updateAvailable();
    // A new step of the installation: "Updating. Please Wait...", "Received … bytes",
    // "Download Aborted", "Installing".
    void statusChanged(const QString &text);
    // The installer was downloaded but did not start; `message` says what to do instead.
    void installerFailed(const QString &message);

private:
    void checkupdateDoneString(const QByteArray &Result);
    void downloadit();
    // Without its file the game could not be started again.
    void restoreProgramFile();

    MainSetup m_setup;
    THTTPGet *checkupdate;
    THttpCli *getupdate;
};
