// SPDX-License-Identifier: MIT
#pragma once

#include "SelectionReader.h"

#include <QDeadlineTimer>
#include <QObject>
#include <chrono>
#include <memory>
#include <vector>

class X11Connection;
class X11SelectionTransfers;

// What a read asks of a selection's owner, and in what order, over bounded
// X11SelectionTransfers: the text targets in turn, or TARGETS and then each
// format. Every read has a size limit and an overall deadline that no stream
// of chunks can push back.
class X11SelectionReader final : public QObject, public SelectionReader {
    Q_OBJECT
public:
    // How long an owner may take to answer a text or TARGETS request (and
    // the whole of a blocking read).
    static constexpr std::chrono::milliseconds answerTimeout { 300 };
    // How long one format of a snapshot may go without arriving: owners
    // encode large images on request (a 3840x2160 photo takes Qt about a
    // second as PNG), so this is longer. A format that misses it makes the
    // whole snapshot unknown. The kept picture, asked for last, may take
    // until the overall deadline to start arriving.
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

    Holder holder(Selection selection) override;
    std::optional<QString> readTextNow(Selection selection) override;
    void readText(Selection selection, TextHandler handler) override;
    void readContents(
        Selection selection, ContentsHandler handler, std::function<void()> pictureRequested) override;

private:
    struct ContentsRead;

    void readTextFrom(unsigned long selection, size_t targetIndex, const QDeadlineTimer& overall,
        const std::shared_ptr<TextHandler>& handler);
    void planFormats(const std::shared_ptr<ContentsRead>& read, const std::vector<unsigned long>& listed);
    void readNextFormat(const std::shared_ptr<ContentsRead>& read);
    // Ends a snapshot as unknown.
    void giveUp(const std::shared_ptr<ContentsRead>& read);
    unsigned long selectionAtom(Selection selection);

    std::unique_ptr<X11SelectionTransfers> m_transfers;
};
