#include "tally/cp1252.h"

#include <array>

namespace {

// Code points of the bytes 0x80–0x9F; 0 marks the five bytes the character set leaves unused,
// which read as the C1 control of the same number.
constexpr std::array<char16_t, 32> upperControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t fromByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && upperControls[byte - 0x80] != 0)
        return upperControls[byte - 0x80];
    return byte;
}

std::optional<char> toByte(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<char>(ch);
    for (int i = 0; i < 32; ++i) {
        if (upperControls[i] == ch || (upperControls[i] == 0 && ch == 0x80 + i))
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

} // namespace

namespace cp1252 {

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(fromByte(static_cast<unsigned char>(bytes[i])));
    return text;
}

std::optional<QByteArray> encode(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<char> byte = toByte(text[i].unicode());
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return bytes;
}

} // namespace cp1252
