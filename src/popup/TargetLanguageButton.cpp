// SPDX-License-Identifier: MIT
#include "TargetLanguageButton.h"

#include "Appearance.h"
#include "PaneLabel.h"
#include "PointingHandCursor.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kSymbolSize = 8;

// The Tab key drawn as a tiny key cap: the arrow-to-line symbol on a rounded
// faint fill.
class KeyCap : public QWidget {
public:
    explicit KeyCap(QWidget* parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    QSize sizeHint() const override
    {
        const int pixels = Appearance::symbolPixels(kSymbolSize);
        return { pixels + 2 * 3, pixels + 2 * 2 };
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath cap;
        cap.addRoundedRect(QRectF(rect()), 3, 3);
        painter.fillPath(cap, Appearance::foreground(Appearance::Emphasis::quaternary, palette()));
        const int pixels = Appearance::symbolPixels(kSymbolSize);
        const QColor color = Appearance::foreground(Appearance::Emphasis::tertiary, palette());
        painter.drawPixmap(QPointF((width() - pixels) / 2.0, (height() - pixels) / 2.0),
            Symbols::pixmap(QStringLiteral("arrow.right.to.line"), pixels, color, devicePixelRatioF()));
    }
};

} // namespace

TargetLanguageButton::TargetLanguageButton(QWidget* parent)
    : QAbstractButton(parent)
    , m_label(new PaneLabel({}, this))
{
    setToolTip(QStringLiteral("Switch the result language (Tab)"));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_label->setObjectName(QStringLiteral("targetLanguageLabel"));
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* keyCap = new KeyCap(this);
    keyCap->setObjectName(QStringLiteral("targetKeyCap"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_label, 0, Qt::AlignVCenter);
    layout->addWidget(keyCap, 0, Qt::AlignVCenter);

    PointingHandCursor::attach(this);
}

void TargetLanguageButton::setLanguageName(const QString& name)
{
    m_label->setCaption(name);
    setText(m_label->text());
    updateGeometry();
}

QSize TargetLanguageButton::sizeHint() const
{
    return layout()->sizeHint();
}

void TargetLanguageButton::paintEvent(QPaintEvent*)
{
    // No bezel: the caption and the key cap are the whole button.
}
