// SPDX-License-Identifier: MIT
#include "GeminiKeySection.h"

#include "Appearance.h"
#include "GeminiKeyStore.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Appearance::font(Appearance::TextStyle::caption));
    label->setWordWrap(true);
    return label;
}

} // namespace

GeminiKeySection::GeminiKeySection(GeminiKeyStore& store, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_hasGeminiKey(store.hasKey())
    , m_storedRow(new QWidget(this))
    , m_maskedKey(new QLabel(m_storedRow))
    , m_inputRow(new QWidget(this))
    , m_input(new QLineEdit(m_inputRow))
    , m_save(new QPushButton(QStringLiteral("Save"), m_inputRow))
    , m_failure(captionLabel(QString(), this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    auto* stored = new QHBoxLayout(m_storedRow);
    stored->setContentsMargins(0, 0, 0, 0);
    stored->setSpacing(8);
    stored->addWidget(new QLabel(QStringLiteral("Gemini API key"), m_storedRow));
    auto* seal = new QLabel(m_storedRow);
    const int size = Appearance::symbolPixels(13);
    seal->setPixmap(Symbols::pixmap(
        QStringLiteral("checkmark.seal.fill"), size, QColor(0x28, 0xa7, 0x45), devicePixelRatioF()));
    stored->addWidget(seal);
    m_maskedKey->setObjectName(QStringLiteral("maskedKey"));
    m_maskedKey->setFont(Appearance::monospacedFont(Appearance::TextStyle::callout));
    stored->addWidget(m_maskedKey);
    stored->addStretch();
    auto* remove = new QPushButton(QStringLiteral("Remove"), m_storedRow);
    remove->setObjectName(QStringLiteral("removeKey"));
    connect(remove, &QPushButton::clicked, this, &GeminiKeySection::removeKey);
    stored->addWidget(remove);
    column->addWidget(m_storedRow);

    auto* input = new QHBoxLayout(m_inputRow);
    input->setContentsMargins(0, 0, 0, 0);
    input->setSpacing(8);
    input->addWidget(new QLabel(QStringLiteral("Gemini API key"), m_inputRow));
    m_input->setObjectName(QStringLiteral("keyField"));
    m_input->setEchoMode(QLineEdit::Password);
    m_input->setPlaceholderText(QStringLiteral(u"AIza\u2026"));
    m_input->setFont(Appearance::monospacedFont(Appearance::TextStyle::callout));
    connect(m_input, &QLineEdit::returnPressed, this, &GeminiKeySection::saveGeminiKey);
    connect(m_input, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_save->setEnabled(!text.trimmed().isEmpty()); });
    input->addWidget(m_input, 1);
    m_save->setObjectName(QStringLiteral("saveKey"));
    m_save->setEnabled(false);
    connect(m_save, &QPushButton::clicked, this, &GeminiKeySection::saveGeminiKey);
    input->addWidget(m_save);
    column->addWidget(m_inputRow);

    m_failure->setObjectName(QStringLiteral("keyFailure"));
    QPalette palette = m_failure->palette();
    palette.setColor(QPalette::WindowText, Appearance::red(palette));
    m_failure->setPalette(palette);
    m_failure->hide();
    column->addWidget(m_failure);

    const QString page = QString(keyPage).remove(QStringLiteral("https://"));
    auto* caption = captionLabel(
        QStringLiteral("Your own key from <a href=\"%1\">%2</a>. Stored in the Keychain and used for every "
                       "Refine request.")
            .arg(keyPage, page),
        this);
    caption->setTextFormat(Qt::RichText);
    caption->setOpenExternalLinks(true); // QDesktopServices: the user's browser
    QPalette secondary = caption->palette();
    secondary.setColor(
        QPalette::WindowText, Appearance::foreground(Appearance::Emphasis::secondary, secondary));
    caption->setPalette(secondary);
    column->addWidget(caption);

    showStoredState();
}

void GeminiKeySection::focusKeyField()
{
    if (!m_hasGeminiKey)
        m_input->setFocus(Qt::OtherFocusReason);
}

void GeminiKeySection::saveGeminiKey()
{
    const QString key = m_input->text().trimmed();
    if (key.isEmpty())
        return;
    if (!m_store.save(key)) {
        // The typed key stays, so a second try needs no retyping.
        m_failure->setText(QStringLiteral("The key was not stored: the keyring is locked or refused it."));
        m_failure->show();
        return;
    }
    m_input->clear();
    m_failure->hide();
    m_hasGeminiKey = true;
    showStoredState();
}

void GeminiKeySection::removeKey()
{
    m_store.remove();
    m_hasGeminiKey = false;
    showStoredState();
}

void GeminiKeySection::showStoredState()
{
    if (m_hasGeminiKey)
        m_maskedKey->setText(m_store.maskedKey().value_or(QStringLiteral("saved")));
    m_storedRow->setVisible(m_hasGeminiKey);
    m_inputRow->setVisible(!m_hasGeminiKey);
}
