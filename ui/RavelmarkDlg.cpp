// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: construction, its controls, and choosing and showing a tournament.
#include "ui/RavelmarkDlg.h"

#include "model/Messages.h"
#include "model/Reader.h"
#include "ui/Controls.h"
#include "ui/Platform.h"

#include <QFileInfo>
#include <QPushButton>

CRavelmarkDlg::CRavelmarkDlg(CPlatform& platform, QWidget* parent)
    : CDialogBase(102, parent)
    , m_text(m_tournament, platform)
    , m_platform(platform)
{
    // Icon 128: the window manager picks the image that fits (title bar, task bar, switcher).
    m_hIcon.addFile(QStringLiteral(":/icons/ravelmark-32.png"), QSize(32, 32));
    m_hIcon.addFile(QStringLiteral(":/icons/ravelmark-16.png"), QSize(16, 16));
}

CRavelmarkDlg::~CRavelmarkDlg()
{
    DisconnectControls();
    // Hiding the list while QDialog is destroyed may still read rows from members already gone.
    m_listRounds->SetSource({}, {});
}

void CRavelmarkDlg::DoDataExchange()
{
    m_btnChoose = Control<QPushButton>(1000);
    m_btnCreateTable = Control<QPushButton>(1001);
    m_editTitle = Control<CEditField>(1003);
    m_listRounds = Control<CListView>(1002);
    m_btnNew = Control<QPushButton>(1004);
    m_btnEdit = Control<QPushButton>(1005);
    m_btnRemove = Control<QPushButton>(1006);

    connect(m_btnChoose, &QPushButton::clicked, this, &CRavelmarkDlg::OnChooseTournament);
    connect(m_btnCreateTable, &QPushButton::clicked, this, &CRavelmarkDlg::OnCreateTable);
    connect(m_listRounds, &CListView::clicked, this, &CRavelmarkDlg::OnClickRoundList);
    connect(m_editTitle, &CEditField::changed, this, &CRavelmarkDlg::OnChangeTitle);
    connect(m_btnNew, &QPushButton::clicked, this, &CRavelmarkDlg::OnNewRound);
    connect(m_btnEdit, &QPushButton::clicked, this, &CRavelmarkDlg::OnEditRound);
    connect(m_btnRemove, &QPushButton::clicked, this, &CRavelmarkDlg::OnRemoveRound);
}

void CRavelmarkDlg::OnInitDialog()
{
    DoDataExchange();
    setWindowIcon(m_hIcon);

    m_listRounds->InsertColumn(0, QStringLiteral("Omgång"), Qt::AlignLeft, m_listRounds->ClientWidth());
    m_listRounds->SetSource([this] { return static_cast<int>(m_tournament.m_rounds.size()); },
                            [this](int row, int) { return ToDisplay(m_tournament.m_rounds[static_cast<std::size_t>(row)].m_name); });
    m_listRounds->setSelectionBehavior(QAbstractItemView::SelectRows);

    m_btnChoose->setFocus();
}

void CRavelmarkDlg::OnOK()
{
    Trace("--- CRavelmarkDlg::OnOK()\n");
}

void CRavelmarkDlg::OnCancel()
{
    Trace("--- CRavelmarkDlg::OnCancel()\n");
}

QString CRavelmarkDlg::ToDisplay(std::string_view bytes) const
{
    return m_text.ToDisplay(bytes);
}

void CRavelmarkDlg::ShowError(const QString& message)
{
    // The refused line is shown as the file has it, so in the file's encoding.
    m_platform.ErrorBox(this, ToDisplay(LinePrefix(m_lineNo, m_line)) + message);
}

bool CRavelmarkDlg::ShowResult(const CFileResult& result)
{
    switch (result.m_kind) {
    case CFileResult::Done:
        return true;
    case CFileResult::Refused:
        m_line = result.m_line;
        m_lineNo = result.m_lineNo;
        ShowError(BuiltInText(result.m_message));
        m_lineNo = 0;
        break;
    case CFileResult::FileError:
        m_platform.ReportFileError(this, result.m_error);
        break;
    case CFileResult::CannotOpen:
        ShowError(BuiltInText(msg::kCannotOpen) + result.m_path);
        break;
    case CFileResult::CannotCreate:
        ShowError(BuiltInText(msg::kCannotCreate) + result.m_path);
        break;
    }
    return false;
}

void CRavelmarkDlg::OnChooseTournament()
{
    ResetTournament();
    // Emptying the window is no change: the file dialog shows over a window holding nothing.
    m_changed = false;
    UpdateTitle();

    QString path;
    if (!ChooseTournamentFile(path))
        return;
    OpenTournament(path);
}

void CRavelmarkDlg::OpenTournament(const QString& path)
{
    CLoadedTournament loaded;
    const CFileResult result = LoadTournamentFile(path, loaded);
    if (result.m_kind != CFileResult::CannotOpen) {
        m_fileStatus = loaded.m_lastModified;
        m_filePath = loaded.m_path;
        // Also after a refused line: the rounds before it stay, for a later "Ny" to build on.
        m_tournament = std::move(loaded.m_tournament);
    }
    if (ShowResult(result)) {
        RebuildStandings();
        ShowTournament();
    }
    // Emptying and filling the title field are no change of the tournament.
    m_changed = false;
    UpdateTitle();
}

bool CRavelmarkDlg::ChooseTournamentFile(QString& path)
{
    return m_platform.ChooseFile(this, QStringLiteral("Turnering (*.txt)"), path);
}

void CRavelmarkDlg::ResetTournament()
{
    m_shown = false;
    m_editTitle->SetText(QString());
    m_tournament.Clear();
    m_listRounds->Refill();
    m_standings.Clear();
    m_playerNames.Clear();
    m_text.Reset();
    m_lineNo = 0;
}

void CRavelmarkDlg::ShowTournament()
{
    m_btnCreateTable->setEnabled(true);
    m_editTitle->SetText(ToDisplay(m_tournament.m_title));
    m_editTitle->setEnabled(true);
    FillRoundList();
    m_btnNew->setEnabled(true);
    m_shown = true;
}

void CRavelmarkDlg::FillRoundList()
{
    m_listRounds->Refill();
}

void CRavelmarkDlg::OnChangeTitle()
{
    // Text the tournament cannot take is not stored, so the field does not show it either.
    if (!m_text.FromDisplay(this, m_editTitle->text(), m_tournament.m_title)) {
        m_editTitle->Restore(ToDisplay(m_tournament.m_title));
        m_editTitle->setFocus();
        return;
    }
    m_changed = true;
    UpdateTitle();
}

void CRavelmarkDlg::UpdateTitle()
{
    // Also after a read that failed, or a cancelled choice, once a change is made: the close
    // request saves it to m_filePath.
    const bool named = !m_filePath.isEmpty() && (m_shown || m_changed);
    const QString name = named ? QFileInfo(m_filePath).fileName() + QStringLiteral(" \u2013 ") + AppName() : AppName();
    setWindowTitle(m_changed && named ? '*' + name : name);
}

void CRavelmarkDlg::OnClickRoundList()
{
    UpdateRoundButtons();
}

void CRavelmarkDlg::UpdateRoundButtons()
{
    const bool marked = m_listRounds->GetSelectionMark() >= 0;
    m_btnEdit->setEnabled(marked);
    m_btnRemove->setEnabled(marked);
}

void CRavelmarkDlg::RebuildStandings()
{
    m_standings.Clear();
    AddToStandings(m_standings, m_tournament);
    m_playerNames.Update();
}
