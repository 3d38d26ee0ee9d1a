#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class XServer;

// The real game program, copied into a folder of its own (where it keeps its settings and
// tally) and started on a test's X server; ended when this ends.
class GameProcess {
public:
    // `settings` is written as quellan.ini beside the program first, unless empty.
    GameProcess(const XServer &x, const QString &program, const QByteArray &settings = {});
    ~GameProcess();
    GameProcess(const GameProcess &) = delete;
    GameProcess &operator=(const GameProcess &) = delete;

    QString folder() const { return m_folder.path(); }
    // The program's top-level window whose title is `title`, once it is mapped; empty when it
    // does not show within a few seconds.
    QString waitForWindow(const QString &title) const;
    // Titles of the program's windows that are mapped now.
    QStringList windowTitles() const;
    // Types `keys` (xdotool key names, e.g. "alt+v", "t") into the window.
    void type(const QString &window, const QStringList &keys) const;
    // Waits for the program to end by itself.
    bool waitForExit();

private:
    QStringList windows() const;

    const XServer &m_x;
    QTemporaryDir m_folder;
    QProcess m_process;
};
