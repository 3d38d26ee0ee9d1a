#include "net/httprequest.h"

namespace http {

namespace {

constexpr char lineEnd[] = "\r\n";

QByteArray withoutLineBreaks(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.removeIf([](char c) { return c == '\r' || c == '\n'; });
    return bytes;
}

} // namespace

Request::Request(const QByteArray &method, const QByteArray &target, const QString &version)
    : m_head(method + ' ' + target + " HTTP/" + withoutLineBreaks(version) + lineEnd)
{
}

void Request::addHeader(const QByteArray &name, const QString &value)
{
    m_head += name + ": " + withoutLineBreaks(value) + lineEnd;
}

QByteArray Request::toBytes() const
{
    return m_head + lineEnd;
}

} // namespace http
