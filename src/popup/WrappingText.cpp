// SPDX-License-Identifier: MIT
#include "WrappingText.h"

#include <QEvent>
#include <QTextOption>
#include <cmath>

namespace {

constexpr auto kWrapMode = QTextOption::WrapAtWordBoundaryOrAnywhere;

} // namespace

WrappingText::WrappingText(QWidget* parent)
    : QTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(kWrapMode);
    setContextMenuPolicy(Qt::NoContextMenu);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);

    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    QTextOption option = m_measure.defaultTextOption();
    option.setWrapMode(kWrapMode);
    m_measure.setDefaultTextOption(option);
    m_measure.setDocumentMargin(0);
    setSelectable(false);
    syncMeasure();
}

void WrappingText::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setPlainText(text);
    syncMeasure();
    updateGeometry();
}

void WrappingText::setSelectable(bool selectable)
{
    setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
    // A selectable text takes the focus when clicked, so that the copy
    // shortcut reaches it; a plain one never takes it.
    setFocusPolicy(selectable ? Qt::ClickFocus : Qt::NoFocus);
    viewport()->setCursor(selectable ? Qt::IBeamCursor : Qt::ArrowCursor);
}

void WrappingText::setTextColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

int WrappingText::heightForWidth(int width) const
{
    width = std::max(1, width);
    // A layout pass asks the same few widths over and over, in turns; every
    // width not yet asked is a layout of the whole text.
    if (const auto known = m_heights.constFind(width); known != m_heights.cend())
        return *known;
    measureAt(width);
    const int height = int(std::ceil(m_measure.size().height()));
    m_heights.insert(width, height);
    return height;
}

QSize WrappingText::sizeHint() const
{
    // The unwrapped width: a short text asks for no more than it needs, a
    // long one is given the line's width by its layout and wraps.
    if (!m_idealWidth) {
        measureAt(-1);
        m_idealWidth = int(std::ceil(m_measure.idealWidth())) + 1;
    }
    return { *m_idealWidth, heightForWidth(*m_idealWidth) };
}

void WrappingText::measureAt(qreal width) const
{
    if (m_measuredWidth == width)
        return;
    m_measure.setTextWidth(width);
    m_measuredWidth = width;
}

QSize WrappingText::minimumSizeHint() const
{
    // The height is the one at the unwrapped width, the least the text ever
    // needs; the height at any narrower width comes from heightForWidth().
    // Measuring at the narrow width would lay the whole text out once more,
    // one short line per word, for a figure no layout of ours uses.
    const QSize ideal = sizeHint();
    return { std::min(ideal.width(), fontMetrics().averageCharWidth() * 4), ideal.height() };
}

void WrappingText::resizeEvent(QResizeEvent* event)
{
    // Shown again, a widget is told its size as if it were new, and QTextEdit
    // would lay the whole text out again for the width it already has.
    if (document()->pageSize().width() == viewport()->width()) {
        QAbstractScrollArea::resizeEvent(event);
        return;
    }
    QTextEdit::resizeEvent(event);
}

void WrappingText::changeEvent(QEvent* event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        syncMeasure();
        updateGeometry();
    }
}

void WrappingText::syncMeasure()
{
    m_measure.setDefaultFont(font());
    m_measure.setPlainText(m_text);
    m_measuredWidth.reset();
    m_idealWidth.reset();
    m_heights.clear();
}
