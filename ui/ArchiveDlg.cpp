// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ArchiveDlg.h"

#include "archive/Archive.h"
#include "archive/SiteFolder.h"
#include "files/FileError.h"
#include "publish/SitePublish.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString SiteOf(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("arkiv"));
}

// What a run did, a line each: the files left out and why, then what was made.
QString Report(const CArchive& archive, const QString& site, const CSiteWritten& written)
{
    QStringList lines;
    for (const CArchiveNote& refused : archive.m_refused)
        lines << QStringLiteral("%1 lämnas utanför: %2")
                     .arg(QString::fromStdString(refused.m_file), QString::fromStdString(refused.m_message));
    for (const std::string& file : archive.m_leftOut)
        lines << QStringLiteral("%1: arkiv = nej").arg(QString::fromStdString(file));
    lines << QStringLiteral("%1 säsonger, %2 spelare i %3: %4 filer skrivna, %5 oförändrade, %6 borttagna.")
                 .arg(archive.m_seasons.size())
                 .arg(archive.m_people.size())
                 .arg(QDir::toNativeSeparators(site))
                 .arg(written.m_written)
                 .arg(written.m_unchanged)
                 .arg(written.m_removed);
    return lines.join('\n');
}

} // namespace

CArchiveDlg::CArchiveDlg(const QString& folder, CPlatform& platform, QWidget* parent)
    : QDialog(parent)
    , m_platform(platform)
{
    setWindowTitle(QStringLiteral("Arkiv"));
    m_pool.setMaxThreadCount(1);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Alla turneringsfiler i mappen och dess undermappar blir en webbplats "
                                            "med säsongerna, en sida per spelare och rekorden."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout();
    m_folder = new QLineEdit(QDir::toNativeSeparators(folder), this);
    form->addRow(QStringLiteral("&Säsongerna i:"), m_folder);
    m_siteShown = SiteOf(folder);
    m_site = new QLineEdit(QDir::toNativeSeparators(m_siteShown), this);
    form->addRow(QStringLiteral("&Webbplatsen i:"), m_site);
    layout->addLayout(form);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    m_report = new QPlainTextEdit(this);
    m_report->setReadOnly(true);
    m_report->setMinimumSize(420, 120);
    layout->addWidget(m_report);
    auto* buttons = new QDialogButtonBox(this);
    m_btnMake = buttons->addButton(QStringLiteral("&Gör arkivet"), QDialogButtonBox::AcceptRole);
    m_btnOpen = buttons->addButton(QStringLiteral("Ö&ppna"), QDialogButtonBox::ActionRole);
    m_btnClose = buttons->addButton(QStringLiteral("Stäng"), QDialogButtonBox::RejectRole);
    m_btnMake->setDefault(true);
    m_btnOpen->setEnabled(QFileInfo::exists(QDir(m_siteShown).filePath(QStringLiteral("index.html"))));
    layout->addWidget(buttons);
    connect(m_btnMake, &QPushButton::clicked, this, &CArchiveDlg::OnMake);
    connect(m_btnOpen, &QPushButton::clicked, this, [this] {
        m_platform.OpenReport(QDir(QDir::fromNativeSeparators(m_site->text())).filePath(QStringLiteral("index.html")));
    });
    connect(m_btnClose, &QPushButton::clicked, this, &CArchiveDlg::reject);
    connect(m_folder, &QLineEdit::textEdited, this, &CArchiveDlg::OnFolderEdited);
    m_btnMake->setFocus();
}

CArchiveDlg::~CArchiveDlg()
{
    if (m_cancel)
        *m_cancel = true;
    m_pool.waitForDone();
}

void CArchiveDlg::reject()
{
    // A run still going stops at its next file; what it wrote stays whole.
    if (m_cancel)
        *m_cancel = true;
    QDialog::reject();
}

void CArchiveDlg::OnFolderEdited()
{
    // The site follows the folder while the user has not chosen another place for it.
    if (QDir::fromNativeSeparators(m_site->text()) == m_siteShown) {
        m_siteShown = SiteOf(QDir::fromNativeSeparators(m_folder->text()));
        m_site->setText(QDir::toNativeSeparators(m_siteShown));
    }
}

void CArchiveDlg::OnMake()
{
    const QString folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
    const QString site = QDir::fromNativeSeparators(m_site->text().trimmed());
    if (!QFileInfo(folder).isDir()) {
        m_platform.ErrorBox(this, QStringLiteral("%1 är ingen mapp.").arg(m_folder->text()));
        m_folder->setFocus();
        m_folder->selectAll();
        return;
    }
    if (site.isEmpty()) {
        m_site->setFocus();
        return;
    }
    m_busy = true;
    m_btnMake->setEnabled(false);
    m_btnOpen->setEnabled(false);
    m_report->setPlainText(QStringLiteral("Läser säsongerna \u2026"));
    m_progress->setRange(0, 0);
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_pool.start([this, folder, site, cancel = m_cancel] {
        CArchive archive;
        QString error;
        const bool read = ReadArchive(folder, archive, error, site, [this, cancel](std::size_t done, std::size_t all) {
            QMetaObject::invokeMethod(
                this,
                [this, done, all] {
                    m_progress->setRange(0, static_cast<int>(all));
                    m_progress->setValue(static_cast<int>(done));
                },
                Qt::QueuedConnection);
            return !*cancel;
        });
        CSiteWritten written;
        CFileResult result;
        if (read && !*cancel)
            result = WriteSite(ArchiveSite(archive), site, written);
        if (*cancel)
            return;
        const bool made = read && result.Ok();
        const QString report = !read         ? error
                               : result.Ok() ? Report(archive, site, written)
                                             : ResultMessage(result, TextEncoding::Utf8);
        QMetaObject::invokeMethod(
            this, [this, made, report] { Ended(made, report); }, Qt::QueuedConnection);
    });
}

void CArchiveDlg::Ended(bool made, const QString& report)
{
    m_busy = false;
    m_progress->setRange(0, 1);
    m_progress->setValue(made ? 1 : 0);
    m_report->setPlainText(report);
    m_btnMake->setEnabled(true);
    const QString site = QDir::fromNativeSeparators(m_site->text().trimmed());
    m_btnOpen->setEnabled(QFileInfo::exists(QDir(site).filePath(QStringLiteral("index.html"))));
    (made ? m_btnOpen : m_btnMake)->setFocus();
    emit ended();
}

void CRavelmarkDlg::OnArchive()
{
    const QString folder = m_doc.Path().isEmpty() ? QDir::homePath() : QFileInfo(m_doc.Path()).absolutePath();
    CArchiveDlg dialog(folder, m_platform, this);
    dialog.exec();
}

CPublishResult PublishArchive(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust,
                              const QString& tournamentPath)
{
    const QString folder = QFileInfo(tournamentPath).absolutePath();
    CArchive archive;
    QString error;
    const std::shared_ptr<std::atomic_bool> cancel = trust.m_cancel;
    if (!ReadArchive(folder, archive, error, SiteOf(folder),
                     [cancel](std::size_t, std::size_t) { return !cancel || !*cancel; }))
        return Failure(QStringLiteral("arkivet: ") + error);
    CSiteSent sent;
    CPublishResult result = PublishSite(target, password, ArchiveSite(archive), QStringLiteral("arkiv/"), sent, trust);
    if (!result.Ok())
        result.m_message = QStringLiteral("arkivet: ") + result.m_message;
    return result;
}
