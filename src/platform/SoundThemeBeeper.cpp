// SPDX-License-Identifier: MIT
#include "SoundThemeBeeper.h"

#include "X11Connection.h"

#include <QLibrary>
#include <X11/Xlib.h>
#include <canberra.h>

struct SoundThemeBeeper::Canberra {
    decltype(&ca_context_create) create = nullptr;
    decltype(&ca_context_change_props) changeProps = nullptr;
    decltype(&ca_context_open) open = nullptr;
    decltype(&ca_context_play) play = nullptr;
    decltype(&ca_context_destroy) destroy = nullptr;

    // Null where the library or one of its functions is missing.
    static std::unique_ptr<Canberra> load()
    {
        // Never unloaded: the sound server connection lives as long as the context.
        QLibrary library(QStringLiteral("canberra"), 0);
        auto functions = std::make_unique<Canberra>();
        functions->create = reinterpret_cast<decltype(create)>(library.resolve("ca_context_create"));
        functions->changeProps
            = reinterpret_cast<decltype(changeProps)>(library.resolve("ca_context_change_props"));
        functions->open = reinterpret_cast<decltype(open)>(library.resolve("ca_context_open"));
        functions->play = reinterpret_cast<decltype(play)>(library.resolve("ca_context_play"));
        functions->destroy = reinterpret_cast<decltype(destroy)>(library.resolve("ca_context_destroy"));
        if (!functions->create || !functions->changeProps || !functions->open || !functions->play
            || !functions->destroy)
            return nullptr;
        return functions;
    }
};

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
        m_canberra->destroy(m_context);
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
    if (!m_context && !m_contextFailed)
        m_contextFailed = !openContext();
    if (!m_context)
        return false;
    // Asynchronous: the call returns once the sound is handed to the sound
    // server, which plays it. "bell" is the theme's generic alert.
    if (m_canberra->play(m_context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION, "Alert",
            CA_PROP_CANBERRA_CACHE_CONTROL, "permanent", nullptr)
        == CA_SUCCESS)
        return true;
    // No device, no theme sound: that will not change while the program
    // runs, and every further try costs time and a burst of driver errors on
    // standard error. The X bell it is from now on.
    m_canberra->destroy(m_context);
    m_context = nullptr;
    m_contextFailed = true;
    return false;
}

bool SoundThemeBeeper::openContext()
{
    m_canberra = Canberra::load();
    if (!m_canberra || m_canberra->create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return false;
    }
    if (m_canberra->changeProps(m_context, CA_PROP_APPLICATION_NAME, "Sorvantel", CA_PROP_APPLICATION_ID,
            "com.sorvantel", nullptr)
            != CA_SUCCESS
        || m_canberra->open(m_context) != CA_SUCCESS) {
        m_canberra->destroy(m_context);
        m_context = nullptr;
        return false;
    }
    return true;
}
