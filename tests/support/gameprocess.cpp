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

void GameProcess::type(const QString &window, const QStringList &keys) const
{
    m_x.run("xdotool", QStringList{"windowfocus", "--sync", window, "key", "--clearmodifiers",
                                   "--delay", "50"} +
                           keys);
}

bool GameProcess::exit(const QString &window)
{
    type(window, {"alt+f", "e"});
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
