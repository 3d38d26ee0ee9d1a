#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QSoundEffect;

// Plays the game's sound cues ("entered", "deal", "click", ...).
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the cue's sound and returns at once; it stops the cue still playing. A cue
    // without a sound of its own plays nothing.
    virtual void play(const QString &cue) = 0;
};

// Plays each cue from the program's embedded wave ":/sounds/<CUE>.wav", the cue's name in
// capitals. Without a working sound output it stays silent and reports nothing. The sound
// output is set up once the event loop runs, so that it does not delay the first window; a
// cue asked for before then plays as soon as it is ready.
class WaveSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit WaveSoundPlayer(QObject *parent = nullptr);

    void play(const QString &cue) override;

private:
    void load();

    bool m_loaded = false;
    QString m_pending;                        // the cue asked for before loading
    QHash<QString, QSoundEffect *> m_effects; // by the wave's name in capitals
    QSoundEffect *m_playing = nullptr;        // the effect last started
};
