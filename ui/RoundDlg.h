// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Tournament.h"
#include "report/Standings.h"
#include "ui/DialogBase.h"

#include <QPointer>
#include <QUndoStack>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class CComboBox;
class CPageServer;
class CProposalPanel;
class QCheckBox;
class CEditField;
class CListView;
class CPlatform;
class CNameList;
class CTextEntry;
class CUndoKeys;
class QPushButton;

// The round editor: edits one round's name and results in place. The caller reads
// m_changed after the dialog has ended.
class CRoundDlg : public CDialogBase
{
    Q_OBJECT
public:
    // `round` is to take the place of round `replaces` of the tournament of `text`, or to be
    // added to it (SIZE_MAX): a typed new name joins the tournament's names, and `text` is how
    // the tournament shows and stores text. `players` offers the names of the standings.
    CRoundDlg(CRound& round, std::size_t replaces, CNameList& players, CTextEntry& text, CPlatform& platform,
              QWidget* parent = nullptr);
    ~CRoundDlg() override;

    // Controls of template 129.
    CEditField* m_editName = nullptr;         // IDC_ROUND_NAME
    CListView* m_listResults = nullptr;       // IDC_RESULT_LIST
    QPushButton* m_btnEditResult = nullptr;   // IDC_EDIT_RESULT "Redigera"
    QPushButton* m_btnRemoveResult = nullptr; // IDC_REMOVE_RESULT "Ta Bort"
    QPushButton* m_btnAddResult = nullptr;    // IDC_ADD_RESULT "Lägg Till"
    CComboBox* m_comboName = nullptr;         // IDC_PLAYER_NAME
    CComboBox* m_comboPoints = nullptr;       // IDC_POINTS

    bool m_changed = false;
    CRound& m_round;
    const CTournament& m_tournament;
    const CStandings& m_standings;

    void FillResultList();
    void OnAddResult();
    void OnEditResult();
    void OnRemoveResult();
    void OnChangeName();
    void OnClickResultList();
    void UpdateResultButtons();
    void OnChangeEntry();

    // The editor's own steps (a result added or replaced, a result removed, the name), undone
    // within it while it is open.
    QUndoStack m_undo;
    // The name field shows the round's name (after a step taken back).
    void ShowName();

    // "Klistra in resultat": the rows of `text` in their dialog, then those it lets through
    // entered as "Lägg Till" enters them, in one step. Opened by a paste in the result list
    // (Ctrl+V, Shift+Insert, its context menu) or of text with a tab or a line break into
    // either name box, by any way of pasting.
    void PasteResults(const QString& text);

    // "Ta emot resultat": results proposed from phones, listed for the keeper to accept or
    // reject (ui/RoundDlgProposals.cpp).
    struct CProposalHost
    {
        CPageServer* m_server = nullptr; // the served page's server, running; none: m_problem says why
        QPointer<QObject> m_owner;       // what the server lives in
        QString m_pageUrl;               // "http://ADDRESS:PORT/"
        QString m_log;                   // NAME.forslag.log
        QString m_problem;
    };
    // Starts the served page's server when it is not running; set by the main window.
    std::function<CProposalHost()> m_proposalHost;
    QCheckBox* m_checkProposals = nullptr; // "Ta emot resultat", below the template's controls
    CProposalPanel* m_proposals = nullptr;

signals:
    // The round changed (name, a result added, changed or removed); m_changed is set.
    void roundEdited();

protected:
    void DoDataExchange() override;
    void OnInitDialog() override;
    void OnClose() override;

private:
    QString ToDisplay(std::string_view bytes) const;
    // The player name of result `row`, as the list shows it.
    QString PlayerName(int row) const;
    void FitPointsBox();
    // The result loaded by "Redigera" takes `result`, a changed name, in its place, as one step;
    // when that name has a result already, only if the user says so. False: nothing done.
    bool ReplaceEdited(const CResult& result);
    // `after` in the round's place, as one step of the editor.
    void PushChange(const CRound& after, const QString& text);
    // A name and points typed but not added: the user says whether they go in before the
    // round closes. False when the editor stays open.
    bool OfferPendingResult();
    // The ways to "Klistra in resultat" (ui/RoundDlgPaste.cpp).
    void InstallPaste();
    // "Ta emot resultat" and the list "Förslag" (ui/RoundDlgProposals.cpp).
    void InstallProposals();
    friend class CProposalPanel;

    CNameList& m_players;
    CTextEntry& m_text;
    CPlatform& m_platform;
    std::size_t m_replaces;
    CUndoKeys* m_undoKeys = nullptr;
    std::optional<PlayerId> m_editing; // the player of the result loaded by "Redigera"
};
