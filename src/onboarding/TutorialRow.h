// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

class AnimatedValue;
class DimmedEffect;
class DoneMark;
class QGraphicsOpacityEffect;
class UnlockOverlay;

// One task of the tutorial: the keycap of its shortcut, a title, an
// instruction, an optional sample to work on, and a mark that turns into a
// green check once the task is done. While the task is locked (it needs a
// Gemini API key) the row is dimmed, and hovering it offers a field for the
// key, which goes to onUnlock; whether that unlocks the row is the owner's
// decision.
class TutorialRow : public QWidget {
    Q_OBJECT
public:
    // `sample` may be null; the row takes it over.
    TutorialRow(const QString& title, const QString& kbd, const QString& instruction, QWidget* sample,
        QWidget* parent = nullptr);

    // Receives the entered key, trimmed and not empty.
    std::function<void(const QString&)> onUnlock;

    bool isDone() const { return m_done; }
    void setDone(bool done);
    bool isLocked() const { return m_locked; }
    void setLocked(bool locked);
    bool isHovering() const { return m_hovering; }
    bool isEditingKey() const { return m_editingKey; }
    // A message under the key invitation, kept until the row unlocks or a
    // new one replaces it. While there is one the overlay stays up.
    void setKeyMessage(const QString& message);

    // Commits the key entry: the trimmed key to onUnlock, then closes the
    // form. A blank entry does nothing.
    void saveKey();

    UnlockOverlay* overlay() const { return m_overlay; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    void setEditingKey(bool editing);
    void updateOverlay();

    QWidget* m_content;
    DoneMark* m_mark;
    UnlockOverlay* m_overlay;
    QGraphicsOpacityEffect* m_overlayOpacity;
    AnimatedValue* m_overlayFade;
    AnimatedValue* m_doneSpring;
    bool m_done = false;
    bool m_locked = false;
    bool m_hovering = false;
    bool m_editingKey = false;
    bool m_hasKeyMessage = false;
};
