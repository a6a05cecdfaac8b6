// SPDX-License-Identifier: MIT
#pragma once

#include "ClipboardContents.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class X11Connection;
typedef union _XEvent XEvent;
typedef struct _XDisplay Display;

// Owns an X selection and answers every request for it from saved bytes:
// each saved format under its own target, type and item size, plus TARGETS,
// TIMESTAMP and MULTIPLE. Values larger than one request go out in INCR
// chunks. Runs on a connection of its own, on the main thread's event loop.
class X11SelectionOwner final : public QObject {
    Q_OBJECT
public:
    // How long a requestor may leave an INCR chunk unread before that
    // transfer is dropped.
    static constexpr std::chrono::milliseconds chunkTimeout { 5000 };

    // An owner of the named selection ("CLIPBOARD") on a new connection;
    // nullptr without an X server.
    static std::unique_ptr<X11SelectionOwner> open(const char* selection);

    X11SelectionOwner(std::unique_ptr<X11Connection> connection, const char* selection);
    ~X11SelectionOwner() override;
    Q_DISABLE_COPY_MOVE(X11SelectionOwner)

    // Takes the selection, offering exactly these formats. False when the
    // server did not make this program the owner.
    bool own(ClipboardContents contents);
    // Leaves the selection without an owner, whoever held it.
    void clear();

    // Asks the desktop's clipboard manager to keep the contents after this
    // program is gone (CLIPBOARD_MANAGER / SAVE_TARGETS), serving its
    // requests until it confirms or `bound` has passed. Blocks the caller
    // meanwhile; meant for the moment of quitting. True when the manager
    // took the contents.
    bool handOverToManager(std::chrono::milliseconds bound);

    // The image writer format for an image target ("png" for image/png and
    // for Qt's own application/x-qt-image, "ppm" for image/ppm); empty for
    // any other target.
    static QByteArray imageEncoderFor(const QByteArray& target);

    bool owns() const { return m_owns; }
    const ClipboardContents& contents() const { return m_contents; }
    X11Connection& connection() const { return *m_connection; }

private:
    struct Offered {
        unsigned long target = 0;
        unsigned long type = 0;
        qsizetype index = 0; // into m_contents.formats
    };
    struct Outgoing {
        unsigned long type = 0;
        int format = 8;
        QByteArray data;
        qsizetype offset = 0;
        QDeadlineTimer deadline;
    };
    using OutgoingKey = std::pair<unsigned long, unsigned long>; // requestor window, property

    void onEvent(XEvent& event);
    void answer(const XEvent& request);
    bool serve(unsigned long requestor, unsigned long property, unsigned long target, bool allowIncremental);
    bool serveMultiple(unsigned long requestor, unsigned long property);
    // Encodes a format offered as a conversion of another image, once.
    bool encode(ClipboardFormat& format);
    void sendNextChunk(const OutgoingKey& key);
    void dropOutgoing(const OutgoingKey& key);
    void sweepOutgoing();
    unsigned long serverTime();
    unsigned long atom(const char* name);

    std::unique_ptr<X11Connection> m_connection;
    Display* m_display = nullptr;
    unsigned long m_window = 0;
    unsigned long m_selection = 0;
    int m_listener = 0;
    bool m_owns = false;
    unsigned long m_ownedSince = 0;
    ClipboardContents m_contents;
    std::vector<Offered> m_offered;
    std::map<OutgoingKey, Outgoing> m_outgoing;
    QTimer m_sweep;
    qsizetype m_chunkBytes = 0;
    std::map<QByteArray, unsigned long> m_atoms;
    std::optional<bool> m_managerAnswer; // during handOverToManager(): whether it saved
};
