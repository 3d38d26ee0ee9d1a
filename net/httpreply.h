#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace http {

// The status line and header lines of a reply, read once they have all arrived.
class ReplyHead {
public:
    enum class Progress { Incomplete, Complete, Invalid };

    // A head longer than this is not a reply this program can use.
    static constexpr qsizetype maxSize = 64 * 1024;

    // Takes the head off the front of `received` once its empty line has arrived; what
    // stays in `received` is the start of the body. Invalid when the first line is no
    // status line or the head grows beyond maxSize.
    Progress take(QByteArray &received);

    int status() const { return m_status; }
    QString reason() const { return m_reason; }
    // The first header of that name, compared without regard to letter case.
    std::optional<QByteArray> header(QByteArrayView name) const;
    // The Content-Length header as a decimal number; no value when missing or malformed.
    std::optional<qint64> contentLength() const;
    // Whether the body comes in chunks: the last coding the Transfer-Encoding header names
    // is "chunked". The chunks' own framing then ends the body, whatever Content-Length says.
    bool chunked() const;

private:
    bool parse(const QByteArray &head);
    bool parseStatusLine(const QByteArray &line);

    int m_status = 0;
    QString m_reason;
    QList<std::pair<QByteArray, QByteArray>> m_headers;
};

} // namespace http
