// SPDX-License-Identifier: MIT
#pragma once

#include "AccessibilityRequestResult.h"
#include "CaptureResult.h"
#include "ClipboardContents.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class AccessibilityPermission;
class Clipboard;
class KeystrokeSender;
class SelectionReader;

// The text the user has selected in whatever application they are working
// in. One for the program, over its reader, clipboard and keystroke sender,
// which must outlive it. Main thread only.
class SelectionCapture : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(CaptureResult)>;
    using Completion = std::function<void(std::optional<QString>)>;

    struct Services {
        SelectionReader& reader;
        Clipboard& clipboard;
        KeystrokeSender& keystrokes;
        AccessibilityPermission& permission;
    };

    explicit SelectionCapture(Services services, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SelectionCapture)

    // Reads the selection and calls `handler` exactly once, on the main
    // thread (never once this capture is gone). Text highlighted in the
    // program the user is in (or in this program's own windows) comes back
    // unchanged, before this returns. Otherwise the focused application is
    // sent the copy keystroke and, 0.15 s after it, the copied text (trimmed;
    // possibly empty) or nothing is passed on, a later turn of the event
    // loop; the clipboard then holds again what it held before. Where no
    // copy keystroke can be sent (see KeystrokeSender::sendsCopy()), nothing
    // is passed on, a later turn of the event loop. A capture
    // started while another is still copying is ignored (its result says
    // so): it would take the first one's restore for a copy.
    void capture(Handler handler);

    // The same with the text alone. An ignored capture never calls
    // `completion`: the running one answers for the press.
    void captureSelection(Completion completion);

    // alreadyTrusted when this session lets the program read selections and
    // send keystrokes; otherwise opens, in the browser, a page that explains
    // what the program needs.
    AccessibilityRequestResult requestAccessibility();

private:
    using SharedHandler = std::shared_ptr<Handler>;

    struct Copy;

    std::optional<QString> selectedText();
    void copySelection(const SharedHandler& handler);
    void sendCopy(const std::shared_ptr<Copy>& copy);
    void checkCopy(const std::shared_ptr<Copy>& copy);
    void restoreAndFinish(const std::shared_ptr<Copy>& copy);
    void finish(const std::shared_ptr<Copy>& copy, CaptureResult result);
    void finish(const SharedHandler& handler, CaptureResult result);

    Services m_services;
    // A copy is under way: its keystroke, check and restore.
    bool m_copying = false;
};
