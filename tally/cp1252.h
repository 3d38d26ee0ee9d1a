#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Windows-1252, the single-byte character set older copies of the game write their tally and
// settings files in: Latin-1 but for the 32 bytes 0x80–0x9F.
namespace cp1252 {

QString decode(const QByteArray &bytes);
// Nothing when the text holds a character the set has not: a "?" in its place would be
// written for good.
std::optional<QByteArray> encode(const QString &text);

} // namespace cp1252
