// SPDX-License-Identifier: MIT
#pragma once

#include "UpdateFeed.h"

#include <QDialog>
#include <QUrl>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The window of "Check for Updates…": one at a time, never modal, shown
// while the check runs and then with its outcome.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    UpdateDialog();
    Q_DISABLE_COPY_MOVE(UpdateDialog)

    void showChecking();
    void showUpToDate(const QVersionNumber& current);
    void showNewer(const UpdateFeed::Release& release, const QVersionNumber& current);
    void showFailure(const QString& reason);
    void showNoFeed();

private:
    void present(const QString& headline, const QString& body);

    QLabel* m_headline;
    QLabel* m_body;
    QPlainTextEdit* m_notes;
    QPushButton* m_download;
    QUrl m_downloadPage;
};
