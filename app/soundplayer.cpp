#include "app/soundplayer.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {

const QString soundFolder = QStringLiteral(":/sounds");

} // namespace

WaveSoundPlayer::WaveSoundPlayer(QObject *parent) : QObject(parent)
{
    QTimer::singleShot(0, this, &WaveSoundPlayer::load);
}

// Every wave is loaded once, so a cue starts without delay when it is asked for.
void WaveSoundPlayer::load()
{
    m_loaded = true;
    const QFileInfoList waves = QDir(soundFolder).entryInfoList({"*.wav"}, QDir::Files);
    for (const QFileInfo &wave : waves) {
        auto *effect = new QSoundEffect(this);
        effect->setSource(QUrl("qrc" + wave.absoluteFilePath()));
        m_effects.insert(wave.completeBaseName().toUpper(), effect);
    }
    if (!m_pending.isEmpty())
        play(std::exchange(m_pending, QString()));
}

void WaveSoundPlayer::play(const QString &cue)
{
    if (!m_loaded) {
        m_pending = cue;
        return;
    }
    if (m_playing)
        m_playing->stop();
    m_playing = m_effects.value(cue.toUpper());
    if (m_playing)
        m_playing->play();
}
