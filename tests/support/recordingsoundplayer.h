#pragma once

#include "app/soundplayer.h"

#include <QStringList>

// Stands in for the real player in window tests: keeps every requested cue in order.
class RecordingSoundPlayer : public SoundPlayer {
public:
    void play(const QString &cue) override { cues.append(cue); }

    QStringList cues;
};
