// SPDX-License-Identifier: MIT
#include "InputReporter.h"

#include "PopupModel.h"

#include <QTimer>

InputReporter::InputReporter(PopupModel* model, std::function<void(const QString&)> onInput, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_onInput(std::move(onInput))
{
}

void InputReporter::modelChanged(bool quickShown)
{
    const bool appeared = quickShown && !m_quickShown;
    m_quickShown = quickShown;
    if (!m_model)
        return;
    if (appeared)
        m_seen = m_model->sourceText();
    else if (quickShown && m_model->sourceText() != m_seen && !m_pending) {
        m_pending = true;
        QTimer::singleShot(0, this, &InputReporter::report);
    }
}

void InputReporter::report()
{
    m_pending = false;
    if (!m_model || !m_quickShown || m_model->sourceText() == m_seen)
        return;
    m_seen = m_model->sourceText();
    if (m_onInput)
        m_onInput(m_seen);
}
