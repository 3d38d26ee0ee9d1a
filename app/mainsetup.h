#pragma once

#include <QDateTime>
#include <QLocale>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <functional>

class Dialogs;
class DesktopOpener;
class SoundPlayer;

// What the main window takes from its surroundings. The program fills it with the real
// things in main(); tests put in folders, clocks and players of their own.
struct MainSetup {
    // Folder of the program's own executable: the update's installer is saved here.
    QString programFolder;
    // Where the settings file and the tally file live.
    QString settingsFolder;
    QString dataFolder;
    // Whether the program may check for and install a newer version of itself: not when a
    // package manager owns its file.
    bool selfUpdate = true;
    // Full path of the program's own executable (set aside during an update).
    QString programFile;
    // The current time; the random source is seeded from its UTC time of day.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // The player's regional settings; a posted score's date takes their separator.
    QLocale locale = QLocale::system();
    // Base address of the game's web server, ending with "/".
    QString serverUrl;
    // Starts a program detached from this one; true when it started.
    std::function<bool(const QString &program, const QStringList &arguments)> startProgram =
        [](const QString &program, const QStringList &arguments) {
            return QProcess::startDetached(program, arguments);
        };
    // Ends the process at once, running no destructors (a started installer takes over).
    std::function<void(int code)> exitProcess = [](int code) { std::_Exit(code); };
    SoundPlayer *sounds = nullptr;   // not owned
    Dialogs *dialogs = nullptr;      // not owned
    DesktopOpener *opener = nullptr; // not owned; null means the desktop's own
};
