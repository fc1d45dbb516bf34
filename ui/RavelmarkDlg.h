#pragma once

#include "DialogBase.h"
#include "LineOutput.h"
#include "NameList.h"
#include "Standings.h"
#include "TextEntry.h"
#include "TextFile.h"
#include "Tournament.h"

#include <QDateTime>
#include <QIcon>
#include <QString>

#include <string>

class CEditField;
class CListView;
class CPlatform;
class QPushButton;

// The main window: owns the open tournament, its standings and its file for the whole run,
// and is the line output both file writers write through.
class CRavelmarkDlg : public CDialogBase, public CLineOutput
{
    Q_OBJECT
public:
    explicit CRavelmarkDlg(CPlatform& platform, QWidget* parent = nullptr);
    ~CRavelmarkDlg() override;

    // Writes the line and CR LF to m_outFile, which the caller has opened.
    void WriteLine(const std::string& line) override;

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
    CTextFileReader m_inFile;
    CTextFileWriter m_outFile;
    QDateTime m_fileStatus; // last modification of the tournament file when it was opened
    std::string m_line;     // the line last read
    int m_lineNo = 0;       // number of that line while a file is read; 0 otherwise
    CTournament m_tournament;
    CTextEntry m_text;       // typed text into m_tournament
    CStandings m_standings;
    CNameList m_playerNames{m_tournament, m_standings}; // the names the round editor offers
    bool m_changed = false;

    // --- reading (the file's grammar lives in the model) ---
    // Reads m_inFile into m_tournament; false when a line was refused (already shown) or
    // the file could not be read (reported as a file error).
    bool ParseTournament();
    // An error box with the text; while a file is read, the refused line's prefix first.
    void ShowError(const QString& message);

    // --- choosing and showing a tournament ---
    void OnChooseTournament();
    bool ChooseTournamentFile(QString& path);
    void ResetTournament();
    void ShowTournament();
    void FillRoundList();
    void OnChangeTitle();

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
    // Backup and new file, all or nothing; true when the file was saved. Failures are shown.
    bool SaveTournament();

    // The model's bytes as the window shows them, in the tournament's encoding.
    QString ToDisplay(const std::string& bytes) const;

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
