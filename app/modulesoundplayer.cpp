#include "app/modulesoundplayer.h"

#include <QLibrary>
#include <QTimer>

#include <utility>

ModuleSoundPlayer::ModuleSoundPlayer(const QString &modulePath, QObject *parent)
    : QObject(parent), m_modulePath(modulePath)
{
    QTimer::singleShot(0, this, &ModuleSoundPlayer::load);
}

void ModuleSoundPlayer::load()
{
    m_loaded = true;
    using Create = SoundPlayer *(*)(QObject *);
    // The library stays loaded for the life of the process.
    const auto create =
        reinterpret_cast<Create>(QLibrary::resolve(m_modulePath, "quellanCreateSoundPlayer"));
    if (create)
        m_player = create(this);
    if (!m_pending.isEmpty())
        play(std::exchange(m_pending, QString()));
}

void ModuleSoundPlayer::play(const QString &cue)
{
    if (!m_loaded)
        m_pending = cue;
    else if (m_player)
        m_player->play(cue);
}
