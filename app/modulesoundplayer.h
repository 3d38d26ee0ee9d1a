#pragma once

#include "app/soundplayer.h"

#include <QObject>
#include <QString>

// Plays the cues through the sound module, loaded once the event loop runs: the sound output
// and its libraries then cost the first window nothing. A cue asked for before plays as soon
// as the module is there; without the module the game stays silent.
class ModuleSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit ModuleSoundPlayer(const QString &modulePath, QObject *parent = nullptr);

    void play(const QString &cue) override;
    // The module's player, once loaded; null before and without it.
    SoundPlayer *player() const { return m_player; }

private:
    void load();

    const QString m_modulePath;
    bool m_loaded = false;
    QString m_pending; // the cue asked for before loading
    SoundPlayer *m_player = nullptr;
};
