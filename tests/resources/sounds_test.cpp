#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

struct WaveFormat {
    quint16 encoding = 0;
    quint16 channels = 0;
    quint32 rate = 0;
    quint16 bits = 0;
    QByteArray data;
};

quint16 u16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// Walks the chunks of a RIFF/WAVE file for its format and its sample data.
std::optional<WaveFormat> parseWave(const QByteArray &bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" ||
        u32(bytes, 4) != bytes.size() - 8)
        return std::nullopt;
    WaveFormat wave;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = u32(bytes, at + 4);
        if (quint64(at) + 8 + size > quint64(bytes.size()))
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wave.encoding = u16(bytes, at + 8);
            wave.channels = u16(bytes, at + 10);
            wave.rate = u32(bytes, at + 12);
            wave.bits = u16(bytes, at + 22);
        } else if (id == "data") {
            wave.data = bytes.mid(at + 8, size);
        }
        at += 8 + size + size % 2;
    }
    return wave;
}

// The sample at the index, from -1 to 1; 8-bit samples are unsigned around 128.
double sample(const WaveFormat &wave, qsizetype index)
{
    if (wave.bits == 8)
        return (quint8(wave.data[index]) - 128) / 128.0;
    return qint16(u16(wave.data, 2 * index)) / 32768.0;
}

struct Expected {
    const char *name;
    quint32 rate;
    quint16 bits;
    qsizetype dataBytes;
};

TEST(Sounds, EachWaveHasItsFormatAndLengthStartsAndEndsSilentAndIsHeard)
{
    const Expected table[] = {
        {"CLICK", 11025, 8, 1584},     {"DEAL", 11025, 8, 3312},    {"ENTERED", 11025, 8, 8667},
        {"GAMEOVER", 22050, 8, 21952}, {"INVALID", 11025, 8, 2768}, {"WINNER", 22050, 16, 123224},
    };
    for (const Expected &expected : table) {
        SCOPED_TRACE(expected.name);
        QFile file(QString(":/sounds/%1.wav").arg(expected.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto wave = parseWave(file.readAll());
        ASSERT_TRUE(wave);
        EXPECT_EQ(wave->encoding, 1); // uncompressed PCM
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->rate, expected.rate);
        EXPECT_EQ(wave->bits, expected.bits);
        ASSERT_EQ(wave->data.size(), expected.dataBytes);

        const qsizetype count = wave->data.size() / (wave->bits / 8);
        EXPECT_EQ(sample(*wave, 0), 0);
        EXPECT_EQ(sample(*wave, count - 1), 0);
        double peak = 0;
        for (qsizetype i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(sample(*wave, i)));
        EXPECT_GT(peak, 0.25);
        EXPECT_LT(peak, 0.95);
    }
}

} // namespace
