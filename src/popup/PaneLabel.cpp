// SPDX-License-Identifier: MIT
#include "PaneLabel.h"

#include "Appearance.h"

#include <QEvent>

PaneLabel::PaneLabel(const QString& caption, QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    // Inside a button a label would take the button's text colour.
    setForegroundRole(QPalette::WindowText);
    QFont font = Appearance::font(Appearance::TextStyle::caption2, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    setFont(font);
    applyColor();
    setCaption(caption);
}

void PaneLabel::setCaption(const QString& caption)
{
    setText(caption.toUpper());
}

void PaneLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyColor();
}

void PaneLabel::applyColor()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Appearance::foreground(Appearance::Emphasis::secondary, QPalette()));
    setPalette(p);
}
