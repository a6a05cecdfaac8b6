// SPDX-License-Identifier: MIT
#pragma once

#include "PronunciationPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>

// Qt Multimedia's player, streaming the recording from its URL.
class MediaPronunciationPlayer final : public PronunciationPlayer {
public:
    MediaPronunciationPlayer();

    void play(const QUrl& source, float volume) override;
    void pause() override;

private:
    QMediaPlayer m_player;
    QAudioOutput m_output;
};
