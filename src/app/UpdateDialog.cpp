// SPDX-License-Identifier: MIT
#include "UpdateDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

UpdateDialog::UpdateDialog()
    : m_headline(new QLabel(this))
    , m_body(new QLabel(this))
    , m_notes(new QPlainTextEdit(this))
    , m_download(new QPushButton(QStringLiteral("Open Download Page"), this))
{
    setWindowTitle(QStringLiteral("Software Update"));
    setObjectName(QStringLiteral("updateDialog"));
    m_headline->setObjectName(QStringLiteral("headline"));
    m_body->setObjectName(QStringLiteral("body"));
    m_download->setObjectName(QStringLiteral("downloadButton"));
    QFont bold = m_headline->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_headline->setFont(bold);
    // Everything shown here may come from the network: never read it as markup.
    for (QLabel* label : { m_headline, m_body }) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_notes->setReadOnly(true);
    m_notes->setMinimumHeight(120);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_download, QDialogButtonBox::AcceptRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_download, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(m_downloadPage);
        hide();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(10);
    layout->addWidget(m_headline);
    layout->addWidget(m_body);
    layout->addWidget(m_notes);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void UpdateDialog::showChecking()
{
    present(QStringLiteral("Checking for updates…"), QString());
}

void UpdateDialog::showUpToDate(const QVersionNumber& current)
{
    present(QStringLiteral("You’re up to date!"),
        QStringLiteral("Sorvantel %1 is the newest version available.").arg(current.toString()));
}

void UpdateDialog::showNewer(const UpdateFeed::Release& release, const QVersionNumber& current)
{
    present(QStringLiteral("A new version of Sorvantel is available!"),
        QStringLiteral("Sorvantel %1 is available — you have %2.")
            .arg(release.version.toString(), current.toString()));
    m_downloadPage = release.downloadPage;
    m_download->show();
    m_download->setDefault(true);
    m_notes->setPlainText(release.notes);
    m_notes->setVisible(!release.notes.isEmpty());
    adjustSize();
}

void UpdateDialog::showFailure(const QString& reason)
{
    present(QStringLiteral("Sorvantel could not check for updates."), reason);
}

void UpdateDialog::showNoFeed()
{
    present(QStringLiteral("Updates come from your package manager."),
        QStringLiteral("This build of Sorvantel checks no update feed: the package manager of your "
                       "distribution installs its new versions."));
}

void UpdateDialog::present(const QString& headline, const QString& body)
{
    m_headline->setText(headline);
    m_body->setText(body);
    m_body->setVisible(!body.isEmpty());
    m_notes->hide();
    m_download->hide();
    adjustSize();
    show();
    raise();
    activateWindow();
}
