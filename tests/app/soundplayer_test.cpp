#include "app/soundplayer.h"

#include <QFile>
#include <QSoundEffect>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

TEST(WaveSoundPlayer, EveryCueButTheStartPlaysItsOwnEmbeddedWave)
{
    const QStringList cues = {"entered", "deal", "click", "invalid", "winner", "gameover"};
    EXPECT_FALSE(QFile::exists(":/sounds/STARTGAME.wav"));
    WaveSoundPlayer player;
    // The sounds are set up once the event loop runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.findChildren<QSoundEffect *>().isEmpty(); }));
    QStringList sources;
    for (const QSoundEffect *effect : player.findChildren<QSoundEffect *>())
        sources << effect->source().toString();
    sources.sort();
    QStringList expected;
    for (const QString &cue : cues) {
        expected << "qrc:/sounds/" + cue.toUpper() + ".wav";
        EXPECT_TRUE(QFile::exists(":/sounds/" + cue.toUpper() + ".wav")) << cue.toStdString();
    }
    expected.sort();
    EXPECT_EQ(sources, expected);
}
