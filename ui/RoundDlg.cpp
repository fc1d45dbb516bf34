// Placeholder: the round editor is being written.
#include "RoundDlg.h"

CRoundDlg::CRoundDlg(CRound& round, const CStandings& standings, CPlatform& platform, TextEncoding encoding,
                     QWidget* parent)
    : CDialogBase(129, parent), m_round(round), m_standings(standings), m_platform(platform), m_encoding(encoding)
{
}
void CRoundDlg::FillResultList() {}
void CRoundDlg::OnAddResult() {}
void CRoundDlg::OnEditResult() {}
void CRoundDlg::OnRemoveResult() {}
void CRoundDlg::OnChangeName() {}
void CRoundDlg::OnClickResultList() {}
void CRoundDlg::UpdateResultButtons() {}
void CRoundDlg::OnChangeEntry() {}
void CRoundDlg::DoDataExchange() {}
void CRoundDlg::OnInitDialog() {}
void CRoundDlg::OnOK() {}
void CRoundDlg::OnCancel() {}
void CRoundDlg::OnClose() { EndDialog(IDCANCEL); }
