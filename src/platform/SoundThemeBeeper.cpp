// SPDX-License-Identifier: MIT
#include "SoundThemeBeeper.h"

#include "X11Connection.h"

#include <X11/Xlib.h>
#include <canberra.h>

std::unique_ptr<Beeper> Beeper::createForSession(X11Connection* x11)
{
    return std::make_unique<SoundThemeBeeper>(x11);
}

SoundThemeBeeper::SoundThemeBeeper(X11Connection* x11)
    : m_x11(x11)
{
}

SoundThemeBeeper::~SoundThemeBeeper()
{
    if (m_context)
        ca_context_destroy(m_context);
}

void SoundThemeBeeper::beep()
{
    if (playThemeSound())
        return;
    if (m_x11) {
        XBell(m_x11->display(), 0);
        XFlush(m_x11->display());
    }
}

bool SoundThemeBeeper::playThemeSound()
{
    // Opened at the first beep, not at start-up: most runs never beep, and
    // connecting to the sound server costs a few milliseconds.
    if (!m_context && !m_contextFailed) {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            m_contextFailed = true;
        } else if (ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Sorvantel",
                       CA_PROP_APPLICATION_ID, "com.sorvantel", nullptr)
                != CA_SUCCESS
            || ca_context_open(m_context) != CA_SUCCESS) {
            ca_context_destroy(m_context);
            m_context = nullptr;
            m_contextFailed = true;
        }
    }
    if (!m_context)
        return false;
    // Asynchronous: the call returns once the sound is handed to the sound
    // server, which plays it. "bell" is the theme's generic alert.
    if (ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION, "Alert",
            CA_PROP_CANBERRA_CACHE_CONTROL, "permanent", nullptr)
        == CA_SUCCESS)
        return true;
    // No device, no theme sound: that will not change while the program
    // runs, and every further try costs time and a burst of driver errors on
    // standard error. The X bell it is from now on.
    ca_context_destroy(m_context);
    m_context = nullptr;
    m_contextFailed = true;
    return false;
}
