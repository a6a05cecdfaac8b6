// SPDX-License-Identifier: MIT
#include "RefinedVariantRow.h"

#include "Appearance.h"
#include "MiniActionButton.h"
#include "PointingHandCursor.h"
#include "WrappingText.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr qreal kCornerRadius = 6;
constexpr int kToolbarInset = 2;

// The copy and replace buttons on a small rounded piece of the popup's
// material, edged with a thin separator line.
class VariantToolbar : public QWidget {
public:
    explicit VariantToolbar(QWidget* parent)
        : QWidget(parent)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF edge = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
        QPainterPath shape;
        shape.addRoundedRect(edge, 5, 5);
        painter.fillPath(shape, Appearance::material(palette(), false));
        QPen pen(Appearance::separator(palette()));
        pen.setWidthF(0.5);
        painter.setPen(pen);
        painter.drawPath(shape);
    }
};

} // namespace

RefinedVariantRow::RefinedVariantRow(
    const QString& variant, TextCallback onCopy, TextCallback onReplace, QWidget* parent)
    : QWidget(parent)
    , m_variant(variant)
    , m_onCopy(std::move(onCopy))
    , m_onReplace(std::move(onReplace))
    , m_text(new WrappingText(this))
    , m_toolbar(new VariantToolbar(this))
{
    setObjectName(QStringLiteral("variantRow"));
    setToolTip(QStringLiteral("Click to replace the selected text"));
    setAttribute(Qt::WA_Hover);

    m_text->setObjectName(QStringLiteral("variantText"));
    m_text->setFont(Appearance::font(Appearance::TextStyle::callout));
    m_text->setText(variant);
    // The row takes every click, the text's included.
    m_text->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(0);
    layout->addWidget(m_text);

    m_toolbar->setObjectName(QStringLiteral("variantToolbar"));
    auto* buttons = new QHBoxLayout(m_toolbar);
    buttons->setContentsMargins(1, 1, 1, 1);
    buttons->setSpacing(0);
    auto* copy = new MiniActionButton(QStringLiteral("doc.on.doc"), QStringLiteral("Copy"), [this] {
        if (m_onCopy)
            m_onCopy(m_variant);
    });
    copy->setObjectName(QStringLiteral("copyButton"));
    auto* replace = new MiniActionButton(
        QStringLiteral("arrow.2.squarepath"), QStringLiteral("Replace the selected text"), [this] {
            if (m_onReplace)
                m_onReplace(m_variant);
        });
    replace->setObjectName(QStringLiteral("replaceButton"));
    buttons->addWidget(copy);
    buttons->addWidget(replace);
    m_toolbar->hide();

    PointingHandCursor::attach(this);
}

void RefinedVariantRow::paintEvent(QPaintEvent*)
{
    if (!m_isHovering)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.fillPath(background, Appearance::foreground(Appearance::Emphasis::quaternary, palette()));
}

void RefinedVariantRow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeToolbar();
}

void RefinedVariantRow::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QWidget::enterEvent(event);
}

void RefinedVariantRow::leaveEvent(QEvent* event)
{
    setHovering(false);
    QWidget::leaveEvent(event);
}

void RefinedVariantRow::hideEvent(QHideEvent* event)
{
    setHovering(false);
    QWidget::hideEvent(event);
}

void RefinedVariantRow::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void RefinedVariantRow::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click && m_onReplace)
        m_onReplace(m_variant);
}

void RefinedVariantRow::setHovering(bool hovering)
{
    if (hovering == m_isHovering)
        return;
    m_isHovering = hovering;
    m_toolbar->setVisible(hovering);
    if (hovering) {
        placeToolbar();
        m_toolbar->raise();
    }
    update();
}

void RefinedVariantRow::placeToolbar()
{
    m_toolbar->adjustSize();
    m_toolbar->move(width() - m_toolbar->width() - kToolbarInset, kToolbarInset);
}
