// SPDX-License-Identifier: MIT
#include "QuickInputField.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <cmath>

namespace {

constexpr auto kWrapMode = QTextOption::WrapAtWordBoundaryOrAnywhere;

} // namespace

QuickInputField::QuickInputField(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setPlaceholderText(QStringLiteral("Type to translate…"));
    setFrameShape(QFrame::NoFrame);
    setBackgroundVisible(false);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(kWrapMode);
    // Tab belongs to the popup (it switches the result language).
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);

    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    connect(this, &QPlainTextEdit::textChanged, this, &QWidget::updateGeometry);
}

int QuickInputField::lineCount(int width) const
{
    QTextOption option;
    option.setWrapMode(kWrapMode);
    const qreal lineWidth = std::max(1, width);
    int lines = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        QTextLayout layout(block.text(), font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            ++lines;
        }
        layout.endLayout();
    }
    return std::max(1, lines);
}

int QuickInputField::heightForWidth(int width) const
{
    const int lines = std::min(lineCount(width), maximumVisibleLines);
    const qreal lineHeight = QFontMetricsF(font()).height();
    return int(std::ceil(lines * lineHeight)) + 2 * frameWidth() + 1;
}

QSize QuickInputField::sizeHint() const
{
    const int width = std::max(this->width(), 100);
    return { width, heightForWidth(width) };
}

QSize QuickInputField::minimumSizeHint() const
{
    return { 40, heightForWidth(width()) };
}

void QuickInputField::keyPressEvent(QKeyEvent* event)
{
    // Return submits nothing and inserts nothing, as in a one-line field;
    // Shift+Return or Alt+Return start a new line.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))
            insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void QuickInputField::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateGeometry();
}
