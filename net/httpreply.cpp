#include "net/httpreply.h"

#include <algorithm>

namespace http {

namespace {

// Where the head ends and how long its closing empty line is; servers differ in whether
// they end lines with CR LF or LF alone.
std::optional<std::pair<qsizetype, qsizetype>> headEnd(const QByteArray &received)
{
    const qsizetype crlf = received.indexOf("\r\n\r\n");
    const qsizetype lf = received.indexOf("\n\n");
    if (crlf < 0 && lf < 0)
        return std::nullopt;
    if (lf < 0 || (crlf >= 0 && crlf < lf))
        return std::pair{crlf, qsizetype(4)};
    return std::pair{lf, qsizetype(2)};
}

bool isDecimal(QByteArrayView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

ReplyHead::Progress ReplyHead::take(QByteArray &received)
{
    const auto end = headEnd(received);
    if (!end)
        return received.size() > maxSize ? Progress::Invalid : Progress::Incomplete;
    if (end->first > maxSize || !parse(received.left(end->first)))
        return Progress::Invalid;
    received.remove(0, end->first + end->second);
    return Progress::Complete;
}

std::optional<QByteArray> ReplyHead::header(QByteArrayView name) const
{
    for (const auto &[key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

std::optional<qint64> ReplyHead::contentLength() const
{
    const auto value = header("Content-Length");
    if (!value || !isDecimal(*value) || value->size() > 18)
        return std::nullopt;
    return value->toLongLong();
}

bool ReplyHead::chunked() const
{
    const auto value = header("Transfer-Encoding");
    if (!value)
        return false;
    const QByteArray last = value->split(',').last().trimmed();
    return last.compare("chunked", Qt::CaseInsensitive) == 0;
}

bool ReplyHead::parse(const QByteArray &head)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    if (!parseStatusLine(lines.first()))
        return false;
    m_headers.clear();
    for (const QByteArray &line : lines.sliced(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            m_headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return true;
}

// "HTTP/1.0 404 Not Found": the version, a three-digit status, and the reason text.
bool ReplyHead::parseStatusLine(const QByteArray &line)
{
    const qsizetype space = line.indexOf(' ');
    if (!line.startsWith("HTTP/") || space < 0)
        return false;
    const QByteArray rest = line.mid(space + 1);
    const QByteArray code = rest.left(3);
    if (code.size() != 3 || !isDecimal(code) || (rest.size() > 3 && rest[3] != ' '))
        return false;
    m_status = code.toInt();
    m_reason = QString::fromLatin1(rest.mid(4).trimmed());
    return true;
}

} // namespace http
