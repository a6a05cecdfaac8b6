// SPDX-License-Identifier: MIT
#pragma once

#include "ClipboardContents.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class WaylandConnection;
struct wl_interface;
struct wl_proxy;

// The seat's selections as a clipboard manager sees them, over the
// data-control protocol: ext-data-control-v1 where the compositor offers it,
// otherwise its forerunner wlr-data-control-unstable-v1 (sway, KWin 5.27).
// Both have the same requests and events in the same order; only the
// interface names differ. Follows what is offered in the clipboard and the
// primary selection (the highlight) and reads it; no window or focus needed.
class DataControlDevice final : public QObject {
    Q_OBJECT
public:
    enum class Selection { primary, clipboard };

    // How long the selection's owner may take to write all of its text.
    static constexpr std::chrono::milliseconds readTimeout { 300 };
    // The most a read keeps: far more than any text anyone selects.
    static constexpr qsizetype maxTextBytes = qsizetype(16) << 20;

    // On `connection`, which must outlive it; nullptr when the compositor
    // offers neither protocol (weston, mutter) or no seat.
    static std::unique_ptr<DataControlDevice> open(WaylandConnection& connection);
    ~DataControlDevice() override;
    Q_DISABLE_COPY_MOVE(DataControlDevice)

    // The formats on offer; empty when nothing is.
    QStringList formats(Selection selection) const;

    // The selection's text: blocks for at most readTimeout, nothing when
    // there is no text on offer or the owner did not write it in time.
    std::optional<QString> readText(Selection selection);

    // Makes this program the clipboard's owner, offering exactly these
    // formats (8-bit ones; a format's target is its MIME type) to every
    // program, whichever has the focus, until another program copies.
    void setClipboard(ClipboardContents contents);
    // Grows with every change of the clipboard, this program's included.
    uint64_t clipboardChanges() const { return m_clipboardChanges; }

    // The text formats a reader may ask for, best first.
    static const QStringList& textFormats();

private:
    struct Protocol;
    struct Offer;

    DataControlDevice(WaylandConnection& connection, const Protocol& protocol, wl_proxy* manager);
    Offer* current(Selection selection) const;
    void replace(Offer*& slot, wl_proxy* offer);

    static void onDataOffer(void* data, wl_proxy* device, wl_proxy* offer);
    static void onSelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void onFinished(void* data, wl_proxy* device);
    static void onPrimarySelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void onOffer(void* data, wl_proxy* offer, const char* mimeType);
    static void onSend(void* data, wl_proxy* source, const char* mimeType, int32_t fd);
    static void onCancelled(void* data, wl_proxy* source);
    void dropSource();

    WaylandConnection& m_connection;
    const Protocol& m_protocol;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    // Every offer announced and not yet destroyed; the two in use are
    // pointed at below, and each dies when its selection changes.
    std::vector<std::unique_ptr<Offer>> m_offers;
    Offer* m_clipboard = nullptr;
    Offer* m_primary = nullptr;
    // What this program offers as the clipboard, while it owns it. Its
    // offer comes back to this device like any other, but reading that
    // through the compositor would wait on this very thread.
    wl_proxy* m_source = nullptr;
    ClipboardContents m_offered;
    uint64_t m_clipboardChanges = 0;
};
