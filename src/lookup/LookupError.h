// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The lookup client's only error. Callers show message() as it is and never
// branch on the kind; kind() exists so that the client's own tests can tell
// the two apart.
class LookupError {
public:
    enum class Kind {
        server, // carries every text the client composes or receives
        backendUnreachable,
    };

    static LookupError server(QString message) { return { Kind::server, std::move(message) }; }
    static LookupError backendUnreachable() { return { Kind::backendUnreachable, {} }; }

    Kind kind() const { return m_kind; }
    // The text the user sees.
    QString message() const;

    bool operator==(const LookupError&) const = default;

private:
    LookupError(Kind kind, QString text)
        : m_kind(kind)
        , m_text(std::move(text))
    {
    }

    Kind m_kind;
    QString m_text;
};
