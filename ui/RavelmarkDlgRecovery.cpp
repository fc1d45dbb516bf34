// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's part in the recovery file: the round open in the editor, and the question
// about unsaved changes that a crash left behind.
#include "server/ProposalBox.h"
#include "ui/MobileDlg.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"
#include "ui/RoundDlg.h"

#include <QFileInfo>

void CRavelmarkDlg::OfferRecovery()
{
    CRecoveryFound found;
    if (!FindRecovery(m_doc.Path(), found))
        return;
    const QString question =
        QStringLiteral("Det finns osparade ändringar av %1 från %2 (%3 omgångar). Vill du fortsätta med dem?")
            .arg(QFileInfo(m_doc.Path()).fileName(), found.m_written.toLocalTime().toString(QStringLiteral("HH:mm")),
                 QString::number(found.m_tournament.m_rounds.size()));
    if (!m_platform.Question(this, question, AppName())) {
        // The file stays as it is; the changes stay beside it, under a name that is never asked about.
        KeepRecoveryFile(found.m_path, m_doc.Path());
        return;
    }
    // As unsaved changes: the close saves them the usual way, with a backup.
    m_recovery.Adopt(found.m_path);
    m_doc.Recover(std::move(found.m_tournament));
    ShowTournament();
}

void CRavelmarkDlg::FollowEditor(CRoundDlg& editor, const CRound& round, std::size_t replaces)
{
    // Through the document: the recovery file and the page on phones follow it as any change.
    m_doc.SetWorkingRound(&round, replaces);
    connect(&editor, &CRoundDlg::roundEdited, &m_doc, &CTournamentDoc::WorkingRoundEdited);
    connect(&editor, &QDialog::finished, &m_doc, [this] { m_doc.SetWorkingRound(nullptr); });
    // Results from phones: on the served page's server, started as "Visa på mobil" starts it.
    editor.m_proposalHost = [this, &editor] {
        CRoundDlg::CProposalHost host;
        auto* mobile = findChild<CMobileDlg*>();
        if (!mobile || !mobile->isVisible() || !mobile->Serving()) {
            OnShowMobile();
            mobile = findChild<CMobileDlg*>();
            // The page's window only shows; the keeper's keys stay in the editor.
            editor.activateWindow();
        }
        if (mobile && mobile->Serving()) {
            host.m_server = &mobile->Server();
            host.m_owner = mobile;
            host.m_pageUrl = mobile->PageUrl();
        } else {
            host.m_problem =
                QStringLiteral("Sidan kan inte visas på det lokala nätverket, så telefonerna når den inte.");
        }
        if (!m_doc.Path().isEmpty())
            host.m_log = ProposalLogPath(m_doc.Path());
        return host;
    };
}
