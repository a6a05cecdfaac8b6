// SPDX-License-Identifier: MIT
#include "TutorialRow.h"

#include "AnimatedValue.h"
#include "Appearance.h"
#include "DimmedEffect.h"
#include "DoneMark.h"
#include "Kbd.h"
#include "OnboardingStyle.h"
#include "UnlockOverlay.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A widget with `top` pixels of space above it.
QLayout* insetTop(QWidget* widget, int top)
{
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, top, 0, 0);
    column->setSpacing(0);
    column->addWidget(widget);
    column->addStretch();
    return column;
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
        float(a.greenF() + (b.greenF() - a.greenF()) * t), float(a.blueF() + (b.blueF() - a.blueF()) * t),
        float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

} // namespace

TutorialRow::TutorialRow(
    const QString& title, const QString& kbd, const QString& instruction, QWidget* sample, QWidget* parent)
    : QWidget(parent)
    , m_content(new QWidget(this))
    , m_mark(new DoneMark(m_content))
    , m_overlay(new UnlockOverlay(this))
    , m_overlayOpacity(new QGraphicsOpacityEffect(m_overlay))
    , m_overlayFade(AnimatedValue::easeOut(0.15, this))
    , m_doneSpring(AnimatedValue::spring(0.4, 0.7, this))
{
    auto* row = new QHBoxLayout(m_content);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    row->addLayout(insetTop(new Kbd(kbd, true, m_content), 2));

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    auto* titleLabel = new QLabel(title, m_content);
    titleLabel->setObjectName(QStringLiteral("rowTitle"));
    titleLabel->setFont(Appearance::font(Appearance::TextStyle::callout, QFont::DemiBold));
    column->addWidget(titleLabel);
    auto* instructionLabel = new QLabel(instruction, m_content);
    instructionLabel->setObjectName(QStringLiteral("rowInstruction"));
    instructionLabel->setFont(Appearance::font(Appearance::TextStyle::caption));
    instructionLabel->setWordWrap(true);
    QPalette secondary = instructionLabel->palette();
    secondary.setColor(
        QPalette::WindowText, Appearance::foreground(Appearance::Emphasis::secondary, palette()));
    instructionLabel->setPalette(secondary);
    column->addWidget(instructionLabel);
    if (sample) {
        sample->setParent(m_content);
        column->addLayout(insetTop(sample, 2));
    }
    column->addStretch();
    row->addLayout(column, 1);
    row->addWidget(m_mark, 0, Qt::AlignTop);

    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_content);

    m_overlay->setGraphicsEffect(m_overlayOpacity);
    m_overlayOpacity->setOpacity(0);
    m_overlay->hide();
    m_overlay->onAddKey = [this] { setEditingKey(true); };
    m_overlay->onSave = [this] { saveKey(); };

    connect(m_overlayFade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_overlayOpacity->setOpacity(value.toReal());
        if (value.toReal() <= 0 && m_overlayFade->target() <= 0)
            m_overlay->hide();
    });
    connect(m_doneSpring, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_mark->setProgress(value.toReal());
        update();
    });
}

void TutorialRow::setDone(bool done)
{
    if (done == m_done)
        return;
    m_done = done;
    m_doneSpring->animateTo(done ? 1 : 0);
}

void TutorialRow::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    m_locked = locked;
    // Only the content is dimmed: the overlay over it stays crisp.
    m_content->setGraphicsEffect(locked ? new DimmedEffect(0.45) : nullptr);
    if (!locked) {
        m_editingKey = false;
        m_hasKeyMessage = false;
        m_overlay->setEditing(false);
        m_overlay->setMessage(QString());
    }
    updateOverlay();
}

void TutorialRow::setKeyMessage(const QString& message)
{
    m_hasKeyMessage = !message.isEmpty();
    m_overlay->setMessage(message);
    updateOverlay();
}

void TutorialRow::saveKey()
{
    const QString key = m_overlay->keyInput().trimmed();
    if (key.isEmpty())
        return;
    if (onUnlock)
        onUnlock(key);
    setEditingKey(false);
    m_overlay->clearKeyInput();
}

void TutorialRow::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    updateOverlay();
}

void TutorialRow::setEditingKey(bool editing)
{
    m_editingKey = editing;
    m_overlay->setEditing(editing);
    updateOverlay();
}

void TutorialRow::updateOverlay()
{
    const bool shown = m_locked && (m_hovering || m_editingKey || m_hasKeyMessage);
    if (shown) {
        m_overlay->setGeometry(rect());
        m_overlay->show();
        m_overlay->raise();
    }
    m_overlayFade->animateTo(shown ? 1 : 0);
}

void TutorialRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colors = palette();
    const QColor open = OnboardingStyle::withAlpha(
        Appearance::separator(colors), Appearance::separator(colors).alphaF() * 0.6);
    const QColor done = OnboardingStyle::withAlpha(OnboardingStyle::green(colors), 0.5);
    OnboardingStyle::drawRoundedBox(painter, QRectF(rect()), 14, OnboardingStyle::quinary(colors),
        mix(open, done, m_doneSpring->value()), 1);
}

void TutorialRow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_overlay->setGeometry(rect());
}

void TutorialRow::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    setHovering(true);
}

void TutorialRow::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHovering(false);
}
