// SPDX-License-Identifier: MIT
#pragma once

#include "SelectionReader.h"

#include <QObject>
#include <memory>

class DataControlDevice;

// The selections on a Wayland desktop: through data-control where the
// compositor offers it (sway, KWin), otherwise through XWayland, which on
// GNOME hands the Wayland programs' selections to X11 whatever has the
// focus. Either may be missing; with neither, nothing is ever selected.
class WaylandSelectionReader final : public QObject, public SelectionReader {
    Q_OBJECT
public:
    // `dataControl` must outlive this reader.
    WaylandSelectionReader(DataControlDevice* dataControl, std::unique_ptr<SelectionReader> xwayland);
    ~WaylandSelectionReader() override;

    Holder holder(Selection selection) override;
    std::optional<QString> readTextNow(Selection selection) override;
    // Deferred reads of a blocking one: a read is bounded by
    // DataControlDevice::readTimeout, and only the capture asks, once per
    // shortcut press.
    void readText(Selection selection, TextHandler handler) override;
    void readContents(
        Selection selection, ContentsHandler handler, std::function<void()> pictureRequested) override;

private:
    DataControlDevice* m_dataControl;
    std::unique_ptr<SelectionReader> m_xwayland;
};
