#include "widgets/url.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

DesktopOpener *systemOpener()
{
    static SystemDesktopOpener opener;
    return &opener;
}

} // namespace

bool SystemDesktopOpener::open(const QString &address)
{
    return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

TURL::TURL(QObject *parent) : QObject(parent), m_opener(systemOpener()) {}

void TURL::setOpener(DesktopOpener *opener)
{
    m_opener = opener ? opener : systemOpener();
}

QString TURL::prefix(TURLType type)
{
    switch (type) {
    case utFile:
        return QStringLiteral("file://");
    case utFtp:
        return QStringLiteral("ftp://");
    case utGopher:
        return QStringLiteral("gopher://");
    case utHttp:
        return QStringLiteral("http://");
    case utHttps:
        return QStringLiteral("https://");
    case utMailto:
        return QStringLiteral("mailto:");
    case utNews:
        return QStringLiteral("news:");
    case utTelnet:
        return QStringLiteral("telnet:");
    case utWais:
        return QStringLiteral("wais:");
    case utnone:
        break;
    }
    return {};
}

bool TURL::OpenURL()
{
    if (m_url.isEmpty())
        return false;
    return m_opener->open(prefix(m_urlType) + m_url);
}
