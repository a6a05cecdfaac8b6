// SPDX-License-Identifier: MIT
#include "SelectionCapture.h"

#include "AccessibilityPermission.h"
#include "Clipboard.h"
#include "KeystrokeSender.h"
#include "PermissionHelpPage.h"
#include "SelectionReader.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <memory>

namespace {

// From the copy keystroke to the one look at the clipboard.
constexpr std::chrono::milliseconds copyCheckDelay { 150 };

using SharedCompletion = std::shared_ptr<SelectionCapture::Completion>;

// The highlighted text of any X client: what stands in for the focused
// element's selected text.
std::optional<QString> selectedText()
{
    return SelectionReader::shared().readTextNow(SelectionReader::Selection::primary);
}

void checkCopy(const SharedCompletion& completion, const ClipboardContents& saved, uint64_t countBefore)
{
    Clipboard& clipboard = Clipboard::shared();
    if (clipboard.changeCount() == countBefore) {
        // Nothing was copied: the clipboard is still the original, with every
        // format its owner offers, which is better than any copy of it.
        (*completion)(std::nullopt);
        return;
    }
    clipboard.readText([completion, saved](std::optional<QString> copied) {
        Clipboard::shared().setContents(saved);
        if (copied)
            copied = copied->trimmed();
        (*completion)(std::move(copied));
    });
}

void pasteboardSelection(SelectionCapture::Completion completion)
{
    auto shared = std::make_shared<SelectionCapture::Completion>(std::move(completion));
    Clipboard::shared().snapshot([shared](std::optional<ClipboardContents> saved) {
        if (!saved) {
            // The clipboard's owner does not answer, so its contents could
            // not be saved: copying over them would lose them.
            (*shared)(std::nullopt);
            return;
        }
        const uint64_t countBefore = Clipboard::shared().changeCount();
        KeystrokeSender::shared().sendCopy([shared, saved = *saved, countBefore](bool sent) {
            if (!sent) {
                (*shared)(std::nullopt);
                return;
            }
            QTimer::singleShot(
                copyCheckDelay, [shared, saved, countBefore] { checkCopy(shared, saved, countBefore); });
        });
    });
}

} // namespace

void SelectionCapture::captureSelection(Completion completion)
{
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    const std::optional<QString> text = selectedText();
    if (text && !text->isEmpty()) {
        completion(*text);
        return;
    }
    pasteboardSelection(std::move(completion));
}

AccessibilityRequestResult SelectionCapture::requestAccessibility()
{
    if (AccessibilityPermission::createForSession()->isTrusted())
        return AccessibilityRequestResult::alreadyTrusted;
    return PermissionHelpPage::open() ? AccessibilityRequestResult::openedSettings
                                      : AccessibilityRequestResult::couldNotOpenSettings;
}
