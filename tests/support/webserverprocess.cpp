#include "tests/support/webserverprocess.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {

constexpr int startMs = 10000;

} // namespace

WebServerProcess::WebServerProcess(const QString &program, const QStringList &options)
{
    m_process.setStandardErrorFile(m_folder.filePath("server.log"));
    m_process.start(program, QStringList{"--listen", "127.0.0.1:0", "--db",
                                         m_folder.filePath("scores.db"), "--create"} +
                                 options);
    const QDeadlineTimer deadline(startMs);
    while (!m_process.canReadLine() && !deadline.hasExpired() &&
           m_process.state() != QProcess::NotRunning)
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
    if (line.startsWith("Listening on "))
        m_port = line.section(':', -1).toInt();
}

WebServerProcess::~WebServerProcess()
{
    stop();
}

QString WebServerProcess::baseUrl() const
{
    return QString("http://127.0.0.1:%1/").arg(m_port);
}

QString WebServerProcess::log() const
{
    QFile file(m_folder.filePath("server.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WebServerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(startMs))
        m_process.kill();
    m_process.waitForFinished();
}
