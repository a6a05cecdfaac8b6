// SPDX-License-Identifier: MIT
#include "X11AccessibilityPermission.h"

#include "X11KeystrokeSender.h"

X11AccessibilityPermission::X11AccessibilityPermission(X11Connection& connection)
    : m_connection(connection)
{
}

bool X11AccessibilityPermission::isTrusted() const
{
    if (!m_trusted)
        m_trusted = X11KeystrokeSender::isAvailable(m_connection);
    return *m_trusted;
}
