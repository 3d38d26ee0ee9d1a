#pragma once

#include "app/soundplayer.h"

#include <QHash>
#include <QObject>

class QSoundEffect;

// Plays each cue from the embedded wave ":/sounds/<CUE>.wav", the cue's name in capitals.
// Without a working sound output it stays silent and reports nothing. It lives in a module
// of its own with the sound output's libraries, which the game loads once it is up.
class WaveSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit WaveSoundPlayer(QObject *parent = nullptr);

    void play(const QString &cue) override;

private:
    QHash<QString, QSoundEffect *> m_effects; // by the wave's name in capitals
    QSoundEffect *m_playing = nullptr;        // the effect last started
};

// The module's one entry point: a player owned by `parent`.
extern "C" Q_DECL_EXPORT SoundPlayer *quellanCreateSoundPlayer(QObject *parent);
