// Placeholder: the main window's commands are being written (Ny, Redigera, Ta Bort, Skapa Tabell, close).
#include "RavelmarkDlg.h"

void CRavelmarkDlg::OnNewRound() {}
void CRavelmarkDlg::OnEditRound() {}
void CRavelmarkDlg::OnRemoveRound() {}
void CRavelmarkDlg::OnCreateTable() {}
void CRavelmarkDlg::OpenReport(const QString&) {}
bool CRavelmarkDlg::SaveTournament() { return false; }
void CRavelmarkDlg::OnClose() { EndDialog(IDCANCEL); }
