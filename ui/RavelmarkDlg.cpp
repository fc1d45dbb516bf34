// Placeholder: the main window is being written.
#include "RavelmarkDlg.h"

#include "Platform.h"

CRavelmarkDlg::CRavelmarkDlg(CPlatform& platform, QWidget* parent)
    : CDialogBase(102, parent), m_platform(platform)
{
}
CRavelmarkDlg::~CRavelmarkDlg() = default;
void CRavelmarkDlg::WriteLine(const std::string& line) { m_outFile.WriteLine(line); }
bool CRavelmarkDlg::ParseTournament() { return false; }
void CRavelmarkDlg::ShowError(const QString&) {}
void CRavelmarkDlg::OnChooseTournament() {}
bool CRavelmarkDlg::ChooseTournamentFile(QString&) { return false; }
void CRavelmarkDlg::ResetTournament() {}
void CRavelmarkDlg::ShowTournament() {}
void CRavelmarkDlg::FillRoundList() {}
void CRavelmarkDlg::OnChangeTitle() {}
void CRavelmarkDlg::OnClickRoundList() {}
void CRavelmarkDlg::UpdateRoundButtons() {}
void CRavelmarkDlg::RebuildStandings() {}
QString CRavelmarkDlg::ToDisplay(const std::string&) const { return {}; }
std::string CRavelmarkDlg::FromDisplay(const QString&) const { return {}; }
void CRavelmarkDlg::DoDataExchange() {}
void CRavelmarkDlg::OnInitDialog() {}
void CRavelmarkDlg::OnOK() {}
void CRavelmarkDlg::OnCancel() {}
