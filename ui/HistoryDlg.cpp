// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the history.
#include "ui/RavelmarkDlg.h"

void CRavelmarkDlg::OnHistory() {}
