#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class XServer;

// The real game program, copied into `folder` and started from there on a test's X server,
// with the user's folders (HOME, XDG_CONFIG_HOME, XDG_DATA_HOME) inside `folder` too; ended
// when this ends.
class GameProcess {
public:
    GameProcess(const XServer &x, const QString &program, const QString &folder);
    ~GameProcess();
    GameProcess(const GameProcess &) = delete;
    GameProcess &operator=(const GameProcess &) = delete;

    // The program's top-level window whose title is `title`, once it is mapped; empty when it
    // does not show within half a minute.
    QString waitForWindow(const QString &title) const;
    // Titles of the program's windows that are mapped now.
    QStringList windowTitles() const;
    // Gives the window the keyboard, opens a menu by its key and chooses an item by its key
    // (xdotool key names: "alt+v", "t").
    void choose(const QString &window, const QString &menu, const QString &item) const;
    // File › Exit, then waits for the program to end; false when it did not.
    bool exit(const QString &window);

private:
    QStringList windows() const;

    const XServer &m_x;
    QProcess m_process;
};

// Writes `settings` as quellan.ini into `folder`.
void writeSettings(const QString &folder, const QByteArray &settings);
// The settings file of the game in `folder`: beside the program, or in the user's
// configuration folder there; empty when there is none.
QByteArray readSettings(const QString &folder);
