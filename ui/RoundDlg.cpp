// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RoundDlg.h"

#include "model/Encoding.h"
#include "model/Messages.h"
#include "model/Text.h"
#include "ui/Controls.h"
#include "ui/NameList.h"
#include "ui/Platform.h"
#include "ui/TextEntry.h"
#include "ui/UndoSteps.h"

#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// A result added, or the points of the player's result replaced in place.
class CResultStep : public QUndoCommand
{
public:
    CResultStep(CRoundDlg& dlg, CResult result, const QString& text)
        : QUndoCommand(text)
        , m_dlg(dlg)
        , m_result(result)
    {
        const std::vector<CResult>& results = dlg.m_round.m_results;
        m_index = results.size();
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (results[i].m_player == result.m_player) {
                m_index = i;
                m_before = results[i].m_points;
            }
        }
    }
    void redo() override
    {
        m_dlg.m_listResults->Change([this] { m_dlg.m_round.AddResult(m_result); });
    }
    void undo() override
    {
        if (m_before)
            m_dlg.m_listResults->Change([this] { m_dlg.m_round.m_results[m_index].m_points = *m_before; });
        else
            m_dlg.m_listResults->RemoveRow(static_cast<int>(m_index), [this] { m_dlg.m_round.m_results.pop_back(); });
    }

private:
    CRoundDlg& m_dlg;
    CResult m_result;
    std::size_t m_index;
    std::optional<int> m_before; // the points replaced
};

class CRemoveResultStep : public QUndoCommand
{
public:
    CRemoveResultStep(CRoundDlg& dlg, std::size_t index, const QString& text)
        : QUndoCommand(text)
        , m_dlg(dlg)
        , m_index(index)
        , m_result(dlg.m_round.m_results[index])
    {
    }
    void redo() override
    {
        std::vector<CResult>& results = m_dlg.m_round.m_results;
        m_dlg.m_listResults->RemoveRow(static_cast<int>(m_index),
                                       [&] { results.erase(results.begin() + static_cast<std::ptrdiff_t>(m_index)); });
    }
    void undo() override
    {
        std::vector<CResult>& results = m_dlg.m_round.m_results;
        results.insert(results.begin() + static_cast<std::ptrdiff_t>(m_index), m_result);
        m_dlg.m_listResults->Refill();
    }

private:
    CRoundDlg& m_dlg;
    std::size_t m_index;
    CResult m_result;
};

// Typing in the round's name: one step per visit of the field, none when typed back.
class CNameStep : public QUndoCommand
{
public:
    CNameStep(CRoundDlg& dlg, std::string name, int visit)
        : QUndoCommand(QStringLiteral("Omgångens namn"))
        , m_dlg(dlg)
        , m_before(dlg.m_round.m_name)
        , m_after(std::move(name))
        , m_visit(visit)
    {
    }
    void redo() override { Show(m_after); }
    void undo() override { Show(m_before); }
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const CNameStep*>(other);
        if (next->m_visit != m_visit)
            return false;
        m_after = next->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

private:
    void Show(const std::string& name)
    {
        m_dlg.m_round.m_name = name;
        m_dlg.ShowName();
    }

    CRoundDlg& m_dlg;
    std::string m_before, m_after;
    int m_visit;
};

} // namespace

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

    m_editName->SetText(ToDisplay(m_round.m_name));

    FillResultList();

    m_comboName->SetListModel(&m_players);
    m_comboName->SetInlineCompletion(true);

    QStringList points;
    for (int i = 0; i <= 25; ++i)
        points.append(QString::number(i));
    m_comboPoints->AddStrings(points);
    FitPointsBox();

    // A box may hand the keys on to its text field itself, past the field's filters.
    m_undoKeys = new CUndoKeys(
        this, m_undo, {m_editName, m_comboName, m_comboName->lineEdit(), m_comboPoints, m_comboPoints->lineEdit()});
    // A step taken back or done again changes the round as much as the step did. The list is
    // shown anew without a selection, and a result loaded by "Redigera" may be gone.
    connect(&m_undo, &QUndoStack::indexChanged, this, &CRoundDlg::roundEdited);
    connect(&m_undo, &QUndoStack::indexChanged, this, [this] {
        UpdateResultButtons();
        m_editing.reset();
    });
    InstallPaste();
    InstallProposals();
    // A new round starts with its name; a round with results is opened for one more, and a
    // result typed by habit must not rename it.
    if (m_round.m_results.empty())
        m_editName->setFocus();
    else
        m_comboName->setFocus();
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
    UpdateResultButtons();
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
    const TextEncoding encoding = m_text.Encoding();
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
    const CResult result(m_text.Document().AddPlayer(name), points);
    // "Redigera" on a result, then another name: that result is corrected, not a second one added.
    if (m_editing && *m_editing != result.m_player && !ReplaceEdited(result))
        return;
    // The list is the tournament's players as the editor opened; a name new this evening
    // completes all the same at the next result.
    if (m_standings.RowOf(result.m_player) == CStandings::kNoRow)
        m_comboName->AddCompletion(ToDisplay(name));
    // The name steps hold names in the encoding they were typed in.
    if (m_text.Encoding() != encoding)
        m_undo.clear();
    // Appends a row or changes one in place, and shows it; the same result again changes nothing.
    if (std::find(m_round.m_results.begin(), m_round.m_results.end(), result) == m_round.m_results.end())
        m_undo.push(new CResultStep(*this, result, QStringLiteral("Resultat ") + ToDisplay(name)));
    m_editing.reset();
    const auto& results = m_round.m_results;
    const auto row =
        std::find_if(results.begin(), results.end(), [&](const CResult& r) { return r.m_player == result.m_player; });
    m_listResults->ScrollToRow(static_cast<int>(row - results.begin()));
    m_comboName->SetText(QString());
    m_comboPoints->SetText(QString());
    // Ready for the next result. The focus moves before the button is disabled: Qt would hand
    // a disabled focus on to the next control, the round's name, where the next key renames it.
    m_comboName->setFocus();
    m_btnAddResult->setEnabled(false);
    m_changed = true;
    emit roundEdited();
}

bool CRoundDlg::ReplaceEdited(const CResult& result)
{
    const auto& results = m_round.m_results;
    const auto at = [&](PlayerId player) {
        return std::find_if(results.begin(), results.end(), [&](const CResult& r) { return r.m_player == player; });
    };
    const auto edited = at(*m_editing), taken = at(result.m_player);
    if (edited == results.end())
        return true; // gone meanwhile: the result is an entry of its own
    const QString before = ToDisplay(m_tournament.PlayerName(*edited));
    const QString after = ToDisplay(m_tournament.PlayerName(result));
    if (taken != results.end() &&
        !m_platform.QuestionDefaultNo(
            this,
            QStringLiteral("%1 har redan ett resultat i omgången (%2 poäng). Ändra %3 till %1 med %4 poäng och "
                           "ta bort det?")
                .arg(after, QString::number(taken->m_points), before, QString::number(result.m_points)),
            AppName())) {
        m_comboName->setFocus();
        return false;
    }
    // One step: the corrected result in the place of the one edited.
    CRound corrected = m_round;
    const auto index = edited - results.begin();
    corrected.m_results[static_cast<std::size_t>(index)] = result;
    if (taken != results.end())
        corrected.m_results.erase(corrected.m_results.begin() + (taken - results.begin()));
    PushChange(corrected, QStringLiteral("Ändra %1 till %2").arg(before, after));
    return true;
}

void CRoundDlg::OnEditResult()
{
    const int mark = m_listResults->GetSelectionMark();
    if (mark < 0 || static_cast<std::size_t>(mark) >= m_round.m_results.size())
        return;
    m_editing = m_round.m_results[static_cast<std::size_t>(mark)].m_player;
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
    // Named with the points, so that the row meant is the row asked about; Enter alone keeps it.
    const QString question = QStringLiteral("Vill du ta bort spelare %1 (%2 poäng) ?")
                                 .arg(m_listResults->GetItemText(mark, 0), m_listResults->GetItemText(mark, 1));
    if (!m_platform.QuestionDefaultNo(this, question, QStringLiteral("Ta bort spelare")))
        return;
    if (static_cast<std::size_t>(mark) >= m_round.m_results.size())
        return;
    m_undo.push(new CRemoveResultStep(*this, static_cast<std::size_t>(mark),
                                      QStringLiteral("Ta bort ") + m_listResults->GetItemText(mark, 0)));
    m_changed = true;
    emit roundEdited();
}

void CRoundDlg::OnChangeName()
{
    // Text the tournament cannot take is not stored, so the field does not show it either. The
    // new name goes where the name is, as it replaces it; the step then puts it there again.
    const TextEncoding encoding = m_text.Encoding();
    std::string before = m_round.m_name;
    if (!m_text.FromDisplay(this, m_editName->text(), m_round.m_name, &m_round, m_replaces)) {
        m_editName->Restore(ToDisplay(m_round.m_name));
        m_editName->setFocus();
        return;
    }
    m_changed = true;
    if (m_text.Encoding() != encoding) {
        // The name steps hold names in the encoding they were typed in; the old name was converted too.
        m_undo.clear();
        before = ToUtf8(before, encoding);
    }
    std::string name = std::exchange(m_round.m_name, std::move(before));
    // Filling the field at the start is no step.
    if (name != m_round.m_name && m_undoKeys)
        m_undo.push(new CNameStep(*this, std::move(name), m_undoKeys->Visit()));
    else
        m_round.m_name = std::move(name);
    emit roundEdited();
}

void CRoundDlg::ShowName()
{
    const QString name = ToDisplay(m_round.m_name);
    if (m_editName->text() != name)
        m_editName->Restore(name);
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

bool CRoundDlg::OfferPendingResult()
{
    QString name = m_comboName->Text().trimmed(), points = m_comboPoints->Text().trimmed();
    if (name.isEmpty() || points.isEmpty())
        return true;
    // A result loaded by "Redigera" and left as it is, is in the round already.
    for (int row = 0; row < m_listResults->GetItemCount(); ++row)
        if (m_listResults->GetItemText(row, 0) == name && m_listResults->GetItemText(row, 1) == points)
            return true;
    const QString question = QStringLiteral("Lägga till %1 %2 innan omgången stängs?").arg(name, points);
    switch (m_platform.YesNoCancel(this, question, AppName())) {
    case CPlatform::Answer::Yes:
        OnAddResult();
        // Added when the boxes were emptied; a refused entry stays, with the focus where to mend it.
        return m_comboName->Text().isEmpty() && m_comboPoints->Text().isEmpty();
    case CPlatform::Answer::No:
        return true;
    case CPlatform::Answer::Cancel:
        break;
    }
    return false;
}

void CRoundDlg::OnClose()
{
    if (!OfferPendingResult())
        return;
    if (m_changed) {
        NormalizeName(m_round.m_name);
        if (m_listResults->GetItemCount() > 0 && m_round.m_name.empty()) {
            m_platform.ErrorBox(this, BuiltInText(msg::kEmptyRoundName));
            m_editName->setFocus();
            return;
        }
    }
    // A new round of a name alone is kept only when the user says so (a round written in ahead):
    // it would count as held.
    if (m_replaces == SIZE_MAX && m_round.m_results.empty() && !m_round.m_name.empty() &&
        !m_platform.QuestionDefaultNo(
            this, QStringLiteral("%1 har inga resultat. Lägga till den ändå?").arg(ToDisplay(m_round.m_name)),
            AppName()))
        m_round.m_name.clear();
    EndDialog(IDCANCEL);
}
