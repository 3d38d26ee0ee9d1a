#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte character set of tally files: Latin-1 but for the 32 bytes
// 0x80–0x9F. Characters it cannot hold become "?".
namespace cp1252 {

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);

} // namespace cp1252
