#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class XServer;

// The real game program, copied into `folder` (where it keeps its settings and tally) and
// started from there on a test's X server; ended when this ends.
class GameProcess {
public:
    GameProcess(const XServer &x, const QString &program, const QString &folder);
    ~GameProcess();
    GameProcess(const GameProcess &) = delete;
    GameProcess &operator=(const GameProcess &) = delete;

    // The program's top-level window whose title is `title`, once it is mapped; empty when it
    // does not show within a few seconds.
    QString waitForWindow(const QString &title) const;
    // Titles of the program's windows that are mapped now.
    QStringList windowTitles() const;
    // Gives the window the keyboard and types `keys` (xdotool key names: "alt+v", "t").
    void type(const QString &window, const QStringList &keys) const;
    // File › Exit, then waits for the program to end; false when it did not.
    bool exit(const QString &window);

private:
    QStringList windows() const;

    const XServer &m_x;
    QProcess m_process;
};

// Writes `settings` as quellan.ini into `folder`.
void writeSettings(const QString &folder, const QByteArray &settings);
// The settings file in `folder`, or empty.
QByteArray readSettings(const QString &folder);
