#include "app/wavesoundplayer.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace {

const QString soundFolder = QStringLiteral(":/sounds");

} // namespace

// Every wave is loaded once up front, so a cue starts without delay when it is asked for.
WaveSoundPlayer::WaveSoundPlayer(QObject *parent) : QObject(parent)
{
    const QFileInfoList waves = QDir(soundFolder).entryInfoList({"*.wav"}, QDir::Files);
    for (const QFileInfo &wave : waves) {
        auto *effect = new QSoundEffect(this);
        effect->setSource(QUrl("qrc" + wave.absoluteFilePath()));
        m_effects.insert(wave.completeBaseName().toUpper(), effect);
    }
}

void WaveSoundPlayer::play(const QString &cue)
{
    if (m_playing)
        m_playing->stop();
    m_playing = m_effects.value(cue.toUpper());
    if (m_playing)
        m_playing->play();
}

SoundPlayer *quellanCreateSoundPlayer(QObject *parent)
{
    return new WaveSoundPlayer(parent);
}
