#include "tests/support/xserver.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

constexpr int startMs = 30000;
constexpr int managerMs = 8000;
constexpr int managerAttempts = 3;

} // namespace

XServer::XServer(Manager manager, QSize screen)
{
    if (startServer(screen) && manager == Manager::Openbox)
        startManager();
}

XServer::~XServer()
{
    for (QProcess *process : {&m_manager, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(startMs))
            process->kill();
        process->waitForFinished();
    }
}

bool XServer::startServer(QSize screen)
{
    // The server writes the display number it chose once it accepts clients. Without
    // -noreset it starts afresh whenever its last client leaves, and refuses the clients that
    // come meanwhile: the game, started while a probe just left, would find no display.
    m_server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0",
                            QString("%1x%2x24").arg(screen.width()).arg(screen.height())});
    const QDeadlineTimer deadline(startMs);
    while (!m_server.canReadLine() && !deadline.hasExpired() &&
           m_server.state() != QProcess::NotRunning)
        m_server.waitForReadyRead(int(deadline.remainingTime()));
    const QString number = QString::fromUtf8(m_server.readLine()).trimmed();
    if (number.isEmpty()) {
        m_failure = "Xvfb did not start: " + QString::fromUtf8(m_server.readAllStandardError());
        return false;
    }
    m_display = ":" + number;
    return true;
}

bool XServer::startManager()
{
    // Now and then openbox comes up without ever managing the screen: start it again then.
    for (int attempt = 1; attempt <= managerAttempts; ++attempt) {
        m_manager.setProcessEnvironment(environment());
        m_manager.setStandardOutputFile(QProcess::nullDevice());
        m_manager.setStandardErrorFile(QProcess::nullDevice());
        m_manager.start("openbox", {"--sm-disable"});
        // A window manager announces itself on the root window once it manages the screen.
        const QDeadlineTimer deadline(managerMs);
        while (!deadline.hasExpired() && m_manager.state() != QProcess::NotRunning) {
            if (run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"))
                return true;
            QThread::msleep(20);
        }
        m_manager.kill();
        m_manager.waitForFinished();
    }
    m_failure = QString("openbox did not manage the screen in %1 attempts").arg(managerAttempts);
    return false;
}

QProcessEnvironment XServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    return env;
}

QString XServer::run(const QString &program, const QStringList &arguments) const
{
    QProcess client;
    client.setProcessEnvironment(environment());
    client.start(program, arguments);
    if (!client.waitForFinished(startMs) || client.exitCode() != 0)
        return {};
    return QString::fromUtf8(client.readAllStandardOutput());
}
