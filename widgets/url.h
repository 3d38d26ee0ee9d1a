#pragma once

#include <QObject>
#include <QString>

// Hands an address to the desktop, so that the user's default program for it starts.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // True when the desktop took the address.
    virtual bool open(const QString &address) = 0;
};

class SystemDesktopOpener : public DesktopOpener {
public:
    bool open(const QString &address) override;
};

// A link: an address and the scheme put in front of it when it is opened.
class TURL : public QObject {
    Q_OBJECT
public:
    enum TURLType {
        utFile,
        utFtp,
        utGopher,
        utHttp,
        utHttps,
        utMailto,
        utNews,
        utTelnet,
        utWais,
        utnone
    };
    Q_ENUM(TURLType)

    explicit TURL(QObject *parent = nullptr);

    // The address without its scheme, or the whole address when URLType is utnone.
    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    void setURLType(TURLType type) { m_urlType = type; }
    // Not owned; until set, the desktop itself.
    void setOpener(DesktopOpener *opener);

    // Opens the scheme's prefix followed by URL, as it stands; false for an empty URL or when
    // the desktop refuses it.
    bool OpenURL();

    static QString prefix(TURLType type);

private:
    QString m_url;
    TURLType m_urlType = utHttp;
    DesktopOpener *m_opener;
};
