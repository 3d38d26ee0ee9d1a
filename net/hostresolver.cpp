#include "net/hostresolver.h"

#include <QHostInfo>

namespace http {

void SystemHostResolver::lookup(const QString &host, QObject *context, Done done)
{
    QHostInfo::lookupHost(host, context, [done = std::move(done)](const QHostInfo &info) {
        done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}

std::shared_ptr<HostResolver> systemHostResolver()
{
    static const auto resolver = std::make_shared<SystemHostResolver>();
    return resolver;
}

} // namespace http
