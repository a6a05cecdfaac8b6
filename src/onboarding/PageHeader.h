// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLabel;

// The top of an onboarding page: the program's icon or a symbol in the
// accent colour, a large title and a wrapped, centred subtitle.
class PageHeader : public QWidget {
    Q_OBJECT
public:
    // An empty `symbol` shows the program's icon.
    PageHeader(
        const QString& symbol, const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    // 24 unless the page below needs less.
    void setBottomPadding(int padding);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_subtitle = nullptr;
};
