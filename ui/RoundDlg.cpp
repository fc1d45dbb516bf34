// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RoundDlg.h"

#include "model/Messages.h"
#include "model/Text.h"
#include "ui/Controls.h"
#include "ui/NameList.h"
#include "ui/Platform.h"
#include "ui/TextEntry.h"

#include <QPushButton>

#include <algorithm>

CRoundDlg::CRoundDlg(CRound& round, std::size_t replaces, CNameList& players, CTextEntry& text, CPlatform& platform,
                     QWidget* parent)
    : CDialogBase(IDD_ROUND_DIALOG, parent)
    , m_round(round)
    , m_tournament(text.Document().Tournament())
    , m_standings(players.Standings())
    , m_players(players)
    , m_text(text)
    , m_platform(platform)
    , m_replaces(replaces)
{
}

void CRoundDlg::DoDataExchange()
{
    DDX_Control(IDC_ROUND_NAME, m_editName, &CRoundDlg::OnChangeName);
    DDX_Control(IDC_RESULT_LIST, m_listResults, &CRoundDlg::OnClickResultList);
    DDX_Control(IDC_EDIT_RESULT, m_btnEditResult, &CRoundDlg::OnEditResult);
    DDX_Control(IDC_REMOVE_RESULT, m_btnRemoveResult, &CRoundDlg::OnRemoveResult);
    DDX_Control(IDC_ADD_RESULT, m_btnAddResult, &CRoundDlg::OnAddResult);
    DDX_Control(IDC_PLAYER_NAME, m_comboName, &CRoundDlg::OnChangeEntry);
    DDX_Control(IDC_POINTS, m_comboPoints, &CRoundDlg::OnChangeEntry);
}

CRoundDlg::~CRoundDlg()
{
    ReleaseControls();
}

QString CRoundDlg::ToDisplay(std::string_view bytes) const
{
    return m_text.ToDisplay(bytes);
}

QString CRoundDlg::PlayerName(int row) const
{
    return ToDisplay(m_tournament.PlayerName(m_round.m_results[static_cast<std::size_t>(row)]));
}

void CRoundDlg::OnInitDialog()
{
    const int width = m_listResults->ClientWidth();
    m_listResults->InsertColumn(0, QStringLiteral("Deltagare"), Qt::AlignLeft, 4 * (width / 5));
    m_listResults->InsertColumn(1, QStringLiteral("Poäng"), Qt::AlignHCenter, width / 5);
    m_listResults->SetSource([this] { return static_cast<int>(m_round.m_results.size()); },
                             [this](int row, int column) {
                                 return column == 0 ? PlayerName(row)
                                                    : QString::number(
                                                          m_round.m_results[static_cast<std::size_t>(row)].m_points);
                             });

    // Keys reach what a click does: a row selected by key, Delete for "Ta Bort".
    connect(m_listResults, &CListView::keySelected, this, &CRoundDlg::UpdateResultButtons);
    connect(m_listResults, &CListView::deletePressed, this, [this] {
        if (m_btnRemoveResult->isEnabled())
            OnRemoveResult();
    });
    // From the round's name, Tab goes on to the first result's name while there is no row to pick.
    m_listResults->SkipWhileEmpty();

    m_editName->SetText(ToDisplay(m_round.m_name));

    FillResultList();

    m_comboName->SetListModel(&m_players);
    m_comboName->SetInlineCompletion(true);

    QStringList points;
    for (int i = 0; i <= 25; ++i)
        points.append(QString::number(i));
    m_comboPoints->AddStrings(points);
    FitPointsBox();

    m_editName->setFocus();
}

void CRoundDlg::FitPointsBox()
{
    // Four digits fit the points box on Windows; Qt's drop-down button leaves less room, so
    // the box takes what it lacks from the name box beside it.
    const int missing = m_comboPoints->MissingWidth(QStringLiteral("0000"));
    if (missing <= 0)
        return;
    m_comboName->resize(m_comboName->width() - missing, m_comboName->height());
    m_comboPoints->setGeometry(m_comboPoints->geometry().adjusted(-missing, 0, 0, 0));
}

void CRoundDlg::FillResultList()
{
    m_listResults->Refill();
}

void CRoundDlg::OnAddResult()
{
    // Bytes in the current encoding serve the checks; the name is stored only once they pass.
    std::string name = FromQString(m_comboName->Text(), m_text.Encoding());
    TrimSpaces(name);
    std::string pointsText = FromQString(m_comboPoints->Text(), m_text.Encoding());
    TrimSpaces(pointsText);
    if (name.empty() && pointsText.empty())
        return;
    if (name.empty()) {
        m_comboName->setFocus();
        return;
    }
    int points = 0;
    if (!IsInteger(pointsText, points)) {
        m_comboPoints->setFocus();
        return;
    }
    if (!m_text.FromDisplay(this, m_comboName->Text(), name, &m_round, m_replaces)) {
        // Nothing of the typed name was stored: the box shows nothing.
        m_comboName->SetText(QString());
        m_comboName->setFocus();
        return;
    }
    TrimSpaces(name);
    // A new name that is probably a known player spelled another way: one question, and no
    // second one for this spelling, which joins the tournament's names either way.
    PlayerId known = 0;
    if (!m_tournament.m_players.Find(name, known) && m_players.FindNearDuplicate(ToDisplay(name), known) &&
        m_platform.Question(this, QStringLiteral("Menar du %1?").arg(ToDisplay(m_tournament.PlayerName(known))),
                            AppName()))
        name = m_tournament.PlayerName(known);
    // Appends a row or changes one in place, and shows it.
    const PlayerId player = m_text.Document().AddPlayer(name);
    m_listResults->Change([&] { m_round.AddResult(CResult(player, points)); });
    const auto& results = m_round.m_results;
    const auto row =
        std::find_if(results.begin(), results.end(), [&](const CResult& r) { return r.m_player == player; });
    m_listResults->ScrollToRow(static_cast<int>(row - results.begin()));
    m_comboName->SetText(QString());
    m_comboPoints->SetText(QString());
    // Ready for the next result. The focus moves before the button is disabled: Qt would hand
    // a disabled focus on to the next control, the round's name, where the next key renames it.
    m_comboName->setFocus();
    m_btnAddResult->setEnabled(false);
    m_changed = true;
}

void CRoundDlg::OnEditResult()
{
    const int mark = m_listResults->GetSelectionMark();
    if (mark < 0)
        return;
    m_comboName->SetText(m_listResults->GetItemText(mark, 0));
    m_comboPoints->SetText(m_listResults->GetItemText(mark, 1));
    m_comboPoints->setFocus();
    // Typing replaces the points rather than adding to them.
    m_comboPoints->lineEdit()->selectAll();
    m_btnAddResult->setEnabled(true);
}

void CRoundDlg::OnRemoveResult()
{
    const int mark = m_listResults->GetSelectionMark();
    if (mark < 0)
        return;
    const QString question =
        QStringLiteral("Vill du ta bort spelare ") + m_listResults->GetItemText(mark, 0) + QStringLiteral(" ?");
    if (!m_platform.Question(this, question, QStringLiteral("Ta bort spelare")))
        return;
    if (static_cast<std::size_t>(mark) >= m_round.m_results.size())
        return;
    m_listResults->RemoveRow(mark, [&] { m_round.m_results.erase(m_round.m_results.begin() + mark); });
    m_changed = true;
}

void CRoundDlg::OnChangeName()
{
    // Text the tournament cannot take is not stored, so the field does not show it either.
    if (!m_text.FromDisplay(this, m_editName->text(), m_round.m_name, &m_round, m_replaces)) {
        m_editName->Restore(ToDisplay(m_round.m_name));
        m_editName->setFocus();
        return;
    }
    m_changed = true;
}

void CRoundDlg::OnClickResultList()
{
    UpdateResultButtons();
}

void CRoundDlg::UpdateResultButtons()
{
    const bool marked = m_listResults->GetSelectionMark() >= 0;
    m_btnEditResult->setEnabled(marked);
    m_btnRemoveResult->setEnabled(marked);
}

void CRoundDlg::OnChangeEntry()
{
    m_btnAddResult->setEnabled(true);
}

void CRoundDlg::OnClose()
{
    if (m_changed) {
        NormalizeName(m_round.m_name);
        if (m_listResults->GetItemCount() > 0 && m_round.m_name.empty()) {
            m_platform.ErrorBox(this, BuiltInText(msg::kEmptyRoundName));
            m_editName->setFocus();
            return;
        }
    }
    EndDialog(IDCANCEL);
}
