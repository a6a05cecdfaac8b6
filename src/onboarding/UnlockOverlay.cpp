// SPDX-License-Identifier: MIT
#include "UnlockOverlay.h"

#include "Appearance.h"
#include "OnboardingStyle.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

// Where Google issues Gemini API keys.
const char* const kKeyPage = "https://aistudio.google.com/app/apikey";

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Appearance::font(Appearance::TextStyle::caption, QFont::DemiBold));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

QVBoxLayout* centredColumn(QWidget* page)
{
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);
    column->addStretch();
    return column;
}

} // namespace

UnlockOverlay::UnlockOverlay(QWidget* parent)
    : QWidget(parent)
    , m_pages(new QStackedLayout(this))
    , m_message(new QLabel(this))
    , m_keyField(new QLineEdit(this))
    , m_save(new QPushButton(QStringLiteral("Save"), this))
{
    auto* invitation = new QWidget(this);
    auto* column = centredColumn(invitation);
    auto* key = new QLabel(invitation);
    const int keySize = Appearance::symbolPixels(18);
    key->setPixmap(Symbols::pixmap(
        QStringLiteral("key.fill"), keySize, Appearance::accent(palette()), devicePixelRatioF()));
    column->addWidget(key, 0, Qt::AlignHCenter);
    column->addWidget(captionLabel(QStringLiteral("Refining needs a Gemini API key"), invitation));
    auto* add = new QPushButton(QStringLiteral("Add key"), invitation);
    add->setObjectName(QStringLiteral("addKeyButton"));
    OnboardingStyle::styleButton(
        add, OnboardingStyle::ButtonStyle::prominent, OnboardingStyle::ControlSize::small);
    connect(add, &QPushButton::clicked, this, [this] {
        if (onAddKey)
            onAddKey();
    });
    column->addWidget(add, 0, Qt::AlignHCenter);
    m_message->setObjectName(QStringLiteral("keyMessage"));
    m_message->setFont(Appearance::font(Appearance::TextStyle::caption));
    m_message->setStyleSheet(QStringLiteral("color: %1;").arg(Appearance::red(palette()).name()));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->hide();
    m_message->setParent(invitation);
    column->addWidget(m_message);
    column->addStretch();
    m_pages->addWidget(invitation);

    auto* entry = new QWidget(this);
    column = centredColumn(entry);
    column->addWidget(captionLabel(QStringLiteral("Paste your Gemini API key"), entry));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch();
    m_keyField->setParent(entry);
    m_keyField->setObjectName(QStringLiteral("keyField"));
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setPlaceholderText(QStringLiteral("AIza…"));
    m_keyField->setFont(Appearance::monospacedFont(Appearance::TextStyle::caption));
    m_keyField->setFixedWidth(240);
    connect(m_keyField, &QLineEdit::returnPressed, this, [this] {
        if (onSave)
            onSave();
    });
    connect(m_keyField, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_save->setEnabled(!text.trimmed().isEmpty()); });
    row->addWidget(m_keyField);
    m_save->setParent(entry);
    m_save->setObjectName(QStringLiteral("saveKeyButton"));
    m_save->setEnabled(false);
    OnboardingStyle::styleButton(
        m_save, OnboardingStyle::ButtonStyle::prominent, OnboardingStyle::ControlSize::small);
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (onSave)
            onSave();
    });
    row->addWidget(m_save);
    row->addStretch();
    column->addLayout(row);
    auto* link = new QLabel(
        QStringLiteral("<a href=\"%1\" style=\"color: %2; text-decoration: none;\">Get a free key</a>")
            .arg(QLatin1String(kKeyPage), Appearance::accent(palette()).name()),
        entry);
    link->setObjectName(QStringLiteral("freeKeyLink"));
    link->setFont(Appearance::font(Appearance::TextStyle::caption2));
    link->setOpenExternalLinks(true);
    link->setCursor(Qt::PointingHandCursor);
    column->addWidget(link, 0, Qt::AlignHCenter);
    column->addStretch();
    m_pages->addWidget(entry);
}

void UnlockOverlay::setEditing(bool editing)
{
    m_pages->setCurrentIndex(editing ? 1 : 0);
    if (editing)
        m_keyField->setFocus();
}

QString UnlockOverlay::keyInput() const
{
    return m_keyField->text();
}

void UnlockOverlay::clearKeyInput()
{
    m_keyField->clear();
}

void UnlockOverlay::setMessage(const QString& message)
{
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

void UnlockOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colors = palette();
    OnboardingStyle::drawRoundedBox(painter, QRectF(rect()), 14, Appearance::material(colors, false),
        OnboardingStyle::withAlpha(Appearance::accent(colors), 0.5), 1);
}
