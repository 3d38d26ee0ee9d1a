#include "app/soundplayer.h"
#include "tests/support/recordingsoundplayer.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QStringList cues = {"entered", "startgame", "deal", "click", "invalid", "winner", "gameover"};

TEST(WaveSoundPlayer, EveryCueHasItsWaveInTheProgram)
{
    for (const QString &cue : cues) {
        const bool silent = cue == "startgame";
        EXPECT_EQ(QFile::exists(":/sounds/" + cue.toUpper() + ".wav"), !silent)
            << cue.toStdString();
    }
}

TEST(WaveSoundPlayer, PlaysEveryCueWithoutASoundCardAndReturnsAtOnce)
{
    WaveSoundPlayer player;
    for (const QString &cue : cues)
        player.play(cue);
    player.play("Winner");
    player.play("no such cue");
    player.play("");
    QCoreApplication::processEvents();
    player.play("click");
    player.play("click");
}

TEST(RecordingSoundPlayer, KeepsTheCuesInOrder)
{
    RecordingSoundPlayer player;
    SoundPlayer &seam = player;
    seam.play("click");
    seam.play("winner");
    EXPECT_EQ(player.cues, QStringList({"click", "winner"}));
}

} // namespace
