#include "RoundDlg.h"

#include "Controls.h"
#include "Messages.h"
#include "Platform.h"
#include "Text.h"

#include <QPushButton>

CRoundDlg::CRoundDlg(CRound& round, CTournament& tournament, const CStandings& standings, CPlatform& platform,
                     QWidget* parent)
    : CDialogBase(129, parent)
    , m_round(round)
    , m_tournament(tournament)
    , m_standings(standings)
    , m_platform(platform)
{
    DoDataExchange();
    connect(m_btnAddResult, &QPushButton::clicked, this, &CRoundDlg::OnAddResult);
    connect(m_btnEditResult, &QPushButton::clicked, this, &CRoundDlg::OnEditResult);
    connect(m_btnRemoveResult, &QPushButton::clicked, this, &CRoundDlg::OnRemoveResult);
    connect(m_editName, &CEditField::changed, this, &CRoundDlg::OnChangeName);
    connect(m_listResults, &CListView::clicked, this, &CRoundDlg::OnClickResultList);
    for (CComboBox* combo : {m_comboName, m_comboPoints}) {
        connect(combo, &CComboBox::selectionChanged, this, &CRoundDlg::OnChangeEntry);
        connect(combo, &CComboBox::textEdited, this, &CRoundDlg::OnChangeEntry);
    }
}

CRoundDlg::~CRoundDlg()
{
    DisconnectControls();
}

void CRoundDlg::DoDataExchange()
{
    m_editName = Control<CEditField>(1008);
    m_listResults = Control<CListView>(1007);
    m_btnEditResult = Control<QPushButton>(1010);
    m_btnRemoveResult = Control<QPushButton>(1011);
    m_btnAddResult = Control<QPushButton>(1009);
    m_comboName = Control<CComboBox>(1012);
    m_comboPoints = Control<CComboBox>(1013);
}

QString CRoundDlg::ToDisplay(const std::string& bytes) const
{
    return ToQString(bytes, m_tournament.m_encoding);
}

std::string CRoundDlg::FromDisplay(const QString& text) const
{
    return FromQString(text, m_tournament.m_encoding);
}

void CRoundDlg::OnInitDialog()
{
    const int width = m_listResults->ClientWidth();
    m_listResults->InsertColumn(0, QStringLiteral("Deltagare"), Qt::AlignLeft, 4 * (width / 5));
    m_listResults->InsertColumn(1, QStringLiteral("Poäng"), Qt::AlignHCenter, width / 5);

    m_editName->SetText(ToDisplay(m_round.m_name));

    FillResultList();

    QStringList names;
    names.reserve(static_cast<qsizetype>(m_standings.m_rows.size()));
    for (const CPlayerRow& row : m_standings.m_rows)
        names.append(ToDisplay(m_tournament.PlayerName(row.m_player)));
    m_comboName->AddStrings(names);

    QStringList points;
    for (int i = 0; i <= 25; ++i)
        points.append(QString::number(i));
    m_comboPoints->AddStrings(points);

    m_editName->setFocus();
}

void CRoundDlg::FillResultList()
{
    m_listResults->DeleteAllItems();
    int row = 0;
    for (const CResult& result : m_round.m_results) {
        m_listResults->InsertItem(row, ToDisplay(m_tournament.PlayerName(result)));
        m_listResults->SetItemText(row, 1, QString::number(result.m_points));
        ++row;
    }
}

void CRoundDlg::OnAddResult()
{
    std::string name = FromDisplay(m_comboName->Text());
    TrimSpaces(name);
    std::string pointsText = FromDisplay(m_comboPoints->Text());
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
    m_round.AddResult(m_tournament.MakeResult(name, points));
    FillResultList();
    m_comboName->SetText(QString());
    m_comboPoints->SetText(QString());
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
    m_round.m_results.erase(m_round.m_results.begin() + mark);
    FillResultList();
    m_changed = true;
}

void CRoundDlg::OnChangeName()
{
    m_round.m_name = FromDisplay(m_editName->text());
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

void CRoundDlg::OnOK()
{
    Trace("--- CRoundDlg::OnOK()\n");
}

void CRoundDlg::OnCancel()
{
    Trace("--- CRoundDlg::OnCancel()\n");
}
