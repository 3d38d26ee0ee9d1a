#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

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

// What a player hears: the cue, its sample rate and depth, and how long it lasts.
struct Cue {
    const char *name;
    quint32 rate;
    quint16 bits;
    int milliseconds;
};

double durationMs(const WaveFormat &wave)
{
    return 1000.0 * double(wave.data.size()) / (wave.bits / 8) / wave.rate;
}

TEST(Sounds, EachCueIsAMonoPcmWaveOfItsLengthThatStartsAndEndsSilentAndIsHeard)
{
    const Cue cues[] = {
        {"CLICK", 11025, 8, 144},    {"DEAL", 11025, 8, 300},    {"ENTERED", 11025, 8, 786},
        {"GAMEOVER", 22050, 8, 996}, {"INVALID", 11025, 8, 251}, {"WINNER", 22050, 16, 2794},
    };
    std::vector<QByteArray> samples;
    for (const Cue &cue : cues) {
        SCOPED_TRACE(cue.name);
        QFile file(QString(":/sounds/%1.wav").arg(cue.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto wave = parseWave(file.readAll());
        ASSERT_TRUE(wave);
        EXPECT_EQ(wave->encoding, 1); // uncompressed PCM
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->rate, cue.rate);
        ASSERT_EQ(wave->bits, cue.bits);
        ASSERT_FALSE(wave->data.isEmpty());
        EXPECT_NEAR(durationMs(*wave), cue.milliseconds, 5);

        const qsizetype count = wave->data.size() / (wave->bits / 8);
        EXPECT_EQ(sample(*wave, 0), 0);
        EXPECT_EQ(sample(*wave, count - 1), 0);
        double peak = 0;
        for (qsizetype i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(sample(*wave, i)));
        EXPECT_GT(peak, 0.25);
        EXPECT_LT(peak, 0.95);
        samples.push_back(wave->data);
    }
    // Every event sounds different.
    for (std::size_t a = 0; a < samples.size(); ++a) {
        for (std::size_t b = a + 1; b < samples.size(); ++b)
            EXPECT_NE(samples[a], samples[b]) << cues[a].name << " " << cues[b].name;
    }
}

} // namespace
