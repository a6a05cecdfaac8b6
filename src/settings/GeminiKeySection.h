// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class GeminiKeyStore;
class QLabel;
class QLineEdit;
class QPushButton;

// The Gemini key in the settings window: the masked stored key with "Remove",
// or a field to enter one with "Save". A key the store refuses stays in the
// field, with a line saying it was not stored.
class GeminiKeySection : public QWidget {
    Q_OBJECT
public:
    static inline const QString keyPage = QStringLiteral("https://aistudio.google.com/apikey");

    explicit GeminiKeySection(GeminiKeyStore& store, QWidget* parent = nullptr);

    // Puts the keyboard focus in the key field, when it is shown.
    void focusKeyField();

private:
    void saveGeminiKey();
    void removeKey();
    void showStoredState();

    GeminiKeyStore& m_store;
    bool m_hasGeminiKey;
    QWidget* m_storedRow;
    QLabel* m_maskedKey;
    QWidget* m_inputRow;
    QLineEdit* m_input;
    QPushButton* m_save;
    QLabel* m_failure;
};
