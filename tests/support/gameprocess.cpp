#include "tests/support/gameprocess.h"

#include "tests/support/xserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {

// A deadline, not a pause: on a loaded machine the program can take ten seconds and more to
// show its window or to end.
constexpr int waitMs = 30000;

} // namespace

GameProcess::GameProcess(const XServer &x, const QString &program, const QString &folder) : m_x(x)
{
    const QString copy = QDir(folder).filePath("quellan");
    if (!QFile::exists(copy))
        QFile::copy(program, copy);
    // The user's own folders, for a copy without settings beside it, are in the folder too.
    QProcessEnvironment env = x.environment();
    env.insert("HOME", folder);
    env.insert("XDG_CONFIG_HOME", QDir(folder).filePath("config"));
    env.insert("XDG_DATA_HOME", QDir(folder).filePath("data"));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(folder);
    m_process.start(copy, {});
}

GameProcess::~GameProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

QStringList GameProcess::windows() const
{
    const QString pid = QString::number(m_process.processId());
    return m_x.run("xdotool", {"search", "--onlyvisible", "--pid", pid, "--name", "."})
        .split('\n', Qt::SkipEmptyParts);
}

QStringList GameProcess::windowTitles() const
{
    QStringList titles;
    for (const QString &window : windows())
        titles << m_x.run("xdotool", {"getwindowname", window}).trimmed();
    return titles;
}

QString GameProcess::waitForWindow(const QString &title) const
{
    const QDeadlineTimer deadline(waitMs);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        for (const QString &window : windows()) {
            if (m_x.run("xdotool", {"getwindowname", window}).trimmed() == title)
                return window;
        }
        QThread::msleep(20);
    }
    return {};
}

void GameProcess::choose(const QString &window, const QString &menu, const QString &item) const
{
    const qsizetype before = windows().size();
    m_x.run("xdotool", {"windowfocus", "--sync", window, "key", "--clearmodifiers", menu});
    // The item's key waits for the menu: on a busy machine it shows after the key would have
    // come, and the key would go to the window beneath.
    const QDeadlineTimer deadline(waitMs);
    while (windows().size() <= before && !deadline.hasExpired())
        QThread::msleep(20);
    m_x.run("xdotool", {"key", "--clearmodifiers", item});
}

bool GameProcess::exit(const QString &window)
{
    choose(window, "alt+f", "e");
    return m_process.waitForFinished(waitMs);
}

void writeSettings(const QString &folder, const QByteArray &settings)
{
    QFile ini(QDir(folder).filePath("quellan.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(settings);
}

QByteArray readSettings(const QString &folder)
{
    const QDir dir(folder);
    QFile ini(dir.exists("quellan.ini") ? dir.filePath("quellan.ini")
                                        : dir.filePath("config/quellan/quellan.ini"));
    return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
}
