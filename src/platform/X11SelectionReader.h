// SPDX-License-Identifier: MIT
#pragma once

#include "SelectionReader.h"

#include <QDeadlineTimer>
#include <QObject>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

class QTimer;
class X11Connection;
typedef union _XEvent XEvent;

// Selection reads with XConvertSelection on a connection of its own, so that
// waiting for one answer never takes events from anyone else. Large values
// arrive in INCR chunks; a read's bound counts from the request or the last
// chunk, so a slow but working transfer finishes while a silent owner is
// given up on. Each read also has a fixed overall deadline and a size limit
// that no stream of chunks can push back.
class X11SelectionReader final : public QObject, public SelectionReader {
    Q_OBJECT
public:
    // How long an owner may take to answer a text or TARGETS request (and
    // the whole of a blocking read).
    static constexpr std::chrono::milliseconds answerTimeout { 300 };
    // How long one format of a snapshot may go without arriving: owners
    // encode large images on request (a 3840x2160 photo takes Qt about a
    // second as PNG), so this is longer. A format that misses it makes the
    // whole snapshot unknown.
    static constexpr std::chrono::milliseconds formatTimeout { 2000 };
    // The whole of readContents(), and of any one text read however steadily
    // its chunks arrive.
    static constexpr std::chrono::milliseconds contentsTimeout { 5000 };
    // The most one read (one format) may hold. Large enough for an
    // uncompressed 5K screenshot (5120x2880x4 bytes, 56 MiB), the largest
    // thing a desktop clipboard plausibly holds; small enough that an owner
    // streaming without end is stopped before it costs the machine memory.
    static constexpr qsizetype maxReadBytes = qsizetype(64) << 20;

    // A reader on a new connection to $DISPLAY; nullptr without an X server.
    static std::unique_ptr<X11SelectionReader> open();

    explicit X11SelectionReader(
        std::unique_ptr<X11Connection> connection, qsizetype byteLimit = maxReadBytes);
    ~X11SelectionReader() override;
    Q_DISABLE_COPY_MOVE(X11SelectionReader)

    std::optional<QString> readTextNow(Selection selection) override;
    void readText(Selection selection, TextHandler handler) override;
    void readContents(Selection selection, ContentsHandler handler) override;

private:
    // tooLarge: the value outgrew the byte limit and was given up on.
    enum class Outcome { delivered, refused, timedOut, tooLarge };
    struct Reply {
        Outcome outcome = Outcome::refused;
        unsigned long type = 0;
        int format = 0;
        QByteArray data;
    };
    using ReplyHandler = std::function<void(Reply)>;

    struct Transfer {
        unsigned long selection = 0;
        unsigned long target = 0;
        unsigned long property = 0;
        bool answered = false; // SelectionNotify seen
        bool incremental = false;
        Reply reply;
        std::chrono::milliseconds progressBound {};
        QDeadlineTimer overall; // fixed when the request is sent
        QDeadlineTimer deadline; // the next answer or chunk, never past `overall`
        std::unique_ptr<QTimer> timer;
        ReplyHandler handler; // called inline when the transfer ends
    };
    struct ContentsRead;

    // Asks the owner for one target. The handler runs exactly once, when the
    // value is complete, refused, overdue or too large. The first answer must
    // come within `answerBound`, each further chunk within `progressBound` of
    // the last, and the whole by `overall`.
    int convert(unsigned long selection, unsigned long target, std::chrono::milliseconds answerBound,
        std::chrono::milliseconds progressBound, const QDeadlineTimer& overall, ReplyHandler handler);
    Reply convertNow(unsigned long selection, unsigned long target, const QDeadlineTimer& deadline);
    void onEvent(XEvent& event);
    void readChunk(int id);
    void progress(Transfer& transfer);
    void finish(int id, Outcome outcome);
    void armTimer(int id);

    void readTextFrom(unsigned long selection, size_t targetIndex, const QDeadlineTimer& overall,
        const std::shared_ptr<TextHandler>& handler);
    void readNextFormat(const std::shared_ptr<ContentsRead>& read);
    // Ends a snapshot as unknown.
    void giveUp(const std::shared_ptr<ContentsRead>& read);
    std::optional<QString> decode(unsigned long target, const Reply& reply);

    unsigned long selectionAtom(Selection selection);
    unsigned long atom(const char* name);
    QByteArray atomName(unsigned long atom);
    unsigned long takeProperty();

    std::unique_ptr<X11Connection> m_connection;
    qsizetype m_byteLimit = maxReadBytes;
    unsigned long m_window = 0;
    int m_listener = 0;
    std::map<int, Transfer> m_transfers;
    int m_nextTransfer = 1;
    std::vector<unsigned long> m_freeProperties;
    int m_propertyCount = 0;
    std::map<QByteArray, unsigned long> m_atoms;
    std::map<unsigned long, QByteArray> m_atomNames;
};
