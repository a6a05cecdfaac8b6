// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

struct DesktopShortcutGuide;

// Where a desktop's own keyboard settings take the shortcuts, and the
// commands to paste there, each with a button that copies it.
class ShortcutGuideView : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutGuideView(const DesktopShortcutGuide& guide, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ShortcutGuideView)
};
