// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedLayout;

// What a locked tutorial row shows over itself: first an invitation to add
// the missing Gemini API key, then a masked field to paste it into.
class UnlockOverlay : public QWidget {
    Q_OBJECT
public:
    explicit UnlockOverlay(QWidget* parent = nullptr);

    std::function<void()> onAddKey;
    std::function<void()> onSave;

    void setEditing(bool editing);
    QString keyInput() const;
    void clearKeyInput();
    // Shown under the invitation; empty hides it.
    void setMessage(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStackedLayout* m_pages;
    QLabel* m_message;
    QLineEdit* m_keyField;
    QPushButton* m_save;
};
