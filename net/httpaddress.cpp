#include "net/httpaddress.h"

namespace http {

namespace {

constexpr QLatin1StringView scheme("http://");

// The port named after the last ":" of `hostPart`, the default when none is named.
std::optional<quint16> portOf(const QString &hostPart, qsizetype colon)
{
    if (colon < 0)
        return defaultPort;
    bool ok = false;
    const uint port = QStringView(hostPart).mid(colon + 1).toUInt(&ok);
    if (!ok || port == 0 || port > 0xFFFF)
        return std::nullopt;
    return quint16(port);
}

bool sentVerbatim(char c)
{
    return c > ' ' && c < 0x7F;
}

} // namespace

QByteArray Address::hostHeader() const
{
    QByteArray value = host.toUtf8();
    if (port != defaultPort)
        value += ':' + QByteArray::number(port);
    return value;
}

QByteArray Address::target() const
{
    QByteArray encoded;
    for (const char c : path.toUtf8()) {
        if (sentVerbatim(c))
            encoded += c;
        else
            encoded += '%' + QByteArray(1, c).toHex().toUpper();
    }
    return encoded;
}

QByteArray Address::absoluteTarget() const
{
    return "http://" + hostHeader() + target();
}

std::optional<Address> splitAddress(const QString &url)
{
    const QString rest = url.startsWith(scheme, Qt::CaseInsensitive) ? url.mid(scheme.size()) : url;
    const qsizetype slash = rest.indexOf('/');
    const QString hostPart = slash < 0 ? rest : rest.left(slash);
    const qsizetype colon = hostPart.lastIndexOf(':');
    const auto port = portOf(hostPart, colon);
    Address address;
    address.host = colon < 0 ? hostPart : hostPart.left(colon);
    if (!port || address.host.isEmpty())
        return std::nullopt;
    address.port = *port;
    address.path = slash < 0 ? QString() : rest.mid(slash);
    return address;
}

QString joinAddress(QString base, const QString &path)
{
    while (base.endsWith('/'))
        base.chop(1);
    return path.startsWith('/') ? base + path : base + '/' + path;
}

} // namespace http
