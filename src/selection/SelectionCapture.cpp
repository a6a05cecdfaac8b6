// SPDX-License-Identifier: MIT
#include "SelectionCapture.h"

#include "AccessibilityPermission.h"
#include "Clipboard.h"
#include "KeystrokeSender.h"
#include "PermissionHelpPage.h"
#include "SelectionReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <memory>

namespace {

using Source = CaptureResult::Source;

// From the copy keystroke to the one look at the clipboard.
constexpr std::chrono::milliseconds copyCheckDelay { 150 };

bool anyWindowShown()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(
        windows.begin(), windows.end(), [](const QWindow* window) { return window->isVisible(); });
}

} // namespace

SelectionCapture::SelectionCapture(Services services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
}

void SelectionCapture::finish(const SharedHandler& handler, CaptureResult result)
{
    m_copying = false;
    (*handler)(std::move(result));
}

// The highlighted text of the program the user is in: what stands in for
// the focused element's selected text.
std::optional<QString> SelectionCapture::selectedText()
{
    SelectionReader& reader = m_services.reader;
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

void SelectionCapture::checkCopy(
    const SharedHandler& handler, const ClipboardContents& saved, uint64_t countBefore)
{
    Clipboard& clipboard = m_services.clipboard;
    if (clipboard.changeCount() == countBefore) {
        // Nothing was copied: the clipboard is still the original, with every
        // format its owner offers, which is better than any copy of it.
        finish(handler, { Source::nothing, std::nullopt });
        return;
    }
    QPointer<SelectionCapture> self(this);
    clipboard.readText([self, handler, saved](std::optional<QString> copied) {
        if (!self)
            return;
        self->m_services.clipboard.setContents(saved);
        if (!copied) {
            self->finish(handler, { Source::nothing, std::nullopt });
            return;
        }
        self->finish(handler, { Source::copy, copied->trimmed() });
    });
}

void SelectionCapture::copySelection(const SharedHandler& handler)
{
    m_copying = true;
    QPointer<SelectionCapture> self(this);
    m_services.clipboard.snapshot([self, handler](std::optional<ClipboardContents> saved) {
        if (!self)
            return;
        if (!saved) {
            // The clipboard's owner does not answer, so its contents could
            // not be saved: copying over them would lose them.
            self->finish(handler, { Source::nothing, std::nullopt });
            return;
        }
        const uint64_t countBefore = self->m_services.clipboard.changeCount();
        self->m_services.keystrokes.sendCopy([self, handler, saved = *saved, countBefore](bool sent) {
            if (!self)
                return;
            if (!sent) {
                self->finish(handler, { Source::nothing, std::nullopt });
                return;
            }
            QTimer::singleShot(copyCheckDelay, self,
                [self, handler, saved, countBefore] { self->checkCopy(handler, saved, countBefore); });
        });
    });
}

void SelectionCapture::capture(Handler handler)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_copying) {
        handler({ Source::ignored, std::nullopt });
        return;
    }
    std::optional<QString> text = selectedText();
    if (text && !text->isEmpty()) {
        handler({ Source::primary, std::move(text) });
        return;
    }
    copySelection(std::make_shared<Handler>(std::move(handler)));
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
    if (m_services.permission.isTrusted())
        return AccessibilityRequestResult::alreadyTrusted;
    return PermissionHelpPage::open() ? AccessibilityRequestResult::openedSettings
                                      : AccessibilityRequestResult::couldNotOpenSettings;
}
