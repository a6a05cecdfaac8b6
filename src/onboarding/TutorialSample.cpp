// SPDX-License-Identifier: MIT
#include "TutorialSample.h"

#include "Appearance.h"
#include "Clipboard.h"
#include "OnboardingStyle.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <memory>

TutorialSample::TutorialSample(const QString& text, bool constant, Clipboard& clipboard, QWidget* parent)
    : QWidget(parent)
    , m_clipboard(clipboard)
    , m_editor(new QPlainTextEdit(this))
    , m_constantText(text)
    , m_constant(constant)
{
    m_editor->setObjectName(QStringLiteral("sampleEditor"));
    m_editor->setFont(Appearance::font(Appearance::TextStyle::callout));
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setTabChangesFocus(true);
    // Its Paste would read the clipboard through Qt (see paste()).
    m_editor->setContextMenuPolicy(Qt::NoContextMenu);
    m_editor->viewport()->setAutoFillBackground(false);
    m_editor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    m_editor->document()->setDocumentMargin(6);
    m_editor->installEventFilter(this);
    m_editor->setPlainText(text);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_editor);
    setFixedHeight(34);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText && !m_constant)
            emit textEdited(m_editor->toPlainText());
    });
}

QString TutorialSample::text() const
{
    return m_editor->toPlainText();
}

void TutorialSample::setText(const QString& text)
{
    if (m_constant)
        m_constantText = text;
    if (m_editor->toPlainText() == text)
        return;
    m_settingText = true;
    m_editor->setPlainText(text);
    m_settingText = false;
}

bool TutorialSample::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            // One line: Return belongs to the window (its default button).
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
                paste();
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                const std::unique_ptr<QEvent> copy(event->clone());
                QCoreApplication::sendEvent(this, copy.get());
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && m_constant) {
            setText(m_constantText);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TutorialSample::paste()
{
    // Not through QClipboard: its read blocks this thread until the owner
    // answers, and after a rewrite the owner is this program's own clipboard
    // connection, which answers on this very thread. The wait ran into Qt's
    // time-out and then crashed inside the paste.
    QPointer<QPlainTextEdit> editor(m_editor);
    m_clipboard.readText([editor](std::optional<QString> text) {
        if (editor && text)
            editor->insertPlainText(*text);
    });
}

void TutorialSample::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colors = palette();
    OnboardingStyle::drawRoundedBox(painter, QRectF(rect()), 8,
        OnboardingStyle::withAlpha(colors.color(QPalette::Base), 0.6), Appearance::separator(colors), 0.5);
}
