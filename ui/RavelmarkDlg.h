// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/TournamentFile.h"
#include "model/Tournament.h"
#include "report/Standings.h"
#include "ui/DialogBase.h"
#include "ui/NameList.h"
#include "ui/TextEntry.h"

#include <QDateTime>
#include <QIcon>
#include <QString>

#include <string>

class CEditField;
class CListView;
class CPlatform;
class QPushButton;

// The main window: owns the open tournament, its standings and its file for the whole run;
// the tournament-file service does the file work, the window shows its outcome.
class CRavelmarkDlg : public CDialogBase
{
    Q_OBJECT
public:
    explicit CRavelmarkDlg(CPlatform& platform, QWidget* parent = nullptr);
    ~CRavelmarkDlg() override;

    // Controls of template 102, bound by DoDataExchange.
    QPushButton* m_btnChoose = nullptr;      // 1000 "Välj Turnering"
    QPushButton* m_btnCreateTable = nullptr; // 1001 "Skapa Tabell"
    CEditField* m_editTitle = nullptr;       // 1003
    CListView* m_listRounds = nullptr;       // 1002
    QPushButton* m_btnNew = nullptr;         // 1004 "Ny"
    QPushButton* m_btnEdit = nullptr;        // 1005 "Redigera"
    QPushButton* m_btnRemove = nullptr;      // 1006 "Ta Bort"
    QIcon m_hIcon;

    QString m_filePath;   // full path of the tournament file
    QString m_reportPath; // full path of the last page written
    QDateTime m_fileStatus; // last modification of the tournament file when it was opened
    std::string m_line;     // the line the reader refused
    int m_lineNo = 0;       // number of that line while its message is shown; 0 otherwise
    CTournament m_tournament;
    CTextEntry m_text;       // typed text into m_tournament
    CStandings m_standings;
    CNameList m_playerNames{m_tournament, m_standings}; // the names the round editor offers
    bool m_changed = false;
    bool m_shown = false; // the window shows a tournament read from m_filePath

    // An error box with the text; for a refused line, the line's prefix first.
    void ShowError(const QString& message);
    // Shows what went wrong in a file operation; true when it was done.
    bool ShowResult(const CFileResult& result);

    // --- choosing and showing a tournament ---
    void OnChooseTournament();
    // Reads the file and shows it, as a confirmed choice does; m_changed ends false.
    void OpenTournament(const QString& path);
    bool ChooseTournamentFile(QString& path);
    void ResetTournament();
    void ShowTournament();
    void FillRoundList();
    void OnChangeTitle();
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
    void RebuildStandings();
    // The title trimmed, then backup and new file, all or nothing; true when the file was
    // saved. Failures are shown; an empty title puts the focus in its field.
    bool SaveTournament();

    // The model's bytes as the window shows them, in the tournament's encoding.
    QString ToDisplay(std::string_view bytes) const;

protected:
    void DoDataExchange();
    void OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The close request: validate, save a changed tournament, end the dialog.
    void OnClose() override;

private:
    CPlatform& m_platform;
};
