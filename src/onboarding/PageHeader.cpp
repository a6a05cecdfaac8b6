// SPDX-License-Identifier: MIT
#include "PageHeader.h"

#include "Appearance.h"
#include "Symbols.h"

#include <QLabel>
#include <QLayout>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kIconFrame = 84;
constexpr int kSubtitleWidth = 440;
} // namespace

PageHeader::PageHeader(const QString& symbol, const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 24);
    column->setSpacing(8);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("headerIcon"));
    icon->setFixedSize(kIconFrame, kIconFrame);
    icon->setAlignment(Qt::AlignCenter);
    if (symbol.isEmpty()) {
        icon->setPixmap(
            Symbols::applicationIcon().pixmap(QSize(kIconFrame, kIconFrame), devicePixelRatioF()));
    } else {
        icon->setPixmap(Symbols::pixmap(
            symbol, Appearance::symbolPixels(44), Appearance::accent(palette()), devicePixelRatioF()));
    }
    column->addWidget(icon, 0, Qt::AlignHCenter);

    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("headerTitle"));
    titleLabel->setFont(Appearance::systemFont(28, QFont::Bold));
    titleLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(titleLabel);

    auto* subtitleLabel = new QLabel(subtitle, this);
    subtitleLabel->setObjectName(QStringLiteral("headerSubtitle"));
    subtitleLabel->setFont(Appearance::font(Appearance::TextStyle::body));
    subtitleLabel->setAlignment(Qt::AlignCenter);
    subtitleLabel->setWordWrap(true);
    QPalette secondary = subtitleLabel->palette();
    secondary.setColor(
        QPalette::WindowText, Appearance::foreground(Appearance::Emphasis::secondary, palette()));
    subtitleLabel->setPalette(secondary);
    column->addWidget(subtitleLabel);
    m_subtitle = subtitleLabel;
}

void PageHeader::resizeEvent(QResizeEvent* event)
{
    // The subtitle spans the page and keeps its lines 440 wide with side
    // margins: a wrapped label that the layout aligns gets its height for
    // the wrong width and is cut off.
    const int side = std::max(0, (event->size().width() - kSubtitleWidth) / 2);
    m_subtitle->setContentsMargins(side, 0, side, 0);
    QWidget::resizeEvent(event);
}

void PageHeader::setBottomPadding(int padding)
{
    QMargins margins = layout()->contentsMargins();
    margins.setBottom(padding);
    layout()->setContentsMargins(margins);
}
