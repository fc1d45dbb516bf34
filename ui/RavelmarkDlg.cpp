// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: construction, its controls, and choosing and showing a tournament.
#include "ui/RavelmarkDlg.h"

#include "files/RulesFile.h"
#include "files/TournamentFile.h"
#include "ui/ArchiveDlg.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/UndoSteps.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

CRavelmarkDlg::CRavelmarkDlg(CPlatform& platform, QWidget* parent)
    : CDialogBase(IDD_RAVELMARK_DIALOG, parent)
    , m_text(m_doc, platform)
    , m_platform(platform)
{
    connect(&m_doc, &CTournamentDoc::cleared, &m_playerNames, &CNameList::Clear);
    connect(&m_doc, &CTournamentDoc::namesReplaced, &m_playerNames, &CNameList::Clear);
    connect(&m_doc, &CTournamentDoc::standingsChanged, &m_playerNames, &CNameList::Update);
    // The near-duplicate index needs the names only: begun before the standings are counted.
    connect(&m_doc, &CTournamentDoc::namesRead, &m_playerNames, &CNameList::PrepareMatches);
    connect(&m_doc, &CTournamentDoc::changedFlagChanged, this, &CRavelmarkDlg::UpdateTitle);
    connect(&m_doc, &CTournamentDoc::fileChangedOnDisk, this, &CRavelmarkDlg::OnFileChangedOnDisk);
    m_publishing.SetFollowUp(PublishArchive);
    // The window ends only by a normal close, saved or with nothing to save: no recovery file stays.
    connect(this, &QDialog::finished, &m_recovery, &CRecovery::Remove);
    m_doc.WatchFile();
    // Icon 128: the window manager picks the image that fits (title bar, task bar, switcher).
    m_hIcon.addFile(QStringLiteral(":/icons/ravelmark-32.png"), QSize(32, 32));
    m_hIcon.addFile(QStringLiteral(":/icons/ravelmark-16.png"), QSize(16, 16));
}

CRavelmarkDlg::~CRavelmarkDlg()
{
    ReleaseControls();
}

void CRavelmarkDlg::DoDataExchange()
{
    DDX_Control(IDC_CHOOSE_TOURNAMENT, m_btnChoose, &CRavelmarkDlg::OnChooseTournament);
    DDX_Control(IDC_CREATE_TABLE, m_btnCreateTable, &CRavelmarkDlg::OnCreateTable);
    DDX_Control(IDC_TITLE, m_editTitle, &CRavelmarkDlg::OnChangeTitle);
    DDX_Control(IDC_ROUND_LIST, m_listRounds, &CRavelmarkDlg::OnClickRoundList);
    DDX_Control(IDC_NEW_ROUND, m_btnNew, &CRavelmarkDlg::OnNewRound);
    DDX_Control(IDC_EDIT_ROUND, m_btnEdit, &CRavelmarkDlg::OnEditRound);
    DDX_Control(IDC_REMOVE_ROUND, m_btnRemove, &CRavelmarkDlg::OnRemoveRound);
    DDX_Control(IDC_RULES, m_btnRules, &CRavelmarkDlg::OnRules);
    DDX_Control(IDC_HISTORY, m_btnHistory, &CRavelmarkDlg::OnHistory);
    DDX_Control(IDC_SHOW_MOBILE, m_btnShowMobile, &CRavelmarkDlg::OnShowMobile);
    DDX_Control(IDC_PUBLISH, m_btnPublish, &CRavelmarkDlg::OnPublish);
    DDX_Control(IDC_PUBLISH_STATE, m_publishState);
    DDX_Control(IDC_PLAYERS, m_btnPlayers, &CRavelmarkDlg::OnPlayers);
    DDX_Control(IDC_ARCHIVE, m_btnArchive, &CRavelmarkDlg::OnArchive);
}

void CRavelmarkDlg::OnInitDialog()
{
    setWindowIcon(m_hIcon);

    m_listRounds->InsertColumn(0, QStringLiteral("Omgång"), Qt::AlignLeft, m_listRounds->ClientWidth());
    m_listRounds->SetSource(
        [this] { return static_cast<int>(m_doc.Tournament().m_rounds.size()); },
        [this](int row, int) { return ToDisplay(m_doc.Tournament().m_rounds[static_cast<std::size_t>(row)].m_name); });
    m_listRounds->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Keys reach what a click does: a row selected by key, Delete for "Ta Bort".
    connect(m_listRounds, &CListView::keySelected, this, &CRavelmarkDlg::UpdateRoundButtons);
    connect(m_listRounds, &CListView::deletePressed, this, [this] {
        if (m_btnRemove->isEnabled())
            OnRemoveRound();
    });

    SetUpUndo();
    SetUpPublishState();
    m_btnChoose->setFocus();
}

QString CRavelmarkDlg::ToDisplay(std::string_view bytes) const
{
    return m_text.ToDisplay(bytes);
}

void CRavelmarkDlg::ShowError(const QString& message)
{
    m_platform.ErrorBox(this, message);
}

bool CRavelmarkDlg::ShowResult(const CFileResult& result)
{
    if (result.Ok())
        return true;
    // A refused line is named as the file has it, so in the file's encoding.
    ShowError(ResultMessage(result, m_doc.Encoding()));
    return false;
}

void CRavelmarkDlg::OnChooseTournament()
{
    if (!OfferSave())
        return;
    // The page on phones shows this tournament only; reading its file again keeps it. Its
    // changes not yet on the club's site go there first.
    StopShowingMobile();
    FinishPublishing();
    ResetTournament();
    // Undo stays with the tournament it was made on. Only now: clearing undo would also mark a
    // tournament still shown as unchanged, and its changes must be kept aside first.
    m_undo.clear();
    UpdateTitle();

    QString path;
    if (!ChooseTournamentFile(path))
        return;
    OpenOrCreateTournament(path);
}

void CRavelmarkDlg::OpenOrCreateTournament(QString path)
{
    if (QFileInfo info(path); !info.exists() && info.suffix().isEmpty())
        path += QStringLiteral(".txt");
    if (QFileInfo::exists(path)) {
        OpenTournament(path);
        return;
    }
    const QString question =
        QStringLiteral("Filen %1 finns inte. Skapa en ny turnering?").arg(QFileInfo(path).fileName());
    // Enter alone never makes a file: a name typed by habit is not a new tournament.
    if (!m_platform.QuestionDefaultNo(this, question, AppName()) || !ShowResult(CreateTournamentFile(path)))
        return;
    CarryOverRegister(path);
    OpenTournament(path);
}

void CRavelmarkDlg::CarryOverRegister(const QString& path)
{
    // The tournament open before, or one to choose: a new season starts knowing the last one's players.
    const QString before = m_doc.Path();
    const bool hasBefore = !before.isEmpty() && QFileInfo(before) != QFileInfo(path) && QFileInfo::exists(before);
    const QString question =
        hasBefore ? QStringLiteral("Ta med spelare och regler från %1?").arg(QFileInfo(before).fileName())
                  : QStringLiteral("Ta med spelare och regler från en annan turnering?");
    if (!m_platform.Question(this, question, QStringLiteral("Ny turnering")))
        return;
    QString from = before;
    if (!hasBefore && !ChooseTournamentFile(from))
        return;
    ShowResult(CarryOverPlayersAndRules(path, from));
}

void CRavelmarkDlg::OpenTournament(const QString& path)
{
    // Also after a refused line the rounds before it stay, for a later "Ny" to build on.
    const CFileResult result = m_doc.Read(path);
    const bool read = ShowResult(result);
    if (read) {
        ShowTournament();
        // A refused rules file is told once here; "Skapa Tabell" tells it again until it is mended.
        ShowResult(m_doc.RulesResult());
        // So is a refused players file.
        ShowResult(m_doc.PlayersResult());
    }
    // Filling the title field is no change of the tournament.
    m_doc.ClearChanged();
    // The steps before were made on a tournament that is gone; what was read is as on disk.
    if (!read)
        m_undo.clear();
    m_undo.setClean();
    if (result.Ok() || result.m_kind == CFileResult::Refused)
        OfferRecovery();
    UpdateTitle();
    // The next entry is a round; Enter or Space on "Välj Turnering" would open the file dialog again.
    if (m_shown)
        m_btnNew->setFocus();
}

bool CRavelmarkDlg::OfferSave()
{
    if (!m_doc.Changed() || m_doc.Path().isEmpty())
        return true;
    const QString question = QStringLiteral("Vill du spara ändringarna i %1?").arg(QFileInfo(m_doc.Path()).fileName());
    switch (m_platform.YesNoCancel(this, question, AppName())) {
    case CPlatform::Answer::Yes:
        // As the close saves: a refused title or a declined question about the file keeps everything.
        return SaveTournament();
    case CPlatform::Answer::No:
        return true; // the changes are kept aside when the tournament is dropped
    case CPlatform::Answer::Cancel:
        break;
    }
    return false;
}

bool CRavelmarkDlg::ChooseTournamentFile(QString& path)
{
    return m_platform.ChooseFile(this, QStringLiteral("Turnering (*.txt)"), path);
}

void CRavelmarkDlg::ResetTournament()
{
    // Unsaved changes that are dropped stay on disk, under a name of their own.
    m_recovery.Keep();
    m_shown = false;
    m_filling = true;
    m_editTitle->SetText(QString());
    m_filling = false;
    // As at start: nothing may act on a tournament the window no longer shows, nor on its file.
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_btnCreateTable, m_editTitle, m_btnNew, m_btnEdit, m_btnRemove, m_btnRules,
                                         m_btnHistory, m_btnShowMobile, m_btnPublish, m_btnPlayers})
        control->setEnabled(false);
    m_publishing.Stop();
    // Emptying the title field is no change of the tournament: it is dropped unchanged.
    m_doc.Clear();
    m_listRounds->Refill();
}

void CRavelmarkDlg::ShowTournament()
{
    m_btnCreateTable->setEnabled(true);
    m_filling = true;
    m_editTitle->SetText(ToDisplay(m_doc.Tournament().m_title));
    m_filling = false;
    m_editTitle->setEnabled(true);
    FillRoundList();
    m_btnNew->setEnabled(true);
    for (QPushButton* button : {m_btnRules, m_btnHistory, m_btnShowMobile, m_btnPublish, m_btnPlayers})
        button->setEnabled(true);
    m_shown = true;
    FollowPublishing();
}

void CRavelmarkDlg::FillRoundList()
{
    m_listRounds->Refill();
    // No row is selected now: nothing for "Redigera" and "Ta Bort" to act on.
    UpdateRoundButtons();
}

void CRavelmarkDlg::SelectRound(int row)
{
    m_listRounds->SelectRow(row);
    m_listRounds->setFocus();
    UpdateRoundButtons();
}

void CRavelmarkDlg::OnChangeTitle()
{
    // Text the tournament cannot take is not stored, so the field does not show it either.
    std::string title;
    if (!m_text.FromDisplay(this, m_editTitle->text(), title)) {
        m_editTitle->Restore(ToDisplay(m_doc.Tournament().m_title));
        m_editTitle->setFocus();
        return;
    }
    if (m_filling)
        m_doc.SetTitle(std::move(title));
    else if (title != m_doc.Tournament().m_title)
        m_undo.push(new CTitleStep(m_doc, std::move(title), m_undoKeys->Visit()));
}

void CRavelmarkDlg::UpdateTitle()
{
    // Also after a read that failed, or a cancelled choice, once a change is made: the close
    // request saves it to the document's file.
    const bool named = !m_doc.Path().isEmpty() && (m_shown || m_doc.Changed());
    const QString name =
        named ? QFileInfo(m_doc.Path()).fileName() + QStringLiteral(" \u2013 ") + AppName() : AppName();
    setWindowTitle(m_doc.Changed() && named ? '*' + name : name);
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
