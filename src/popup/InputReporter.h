// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class PopupModel;

// Reports every change of the model's sourceText while the quick-translate
// layout is shown, whoever made it (the input field or a reset of the
// model), but not the text the layout appears with. A report comes on the
// next turn of the event loop, once for the changes made in one turn, with
// the value then current: a reset that also leaves the quick layout is no
// input, and the receiver may write the model again.
class InputReporter : public QObject {
    Q_OBJECT
public:
    InputReporter(PopupModel* model, std::function<void(const QString&)> onInput, QObject* parent);

    // After every change of the model: whether the quick layout is shown.
    void modelChanged(bool quickShown);

private:
    void report();

    QPointer<PopupModel> m_model;
    std::function<void(const QString&)> m_onInput;
    bool m_quickShown = false;
    bool m_pending = false;
    QString m_seen;
};
