#include "app/modulesoundplayer.h"
#include "app/wavesoundplayer.h"

#include <QFile>
#include <QSoundEffect>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList effectSources(const QObject &player)
{
    QStringList sources;
    for (const QSoundEffect *effect : player.findChildren<QSoundEffect *>())
        sources << effect->source().toString();
    sources.sort();
    return sources;
}

} // namespace

TEST(WaveSoundPlayer, EveryCueButTheStartPlaysItsOwnEmbeddedWave)
{
    const QStringList cues = {"entered", "deal", "click", "invalid", "winner", "gameover"};
    EXPECT_FALSE(QFile::exists(":/sounds/STARTGAME.wav"));
    QStringList expected;
    for (const QString &cue : cues) {
        expected << "qrc:/sounds/" + cue.toUpper() + ".wav";
        EXPECT_TRUE(QFile::exists(":/sounds/" + cue.toUpper() + ".wav")) << cue.toStdString();
    }
    expected.sort();
    WaveSoundPlayer player;
    EXPECT_EQ(effectSources(player), expected);
    // Qt's sample cache can hang when an effect is destroyed while its wave still loads.
    for (const QSoundEffect *effect : player.findChildren<QSoundEffect *>())
        EXPECT_TRUE(QTest::qWaitFor([&] { return effect->status() != QSoundEffect::Loading; }));
}

TEST(ModuleSoundPlayer, LoadsTheModuleOnceTheEventLoopRunsAndStaysSilentWithoutIt)
{
    ModuleSoundPlayer player(QUELLAN_SOUND_MODULE);
    player.play("entered"); // asked for while the window is made: plays once loaded
    EXPECT_EQ(player.player(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.player() != nullptr; }));
    EXPECT_EQ(effectSources(player).size(), 6);

    ModuleSoundPlayer missing("/nonexistent/libquellan-sounds.so");
    missing.play("click");
    QCoreApplication::processEvents();
    EXPECT_EQ(missing.player(), nullptr);
    missing.play("deal");
}
