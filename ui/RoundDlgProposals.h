// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/ResultImport.h"
#include "server/ProposalBox.h"
#include "ui/RoundDlg.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

// Beside the round editor's own controls: the phones' address and its QR code while "Ta emot
// resultat" is ticked, and the list "Förslag" of what phones sent. A proposal goes into the
// round only through the editor's "Lägg Till", when the keeper accepts it.
class CProposalPanel : public QWidget
{
    Q_OBJECT
public:
    enum Column { kName, kPoints, kWord, kFrom, kColumns };

    explicit CProposalPanel(CRoundDlg& dlg);
    ~CProposalPanel() override;

    // Takes results for the round (a new code, the server started when needed), or stops.
    void Take(bool on);
    // The phones' address while results are taken; empty otherwise.
    QString Url() const { return m_url; }
    // What phones sent: the list's rows, waiting ones first, and the word each row shows.
    const std::vector<CProposal>& Shown() const { return m_shown; }
    const std::vector<CResultImport::CWord>& Words() const { return m_words; }

    // Enters proposal `row` as "Lägg Till" enters a typed result; false when it was refused.
    bool Accept(int row);
    // Enters every waiting proposal that is "känd" or "samma som förut", as one step.
    void AcceptKnown();
    void Reject(int row);
    // Reads the box again.
    void Refresh();

    QImage m_qrImage;
    QLabel* m_qr = nullptr;
    QLabel* m_address = nullptr;
    QLabel* m_text = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_btnAccept = nullptr;
    QPushButton* m_btnReject = nullptr;
    QPushButton* m_btnAcceptKnown = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int CurrentRow() const;
    void Select(int row);
    void UpdateButtons();

    CRoundDlg& m_dlg;
    CRoundDlg::CProposalHost m_host;
    CProposalBox* m_box = nullptr;
    QString m_url;
    std::vector<CProposal> m_shown;
    std::vector<CResultImport::CWord> m_words;
    QTimer m_arrivals;
};
