#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QStringList>

// An X server of the test's own: Xvfb on a display it picks itself, with the openbox window
// manager on it when asked, both ended when this ends. Programs started with environment()
// show their windows there.
class XServer {
public:
    enum class Manager { None, Openbox };

    explicit XServer(Manager manager = Manager::Openbox, QSize screen = {1280, 1024});
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    // Why the server or its manager did not come up; empty when both did.
    QString failure() const { return m_failure; }
    QString display() const { return m_display; }
    // The test's environment with DISPLAY set and the X platform chosen.
    QProcessEnvironment environment() const;
    // Starts openbox now, for a window manager that comes after the windows; false when it
    // did not come up (failure() says why).
    bool startManager();
    // Runs an X client (xprop, xwininfo, xdotool…) on this display; its output, or empty
    // when it failed.
    QString run(const QString &program, const QStringList &arguments) const;

private:
    bool startServer(QSize screen);

    QProcess m_server;
    QProcess m_manager;
    QString m_display;
    QString m_failure;
};
