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
#include <functional>
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

// One copy: the clipboard saved before it (once the snapshot is complete)
// and where the keystroke and the check stand.
struct SelectionCapture::Copy {
    SharedHandler handler;
    bool sent = false; // the copy keystroke went out
    bool finished = false;
    bool snapshotDone = false;
    bool waitedForOwner = false;
    std::optional<ClipboardContents> saved;
    uint64_t countBefore = 0;
    // Runs once when the snapshot completes after the keystroke went out.
    std::function<void()> whenSaved;
};

void SelectionCapture::finish(const std::shared_ptr<Copy>& copy, CaptureResult result)
{
    copy->finished = true;
    finish(copy->handler, std::move(result));
}

void SelectionCapture::restoreAndFinish(const std::shared_ptr<Copy>& copy)
{
    QPointer<SelectionCapture> self(this);
    m_services.clipboard.readText([self, copy](std::optional<QString> copied) {
        if (!self)
            return;
        if (copy->saved) {
            self->m_services.clipboard.setContents(*copy->saved);
        } else {
            // The owner never delivered its picture after the copy took its
            // place: nothing is left to put back.
            qWarning("SelectionCapture: the clipboard's picture did not arrive; the copy stays");
        }
        if (!copied) {
            self->finish(copy, { Source::nothing, std::nullopt });
            return;
        }
        self->finish(copy, { Source::copy, copied->trimmed() });
    });
}

void SelectionCapture::checkCopy(const std::shared_ptr<Copy>& copy)
{
    QPointer<SelectionCapture> self(this);
    if (m_services.clipboard.changeCount() != copy->countBefore) {
        if (copy->snapshotDone)
            restoreAndFinish(copy);
        else
            copy->whenSaved = [self, copy] {
                if (self)
                    self->restoreAndFinish(copy);
            };
        return;
    }
    if (!copy->snapshotDone && !copy->waitedForOwner
        && m_services.reader.holder(SelectionReader::Selection::clipboard)
            == SelectionReader::Holder::activeProgram) {
        // The program the user is in is still encoding its picture for us,
        // and its copy keystroke waits behind that: look again once it has
        // answered.
        copy->waitedForOwner = true;
        copy->whenSaved = [self, copy] {
            QTimer::singleShot(copyCheckDelay, self, [self, copy] { self->checkCopy(copy); });
        };
        return;
    }
    // Nothing was copied: the clipboard is still the original, with every
    // format its owner offers, which is better than any copy of it. A
    // snapshot still under way is no longer needed.
    finish(copy, { Source::nothing, std::nullopt });
}

void SelectionCapture::sendCopy(const std::shared_ptr<Copy>& copy)
{
    copy->sent = true;
    copy->countBefore = m_services.clipboard.changeCount();
    QPointer<SelectionCapture> self(this);
    m_services.keystrokes.sendCopy([self, copy](bool sent) {
        if (!self)
            return;
        if (!sent) {
            self->finish(copy, { Source::nothing, std::nullopt });
            return;
        }
        QTimer::singleShot(copyCheckDelay, self, [self, copy] { self->checkCopy(copy); });
    });
}

void SelectionCapture::copySelection(const SharedHandler& handler)
{
    m_copying = true;
    auto copy = std::make_shared<Copy>();
    copy->handler = handler;
    QPointer<SelectionCapture> self(this);
    m_services.clipboard.snapshot(
        [self, copy](std::optional<ClipboardContents> saved) {
            copy->snapshotDone = true;
            copy->saved = std::move(saved);
            if (!self || copy->finished)
                return;
            if (!copy->sent) {
                if (!copy->saved) {
                    // The clipboard's owner does not answer, so its contents
                    // could not be saved: copying over them would lose them.
                    self->finish(copy, { Source::nothing, std::nullopt });
                    return;
                }
                self->sendCopy(copy);
                return;
            }
            if (std::function<void()> next = std::exchange(copy->whenSaved, {}))
                next();
        },
        [self, copy] {
            // Only the picture is still to come: the copy need not wait for
            // its owner to encode it.
            if (self && !copy->sent && !copy->finished)
                self->sendCopy(copy);
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
    if (!m_services.keystrokes.sendsCopy()) {
        // No copy can help: the clipboard is left untouched.
        QTimer::singleShot(0, this, [handler = std::move(handler)] {
            handler({ Source::nothing, std::nullopt });
        });
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
