// SPDX-License-Identifier: MIT
#include "QuickInputField.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
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

namespace {

// Lays out the field's text at `width` the way the field does and reports
// each line's height until `visit` returns false.
template <typename Visit>
void forEachLine(const QTextDocument& document, const QFont& font, int width, Visit visit)
{
    QTextOption option;
    option.setWrapMode(kWrapMode);
    const qreal lineWidth = std::max(1, width);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextLayout layout(block.text(), font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            if (!visit(line.height() + std::max<qreal>(0, line.leading())))
                return;
        }
        layout.endLayout();
    }
}

} // namespace

int QuickInputField::lineCount(int width) const
{
    int lines = 0;
    forEachLine(*document(), font(), width, [&](qreal) {
        ++lines;
        return true;
    });
    return std::max(1, lines);
}

qreal QuickInputField::linesHeight(int width, int lines) const
{
    qreal height = 0;
    int counted = 0;
    forEachLine(*document(), font(), width, [&](qreal lineHeight) {
        height += lineHeight;
        return ++counted < lines;
    });
    return counted ? height : QFontMetricsF(font()).height();
}

int QuickInputField::heightForWidth(int width) const
{
    // One pixel to spare, so rounding never hides the bottom of the last line.
    return int(std::ceil(linesHeight(width, maximumVisibleLines))) + 2 * frameWidth() + 1;
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
