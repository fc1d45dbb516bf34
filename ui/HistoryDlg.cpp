// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the history, and its dialog.
#include "ui/HistoryDlg.h"

#include "files/RulesFile.h"
#include "files/TournamentFile.h"
#include "model/Difference.h"
#include "ui/RavelmarkDlg.h"
#include "ui/UndoSteps.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QUndoView>
#include <QVBoxLayout>

CHistoryDlg::CHistoryDlg(CRavelmarkDlg& window)
    : QDialog(&window)
    , m_window(window)
{
    setWindowTitle(QStringLiteral("Historik"));
    // The window's keys work here too.
    new CUndoKeys(this, window.m_undo, {});

    auto* now = new QGroupBox(QStringLiteral("Den här stunden"));
    m_steps = new QUndoView(&window.m_undo);
    m_steps->setEmptyLabel(QStringLiteral("Som filen lästes in"));
    // The step at which the tournament is as its file on disk.
    m_steps->setCleanIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_steps->setIconSize(QSize(16, 16));
    m_btnUndo = new QPushButton(QStringLiteral("Ångra"));
    m_btnRedo = new QPushButton(QStringLiteral("Gör om"));
    m_btnUndo->setEnabled(window.m_undo.canUndo());
    m_btnRedo->setEnabled(window.m_undo.canRedo());
    connect(m_btnUndo, &QPushButton::clicked, &window.m_undo, &QUndoStack::undo);
    connect(m_btnRedo, &QPushButton::clicked, &window.m_undo, &QUndoStack::redo);
    connect(&window.m_undo, &QUndoStack::canUndoChanged, m_btnUndo, &QPushButton::setEnabled);
    connect(&window.m_undo, &QUndoStack::canRedoChanged, m_btnRedo, &QPushButton::setEnabled);
    connect(&window.m_undo, &QUndoStack::indexChanged, this, &CHistoryDlg::ShowDifferences);
    auto* stepButtons = new QHBoxLayout;
    stepButtons->addWidget(m_btnUndo);
    stepButtons->addWidget(m_btnRedo);
    stepButtons->addStretch();
    auto* nowLayout = new QVBoxLayout(now);
    nowLayout->addWidget(m_steps);
    nowLayout->addLayout(stepButtons);

    auto* saved = new QGroupBox(QStringLiteral("Sparade versioner"));
    m_versions = new QListWidget;
    // A summary is read whole, on as many lines as it takes.
    m_versions->setWordWrap(true);
    m_versions->setResizeMode(QListView::Adjust);
    m_versions->setTextElideMode(Qt::ElideNone);
    m_list = ListVersions(window.m_doc.Path());
    for (const CVersion& version : m_list) {
        m_versions->addItem(version.Line());
        m_versions->item(m_versions->count() - 1)->setToolTip(version.Line()); // a long summary whole
    }
    m_differences = new QListWidget;
    m_differences->setWordWrap(true);
    m_differences->setResizeMode(QListView::Adjust);
    m_btnRestore = new QPushButton(QStringLiteral("Återställ"));
    m_btnRestore->setEnabled(false);
    m_btnRestoreRound = new QPushButton(QStringLiteral("Återställ omgången"));
    m_btnRestoreRound->setEnabled(false);
    m_btnRestoreRound->setToolTip(
        QStringLiteral("Tar tillbaka den valda skillnadens omgång som versionen har den, på sin plats; "
                       "de andra omgångarna blir som de är"));
    connect(m_versions, &QListWidget::currentRowChanged, this, &CHistoryDlg::ShowDifferences);
    connect(m_btnRestore, &QPushButton::clicked, this, &CHistoryDlg::OnRestore);
    connect(m_btnRestoreRound, &QPushButton::clicked, this, &CHistoryDlg::OnRestoreRound);
    connect(m_differences, &QListWidget::currentRowChanged, this, [this](int row) {
        const bool round = row >= 0 && m_differences->item(row)->data(Qt::UserRole).isValid();
        m_btnRestoreRound->setEnabled(round);
        // Enter restores what is selected: the round of the line, else the whole version.
        (round ? m_btnRestoreRound : m_btnRestore)->setDefault(true);
    });
    auto* savedLayout = new QVBoxLayout(saved);
    savedLayout->addWidget(m_versions, 2);
    savedLayout->addWidget(new QLabel(QStringLiteral("Skillnader mellan versionen och turneringen i fönstret:")));
    savedLayout->addWidget(m_differences, 3);
    auto* restoreRow = new QHBoxLayout;
    restoreRow->addWidget(m_btnRestore);
    restoreRow->addWidget(m_btnRestoreRound);
    restoreRow->addStretch();
    savedLayout->addLayout(restoreRow);

    auto* buttons = new QDialogButtonBox;
    m_btnClose = buttons->addButton(QStringLiteral("Stäng"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    columns->addWidget(now, 2);
    columns->addWidget(saved, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    resize(860, 480);
    m_versions->setFocus();
}

const CVersion* CHistoryDlg::Selected() const
{
    const int row = m_versions->currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < m_list.size() ? &m_list[static_cast<std::size_t>(row)] : nullptr;
}

QString CHistoryDlg::DifferencesText() const
{
    QStringList lines;
    for (int i = 0; i < m_differences->count(); ++i)
        lines << m_differences->item(i)->text();
    return lines.join('\n');
}

void CHistoryDlg::ShowLines(const QStringList& lines)
{
    m_differences->clear();
    m_differences->addItems(lines);
    m_btnRestoreRound->setEnabled(false);
    m_btnRestore->setDefault(true);
}

void CHistoryDlg::ShowDifferences()
{
    const CVersion* version = Selected();
    m_btnRestore->setEnabled(version && version->Readable());
    if (!version) {
        ShowLines({});
        return;
    }
    if (!version->Readable()) {
        ShowLines({QStringLiteral("Kan inte läsas: ") + version->m_problem});
        return;
    }
    if (version->m_kind == CVersion::Rules) {
        QString now = QStringLiteral("inga regler");
        if (QString path; RulesPath(m_window.m_doc.Path(), path) && QFileInfo(path).isFile())
            RulesVersionText(path, now);
        ShowLines({QStringLiteral("Regler i versionen: ") + QString(version->m_summary).replace('\n', ", "),
                   QStringLiteral("Regler i fönstret: ") + now.replace('\n', ", ")});
        return;
    }
    // Read again on each choice: only the listed summaries are kept, never every version.
    CLoadedTournament loaded;
    const CFileResult result = LoadTournamentFile(version->m_path, loaded);
    if (!result.Ok()) {
        ShowLines({QStringLiteral("Kan inte läsas: ") + ResultMessage(result, loaded.m_tournament.m_encoding)});
        m_btnRestore->setEnabled(false);
        return;
    }
    // What the version has that the window has not, and the other way; a line about one of the
    // version's rounds can bring that round back.
    const std::vector<CVersionDifference> lines = VersionDifferences(loaded.m_tournament, m_window.m_doc.Tournament());
    ShowLines(lines.empty() ? QStringList{QStringLiteral("Samma som i fönstret.")} : QStringList());
    for (const CVersionDifference& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line.m_text), m_differences);
        if (line.m_round != SIZE_MAX)
            item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(line.m_round)));
    }
}

void CHistoryDlg::OnRestore()
{
    const CVersion* version = Selected();
    if (!version)
        return;
    const bool done = version->m_kind == CVersion::Rules ? m_window.RestoreRulesVersion(version->m_path)
                                                         : m_window.RestoreVersion(version->m_path);
    if (done)
        ShowDifferences();
}

void CHistoryDlg::OnRestoreRound()
{
    const CVersion* version = Selected();
    const QListWidgetItem* line = m_differences->currentItem();
    if (!version || !line || !line->data(Qt::UserRole).isValid())
        return;
    if (m_window.RestoreRound(version->m_path, static_cast<std::size_t>(line->data(Qt::UserRole).toULongLong())))
        ShowDifferences();
}

void CRavelmarkDlg::OnHistory()
{
    CHistoryDlg history(*this);
    history.exec();
}
