// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the series rules.
#include "ui/RavelmarkDlg.h"

void CRavelmarkDlg::OnRules() {}
