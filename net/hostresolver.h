#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QObject;

namespace http {

// Finds the addresses of a host name without blocking its caller, so that a request stays
// able to give up, on a time limit or when asked to, while the lookup runs.
class HostResolver {
public:
    using Done = std::function<void(const QList<QHostAddress> &addresses)>;

    virtual ~HostResolver() = default;

    // Starts looking `host` up and returns at once. `done` later runs on the thread of
    // `context` with the addresses found, none when the name is unknown; never once
    // `context` is destroyed. May be called from any thread.
    virtual void lookup(const QString &host, QObject *context, Done done) = 0;
};

// Asks the system's resolver, through QHostInfo.
class SystemHostResolver : public HostResolver {
public:
    void lookup(const QString &host, QObject *context, Done done) override;
};

// The resolver every request uses unless it is given another.
std::shared_ptr<HostResolver> systemHostResolver();

} // namespace http
