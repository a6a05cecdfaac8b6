// SPDX-License-Identifier: MIT
#include "ShortcutGuideView.h"

#include "Appearance.h"
#include "DesktopShortcutGuide.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ShortcutGuideView::ShortcutGuideView(const DesktopShortcutGuide& guide, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("shortcutGuide"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* instructions = new QLabel(guide.instructions, this);
    instructions->setObjectName(QStringLiteral("shortcutGuideInstructions"));
    instructions->setFont(Appearance::font(Appearance::TextStyle::caption));
    instructions->setWordWrap(true);
    column->addWidget(instructions);
    for (const QString& line : guide.lines) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* text = new QLabel(line, this);
        text->setFont(Appearance::monospacedFont(Appearance::TextStyle::caption));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        row->addWidget(text, 1);
        auto* copy = new QPushButton(QStringLiteral("Copy"), this);
        copy->setObjectName(QStringLiteral("copyCommand"));
        copy->setFont(Appearance::font(Appearance::TextStyle::caption));
        copy->setFocusPolicy(Qt::NoFocus);
        connect(copy, &QPushButton::clicked, this, [line] { QGuiApplication::clipboard()->setText(line); });
        row->addWidget(copy);
        column->addLayout(row);
    }
}
