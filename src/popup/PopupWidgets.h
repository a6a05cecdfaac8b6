// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QColor;
class QFont;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class QWidget;
class WrappingText;

// Small builders shared by the popup's layouts.
namespace PopupWidgets {

// The point size of the body text style, which the speaker symbols follow.
constexpr double bodySize = 13;

WrappingText* makeText(const QString& name, const QFont& font, bool selectable, QWidget* parent);
// A row without margins; its layout is returned through `layout`.
QWidget* makeRow(const QString& name, int spacing, QWidget* parent, QHBoxLayout** layout);
QVBoxLayout* makeColumn(QWidget* widget, int spacing);
void setLabelColor(QLabel* label, const QColor& color);

} // namespace PopupWidgets
