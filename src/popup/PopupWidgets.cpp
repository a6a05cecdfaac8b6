// SPDX-License-Identifier: MIT
#include "PopupWidgets.h"

#include "WrappingText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace PopupWidgets {

void setLabelColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

WrappingText* makeText(const QString& name, const QFont& font, bool selectable, QWidget* parent)
{
    auto* text = new WrappingText(parent);
    text->setObjectName(name);
    text->setFont(font);
    text->setSelectable(selectable);
    return text;
}

QWidget* makeRow(const QString& name, int spacing, QWidget* parent, QHBoxLayout** layout)
{
    auto* row = new QWidget(parent);
    row->setObjectName(name);
    *layout = new QHBoxLayout(row);
    (*layout)->setContentsMargins(0, 0, 0, 0);
    (*layout)->setSpacing(spacing);
    return row;
}

QVBoxLayout* makeColumn(QWidget* widget, int spacing)
{
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace PopupWidgets
