// SPDX-License-Identifier: MIT
#include "SelectionCapture.h"

#include "AccessibilityPermission.h"
#include "Clipboard.h"
#include "KeystrokeSender.h"
#include "PermissionHelpPage.h"
#include "SelectionReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <memory>

namespace {

using Source = CaptureResult::Source;

// From the copy keystroke to the one look at the clipboard.
constexpr std::chrono::milliseconds copyCheckDelay { 150 };

// A copy is under way: its keystroke, check and restore.
bool g_copying = false;

using SharedHandler = std::shared_ptr<SelectionCapture::Handler>;

void finish(const SharedHandler& handler, CaptureResult result)
{
    g_copying = false;
    (*handler)(std::move(result));
}

bool anyWindowShown()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(
        windows.begin(), windows.end(), [](const QWindow* window) { return window->isVisible(); });
}

// The highlighted text of the program the user is in: what stands in for
// the focused element's selected text.
std::optional<QString> selectedText()
{
    SelectionReader& reader = SelectionReader::shared();
    switch (reader.holder(SelectionReader::Selection::primary)) {
    case SelectionReader::Holder::thisProcess:
        // Our own popup's texts and fields: Qt has the text at hand, and a
        // read through the server would wait on this very thread. Once no
        // window of ours is open the highlight is stale.
        if (!anyWindowShown())
            return std::nullopt;
        return QGuiApplication::clipboard()->text(QClipboard::Selection);
    case SelectionReader::Holder::activeProgram:
        return reader.readTextNow(SelectionReader::Selection::primary);
    case SelectionReader::Holder::otherProgram:
    case SelectionReader::Holder::nobody:
        break;
    }
    return std::nullopt;
}

void checkCopy(const SharedHandler& handler, const ClipboardContents& saved, uint64_t countBefore)
{
    Clipboard& clipboard = Clipboard::shared();
    if (clipboard.changeCount() == countBefore) {
        // Nothing was copied: the clipboard is still the original, with every
        // format its owner offers, which is better than any copy of it.
        finish(handler, { Source::nothing, std::nullopt });
        return;
    }
    clipboard.readText([handler, saved](std::optional<QString> copied) {
        Clipboard::shared().setContents(saved);
        if (!copied) {
            finish(handler, { Source::nothing, std::nullopt });
            return;
        }
        finish(handler, { Source::copy, copied->trimmed() });
    });
}

void pasteboardSelection(const SharedHandler& handler)
{
    g_copying = true;
    Clipboard::shared().snapshot([handler](std::optional<ClipboardContents> saved) {
        if (!saved) {
            // The clipboard's owner does not answer, so its contents could
            // not be saved: copying over them would lose them.
            finish(handler, { Source::nothing, std::nullopt });
            return;
        }
        const uint64_t countBefore = Clipboard::shared().changeCount();
        KeystrokeSender::shared().sendCopy([handler, saved = *saved, countBefore](bool sent) {
            if (!sent) {
                finish(handler, { Source::nothing, std::nullopt });
                return;
            }
            QTimer::singleShot(
                copyCheckDelay, [handler, saved, countBefore] { checkCopy(handler, saved, countBefore); });
        });
    });
}

} // namespace

void SelectionCapture::capture(Handler handler)
{
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    if (g_copying) {
        handler({ Source::ignored, std::nullopt });
        return;
    }
    std::optional<QString> text = selectedText();
    if (text && !text->isEmpty()) {
        handler({ Source::primary, std::move(text) });
        return;
    }
    pasteboardSelection(std::make_shared<Handler>(std::move(handler)));
}

void SelectionCapture::captureSelection(Completion completion)
{
    capture([completion = std::move(completion)](CaptureResult result) {
        if (result.source != Source::ignored)
            completion(std::move(result.text));
    });
}

AccessibilityRequestResult SelectionCapture::requestAccessibility()
{
    if (AccessibilityPermission::createForSession()->isTrusted())
        return AccessibilityRequestResult::alreadyTrusted;
    return PermissionHelpPage::open() ? AccessibilityRequestResult::openedSettings
                                      : AccessibilityRequestResult::couldNotOpenSettings;
}
