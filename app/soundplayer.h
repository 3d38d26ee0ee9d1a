#pragma once

#include <QString>

// Plays the game's sound cues ("entered", "deal", "click", ...).
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the cue's sound and returns at once; it stops the cue still playing. A cue
    // without a sound of its own plays nothing.
    virtual void play(const QString &cue) = 0;
};
