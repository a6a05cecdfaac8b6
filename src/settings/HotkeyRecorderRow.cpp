// SPDX-License-Identifier: MIT
#include "HotkeyRecorderRow.h"

#include "Appearance.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

HotkeyRecorderRow::HotkeyRecorderRow(const QString& title, QWidget* parent)
    : QWidget(parent)
    , m_button(new QPushButton(this))
    , m_caption(new QLabel(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(title, this));
    m_button->setFont(Appearance::monospacedFont(Appearance::TextStyle::callout));
    m_button->setMinimumWidth(48);
    m_button->setToolTip(
        QStringLiteral("Click, then press the combination you want. Must include Ctrl, Alt or Super."));
    // The keyboard belongs to the recording, not to the button.
    m_button->setAutoDefault(false);
    row->addWidget(m_button);
    row->addStretch();
    column->addLayout(row);

    m_caption->setFont(Appearance::font(Appearance::TextStyle::caption));
    QPalette palette = m_caption->palette();
    palette.setColor(QPalette::WindowText, Appearance::red(palette));
    m_caption->setPalette(palette);
    m_caption->hide();
    column->addWidget(m_caption);
}

void HotkeyRecorderRow::setButtonText(const QString& text)
{
    m_button->setText(text);
}

void HotkeyRecorderRow::setCaption(const QString& caption)
{
    m_caption->setText(caption);
    m_caption->setVisible(!caption.isEmpty());
}

QString HotkeyRecorderRow::caption() const
{
    return m_caption->text();
}
