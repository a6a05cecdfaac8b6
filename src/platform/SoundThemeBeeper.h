// SPDX-License-Identifier: MIT
#pragma once

#include "Beeper.h"

#include <memory>

typedef struct ca_context ca_context;
class X11Connection;

// Plays the sound theme's "bell" event through libcanberra, the way desktop
// programs ring. The X bell alone is silent on most desktops (the server has
// no speaker, and few window managers turn it into a sound), so it is only
// the fallback for when the theme's sound cannot be played: no sound server,
// no theme, no device.
class SoundThemeBeeper final : public Beeper {
public:
    // `x11` may be null: then a beep that cannot be played is silent.
    explicit SoundThemeBeeper(X11Connection* x11);
    ~SoundThemeBeeper() override;
    SoundThemeBeeper(const SoundThemeBeeper&) = delete;
    SoundThemeBeeper& operator=(const SoundThemeBeeper&) = delete;

    void beep() override;

private:
    bool playThemeSound();
    bool openContext();

    // libcanberra, loaded at the first beep: most runs never beep, and the
    // library brings its own loaders and codecs into every launch otherwise.
    struct Canberra;
    std::unique_ptr<Canberra> m_canberra;
    X11Connection* m_x11;
    ca_context* m_context = nullptr;
    bool m_contextFailed = false;
};
