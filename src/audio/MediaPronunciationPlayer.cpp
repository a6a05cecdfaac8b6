// SPDX-License-Identifier: MIT
#include "MediaPronunciationPlayer.h"

MediaPronunciationPlayer::MediaPronunciationPlayer()
{
    m_player.setAudioOutput(&m_output);
}

void MediaPronunciationPlayer::play(const QUrl& source, float volume)
{
    m_player.stop();
    m_output.setVolume(volume);
    m_player.setSource(source);
    m_player.play();
}

void MediaPronunciationPlayer::pause()
{
    m_player.pause();
}

extern "C" Q_DECL_EXPORT PronunciationPlayer* sorvantel_create_pronunciation_player()
{
    return new MediaPronunciationPlayer;
}
