#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The game's real web server, started as a child process on a free loopback port with a
// score database of its own, and stopped when this ends.
class WebServerProcess {
public:
    // Starts `program` with further `options`; started() tells whether it came up and named
    // its port.
    explicit WebServerProcess(const QString &program, const QStringList &options = {});
    ~WebServerProcess();
    WebServerProcess(const WebServerProcess &) = delete;
    WebServerProcess &operator=(const WebServerProcess &) = delete;

    bool started() const { return m_port != 0; }
    // "http://127.0.0.1:<port>/".
    QString baseUrl() const;
    // What the server has logged so far, one line per request.
    QString log() const;
    // Ends the server and waits for it.
    void stop();

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};

#ifdef QUELLAN_SERVER_PROGRAM
#include <memory>

// The game's server program built beside the tests, started with `options`; null when the
// tree was built without it. Test programs that use it get QUELLAN_SERVER_PROGRAM from
// tests/support/serverprogram.cmake.
inline std::unique_ptr<WebServerProcess> startBuiltWebServer(const QStringList &options = {})
{
    if (QString(QUELLAN_SERVER_PROGRAM).isEmpty())
        return nullptr;
    return std::make_unique<WebServerProcess>(QUELLAN_SERVER_PROGRAM, options);
}
#endif
