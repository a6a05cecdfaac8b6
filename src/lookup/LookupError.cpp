// SPDX-License-Identifier: MIT
#include "LookupError.h"

QString LookupError::message() const
{
    switch (m_kind) {
    case Kind::server:
        return m_text;
    case Kind::backendUnreachable:
        return QStringLiteral("Backend is not running. Start it with `sorvantel-server`.");
    }
    return m_text;
}
