// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/Recovery.h"
#include "files/TournamentDoc.h"
#include "publish/PublishQueue.h"
#include "ui/DialogBase.h"
#include "ui/NameList.h"
#include "ui/TextEntry.h"

#include <QIcon>
#include <QString>
#include <QUndoStack>

#include <string_view>

class CEditField;
class CListView;
class CPlatform;
class CUndoKeys;
class CRoundDlg;
class QLabel;
class QPushButton;

// The main window: holds the open tournament's document for the whole run and shows it; the
// document keeps the tournament, its file and its standings in step.
class CRavelmarkDlg : public CDialogBase
{
    Q_OBJECT
public:
    explicit CRavelmarkDlg(CPlatform& platform, QWidget* parent = nullptr);
    ~CRavelmarkDlg() override;

    // Controls of template 102, bound by DoDataExchange.
    QPushButton* m_btnChoose = nullptr;      // IDC_CHOOSE_TOURNAMENT "Välj Turnering"
    QPushButton* m_btnCreateTable = nullptr; // IDC_CREATE_TABLE "Skapa Tabell"
    CEditField* m_editTitle = nullptr;       // IDC_TITLE
    CListView* m_listRounds = nullptr;       // IDC_ROUND_LIST
    QPushButton* m_btnNew = nullptr;         // IDC_NEW_ROUND "Ny"
    QPushButton* m_btnEdit = nullptr;        // IDC_EDIT_ROUND "Redigera"
    QPushButton* m_btnRemove = nullptr;      // IDC_REMOVE_ROUND "Ta Bort"
    // Below the template's controls, in the same column.
    QPushButton* m_btnRules = nullptr;      // IDC_RULES "Regler…"
    QPushButton* m_btnHistory = nullptr;    // IDC_HISTORY "Historik…"
    QPushButton* m_btnShowMobile = nullptr; // IDC_SHOW_MOBILE "Visa på mobil"
    QPushButton* m_btnPublish = nullptr;    // IDC_PUBLISH "Publicera…"
    QLabel* m_publishState = nullptr;       // IDC_PUBLISH_STATE: how the last publication went
    QPushButton* m_btnPlayers = nullptr;    // IDC_PLAYERS "Spelare…"
    QPushButton* m_btnArchive = nullptr;    // IDC_ARCHIVE "Arkiv…", beside "Publicera…"
    QIcon m_hIcon;

    // The open tournament, its file and its standings; every command changes it through here.
    CTournamentDoc m_doc;
    CRecovery m_recovery{m_doc};       // its unsaved changes on disk, for after a crash
    CPublishQueue m_publishing{m_doc}; // its standings on the club's site
    CTextEntry m_text;                 // typed text into m_doc
    CNameList m_playerNames{m_doc.Tournament(), m_doc.Standings(),
                            &m_doc.Registered()}; // the names the round editor offers
    bool m_shown = false;                         // the window shows a tournament read from the document's file
    bool m_diskChangePending = false;             // noticed while another dialog was in front
    CFileStatus m_declined;                       // of the file on disk when reading it again was declined

    // An error box with the text.
    void ShowError(const QString& message);
    // Shows what went wrong in a file operation; true when it was done.
    bool ShowResult(const CFileResult& result);

    // --- choosing and showing a tournament ---
    void OnChooseTournament();
    // Reads the file and shows it, as a confirmed choice does; the tournament ends unchanged.
    void OpenTournament(const QString& path);
    // As OpenTournament; a file that does not exist (".txt" added to a name without an ending)
    // becomes a new tournament if the user says so, written at once.
    void OpenOrCreateTournament(QString path);
    // For the new tournament `path`: the players and rules of the tournament open before, or of
    // one chosen, if the user wants them.
    void CarryOverRegister(const QString& path);
    bool ChooseTournamentFile(QString& path);
    // Before the tournament is dropped: with unsaved changes, asks whether to save them. False
    // when the user stays with it (Avbryt, or a save that did not happen).
    bool OfferSave();
    void ResetTournament();
    void ShowTournament();
    void FillRoundList();
    // Selects round `row` in the list, with the focus there: the next command acts on it.
    void SelectRound(int row);
    void OnChangeTitle();
    // A recovery file of the file just read: the user continues with it, or it is kept aside.
    void OfferRecovery();
    // The recovery file and the page on phones hold the round open in `editor` too, once it
    // counts (to take the place of round `replaces`, or to be added: SIZE_MAX).
    void FollowEditor(CRoundDlg& editor, const CRound& round, std::size_t replaces);
    // The window's title: the file the tournament is saved to, '*' first while it has changes.
    void UpdateTitle();

    // --- commands ---
    void OnClickRoundList();
    void UpdateRoundButtons();
    void OnNewRound();
    void OnEditRound();
    void OnRemoveRound();
    void OnCreateTable();
    // Shows the page in the desktop's program for it; the result is not looked at.
    void OpenReport(const QString& path);
    // The title trimmed, then backup and new file, all or nothing; true when the file was
    // saved. Failures are shown; an empty title puts the focus in its field.
    bool SaveTournament();
    // The file changed on disk: with nothing unsaved, the user may read it again.
    void OnFileChangedOnDisk();

    // --- undo (ui/RavelmarkDlgUndo.cpp) ---
    // Every change of the shown tournament, for this session; clean where it is as on disk.
    QUndoStack m_undo;
    CUndoKeys* m_undoKeys = nullptr;
    bool m_filling = false;     // the title field shows the document's title: no step
    bool m_roundsStale = false; // the rounds changed since the list was last filled by a step
    int m_stepIndex = 0;        // of m_undo, as last shown
    void SetUpUndo();
    // After a step done, undone or redone: the changed flag from the clean state, and the
    // controls showing the tournament as it is now.
    void OnUndoStep();
    // The tournament is as on disk: only steps of the rules file lie between the steps' state
    // and the state where the file was read or saved.
    bool AsOnDisk() const;
    // Reads `path` again, as one step; the file's tournament is then the clean state.
    void ReloadTournament();
    // Puts the tournament of the file `path` into the window as one step; false when it cannot
    // be read (the reason is shown).
    bool RestoreVersion(const QString& path);
    // Puts round `round` of the version at `path` into the window as one step: in the place of
    // the same round, or where the window lacks it, after the rounds that stood before it; every
    // other round stays as it is. False when the version cannot be read (the reason is shown).
    bool RestoreRound(const QString& path, std::size_t round);
    // Puts the rules file's version at `path` in place of the rules file, as one step.
    bool RestoreRulesVersion(const QString& path);
    // Moves the selected round `by` places (-1 up, 1 down) as one step; it stays selected.
    void MoveSelectedRound(int by);

    // --- the series rules, the history, the page on phones (each in its dialog's file) ---
    void OnRules();
    void OnHistory();
    void OnShowMobile();
    // "Spelare…": classes, teams and renames (ui/PlayersDlg.cpp).
    void OnPlayers();
    // "Arkiv…": the club's archive of the seasons in a folder (ui/ArchiveDlg.cpp).
    void OnArchive();
    // Closes the "Visa på mobil" window, if open: its page stops with it.
    void StopShowingMobile();

    // --- publishing on the club's site (ui/PublishDlg.cpp) ---
    // The longest wait for a publication due when the window closes.
    static constexpr int kCloseMilliseconds = 10000;
    void OnPublish();
    // The shown tournament's kept target, followed when it publishes after each change.
    void FollowPublishing();
    // Publishes what is due, for at most kCloseMilliseconds; says so when it could not, and
    // leaves it for the next time the tournament is opened.
    bool FinishPublishing();
    // The state line: how the last publication went; a failure in words to act on, with
    // "Publicera nu" as a link (Tab reaches it, Enter follows it).
    void SetUpPublishState();
    void ShowPublishState();
    void OnPublishStateLink();
    bool m_publishingLeftOver = false; // publishing what the last run could not

    // The model's bytes as the window shows them, in the tournament's encoding.
    QString ToDisplay(std::string_view bytes) const;

protected:
    void DoDataExchange() override;
    void OnInitDialog() override;
    // The close request: validate, save a changed tournament, end the dialog.
    void OnClose() override;
    void changeEvent(QEvent* event) override;

private:
    CPlatform& m_platform;
};
