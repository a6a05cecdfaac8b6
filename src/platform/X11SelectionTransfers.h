// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTimer;
class X11Connection;
typedef union _XEvent XEvent;

// Bounded XConvertSelection transfers on a connection of this object's own,
// so that waiting for one answer never takes events from anyone else.
//
// Each transfer has a requestor window of its own, never used again: an
// answer is matched to its transfer by that window alone, so a late answer
// (a refusal, say) to a transfer that was given up on can never be taken for
// a newer transfer of the same target. Large values arrive in INCR chunks;
// the first answer and each chunk must come within their bounds, the whole
// by a fixed deadline, and no property is read past the byte limit.
class X11SelectionTransfers final : public QObject {
    Q_OBJECT
public:
    // tooLarge: the value outgrew the byte limit and was given up on.
    enum class Outcome { delivered, refused, timedOut, tooLarge };
    struct Reply {
        Outcome outcome = Outcome::refused;
        unsigned long type = 0;
        int format = 0;
        QByteArray data;
    };
    using ReplyHandler = std::function<void(Reply)>;

    struct Bounds {
        std::chrono::milliseconds answer; // from the request to the owner's answer
        std::chrono::milliseconds progress; // between INCR chunks
        QDeadlineTimer overall; // the whole transfer, however steadily chunks arrive
    };

    X11SelectionTransfers(std::unique_ptr<X11Connection> connection, qsizetype byteLimit);
    ~X11SelectionTransfers() override;
    Q_DISABLE_COPY_MOVE(X11SelectionTransfers)

    // Asks the owner of `selection` for `target`. The handler runs exactly
    // once, inline, when the value is complete, refused, overdue or too large.
    // Returns the transfer's requestor window.
    unsigned long start(
        unsigned long selection, unsigned long target, const Bounds& bounds, ReplyHandler handler);
    // The same, waiting on this connection's socket alone: the rest of the
    // program is paused until the deadline at most.
    Reply wait(unsigned long selection, unsigned long target, const QDeadlineTimer& deadline);

    X11Connection& connection() const { return *m_connection; }
    unsigned long atom(const char* name);
    QByteArray atomName(unsigned long atom);

private:
    struct Transfer {
        unsigned long window = 0; // the requestor, this transfer's alone
        unsigned long selection = 0;
        unsigned long target = 0;
        bool answered = false; // SelectionNotify seen
        bool incremental = false;
        Reply reply;
        std::chrono::milliseconds progressBound {};
        QDeadlineTimer overall;
        QDeadlineTimer deadline; // the next answer or chunk, never past `overall`
        std::unique_ptr<QTimer> timer;
        ReplyHandler handler;
    };

    void onEvent(XEvent& event);
    Transfer* find(unsigned long window);
    void readChunk(Transfer& transfer);
    void finish(unsigned long window, Outcome outcome);
    void checkDeadline(unsigned long window);

    std::unique_ptr<X11Connection> m_connection;
    qsizetype m_byteLimit;
    unsigned long m_property = 0;
    int m_listener = 0;
    std::map<unsigned long, Transfer> m_transfers; // by requestor window
    std::vector<unsigned long> m_retired; // windows of transfers given up on
    std::map<QByteArray, unsigned long> m_atoms;
    std::map<unsigned long, QByteArray> m_atomNames;
};
