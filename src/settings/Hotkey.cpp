// SPDX-License-Identifier: MIT
#include "Hotkey.h"

QString Hotkey::label() const
{
    QString text;
    if (carbonModifiers & controlMask)
        text += QStringLiteral(u"\u2303 ");
    if (carbonModifiers & optionMask)
        text += QStringLiteral(u"\u2325 ");
    if (carbonModifiers & shiftMask)
        text += QStringLiteral(u"\u21E7 ");
    if (carbonModifiers & commandMask)
        text += QStringLiteral(u"\u2318 ");
    return text + keyLabel;
}

QString Hotkey::displayLabel() const
{
    QString text;
    if (carbonModifiers & controlMask)
        text += QStringLiteral("Ctrl+");
    if (carbonModifiers & optionMask)
        text += QStringLiteral("Alt+");
    if (carbonModifiers & shiftMask)
        text += QStringLiteral("Shift+");
    if (carbonModifiers & commandMask)
        text += QStringLiteral("Super+");
    return text + keyLabel;
}
