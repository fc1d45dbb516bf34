// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the history, and its dialog.
#include "ui/HistoryDlg.h"

#include "files/TournamentFile.h"
#include "model/Difference.h"
#include "ui/RavelmarkDlg.h"
#include "ui/UndoSteps.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
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
    m_list = ListVersions(window.m_doc.Path());
    for (const CVersion& version : m_list) {
        m_versions->addItem(version.Line());
        m_versions->item(m_versions->count() - 1)->setToolTip(version.Line()); // a long summary whole
    }
    m_differences = new QPlainTextEdit;
    m_differences->setReadOnly(true);
    m_differences->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_btnRestore = new QPushButton(QStringLiteral("Återställ"));
    m_btnRestore->setEnabled(false);
    connect(m_versions, &QListWidget::currentRowChanged, this, &CHistoryDlg::ShowDifferences);
    connect(m_btnRestore, &QPushButton::clicked, this, &CHistoryDlg::OnRestore);
    auto* savedLayout = new QVBoxLayout(saved);
    savedLayout->addWidget(m_versions, 2);
    savedLayout->addWidget(new QLabel(QStringLiteral("Skillnader mot turneringen i fönstret:")));
    savedLayout->addWidget(m_differences, 3);
    auto* restoreRow = new QHBoxLayout;
    restoreRow->addWidget(m_btnRestore);
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

void CHistoryDlg::ShowDifferences()
{
    const CVersion* version = Selected();
    m_btnRestore->setEnabled(version && version->Readable());
    if (!version) {
        m_differences->clear();
        return;
    }
    if (!version->Readable()) {
        m_differences->setPlainText(QStringLiteral("Kan inte läsas: ") + version->m_problem);
        return;
    }
    // Read again on each choice: only the listed summaries are kept, never every version.
    CLoadedTournament loaded;
    const CFileResult result = LoadTournamentFile(version->m_path, loaded);
    if (!result.Ok()) {
        m_differences->setPlainText(QStringLiteral("Kan inte läsas: ") +
                                    ResultMessage(result, loaded.m_tournament.m_encoding));
        m_btnRestore->setEnabled(false);
        return;
    }
    // What changed from that version to the window's tournament.
    const std::vector<std::string> lines = Differences(loaded.m_tournament, m_window.m_doc.Tournament());
    QStringList text;
    for (const std::string& line : lines)
        text << QString::fromStdString(line);
    m_differences->setPlainText(text.isEmpty() ? QStringLiteral("Samma som i fönstret.") : text.join('\n'));
}

void CHistoryDlg::OnRestore()
{
    if (const CVersion* version = Selected(); version && m_window.RestoreVersion(version->m_path))
        ShowDifferences();
}

void CRavelmarkDlg::OnHistory()
{
    CHistoryDlg history(*this);
    history.exec();
}
