// SPDX-License-Identifier: GPL-3.0-or-later
// The round editor's "Klistra in resultat": results pasted from a spreadsheet or another
// program, seen in their dialog first, then entered as one step.
#include "model/RoundDelta.h"
#include "ui/Controls.h"
#include "ui/NameList.h"
#include "ui/PasteResultsDlg.h"
#include "ui/RoundDlg.h"
#include "ui/TextEntry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>
#include <memory>

namespace {

// Several results changed as one (the pasted rows, a corrected name), taken back and done again as one.
class CChangeStep : public QUndoCommand
{
public:
    CChangeStep(CRoundDlg& dlg, CRoundDelta delta, const QString& text)
        : QUndoCommand(text)
        , m_dlg(dlg)
        , m_delta(std::move(delta))
    {
    }
    void redo() override
    {
        // Rows appended or changed in place are shown as such; a row taken out (a corrected
        // name that had a result) needs the list shown anew.
        std::vector<CResult>& results = m_dlg.m_round.m_results;
        const std::size_t before = results.size();
        m_dlg.m_listResults->Change([this] { m_delta.Redo(m_dlg.m_round); });
        if (results.size() < before)
            m_dlg.m_listResults->Refill();
    }
    void undo() override
    {
        m_delta.Undo(m_dlg.m_round);
        m_dlg.m_listResults->Refill();
    }

private:
    CRoundDlg& m_dlg;
    CRoundDelta m_delta;
};

} // namespace

void CRoundDlg::PushChange(const CRound& after, const QString& text)
{
    CRoundDelta delta(m_round, after);
    if (!delta.Empty())
        m_undo.push(new CChangeStep(*this, std::move(delta), text));
}

void CRoundDlg::InstallPaste()
{
    auto* paste = new QAction(QStringLiteral("Klistra in resultat…"), m_listResults);
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Paste);
    if (!keys.contains(QKeySequence(Qt::SHIFT | Qt::Key_Insert)))
        keys.append(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    paste->setShortcuts(keys);
    paste->setShortcutContext(Qt::WidgetShortcut);
    m_listResults->addAction(paste);
    m_listResults->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(paste, &QAction::triggered, this, [this] {
        const QString text = QApplication::clipboard()->text();
        if (text.trimmed().isEmpty())
            QApplication::beep();
        else
            PasteResults(text);
    });
    // A block (or a line with tabs) pasted into a name box is results: by every way of pasting.
    for (CPasteGuard* guard : {m_editName->PasteGuard(), m_comboName->PasteGuard()})
        guard->SetBlockHandler([this](const QString& text) { PasteResults(text); });
}

void CRoundDlg::PasteResults(const QString& text)
{
    // The editor's boxes refuse what does not fit them; so does the paste.
    CResultImport::CLimits limits;
    limits.m_nameFits = [this](std::string_view name) {
        return m_comboName->MissingWidth(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))) == 0;
    };
    limits.m_pointsFits = [this](std::string_view points) {
        return m_comboPoints->MissingWidth(QString::fromUtf8(points.data(), static_cast<qsizetype>(points.size()))) ==
               0;
    };
    CPasteResultsDlg dialog(text, m_round, m_tournament, m_players.Matcher(), &m_players, limits, this);
    if (dialog.exec() != QDialog::Accepted)
        return;

    // A new name goes in as a typed one does: text the tournament's encoding cannot hold asks
    // once about UTF-8, and is left out when that is refused.
    const TextEncoding encoding = m_text.Encoding();
    std::vector<CResult> results;
    for (const CResultImport::CRow& row : dialog.Import().Rows()) {
        if (!CResultImport::Entered(row))
            continue;
        if (row.m_player) {
            results.emplace_back(*row.m_player, row.m_points);
            continue;
        }
        std::string name;
        if (m_text.FromDisplay(this, QString::fromStdString(row.m_name), name, &m_round, m_replaces))
            results.emplace_back(m_text.Document().AddPlayer(name), row.m_points);
    }
    if (results.empty())
        return;
    // The name steps hold names in the encoding they were typed in.
    if (m_text.Encoding() != encoding)
        m_undo.clear();
    CRound after = m_round;
    AddResults(after, results);
    PushChange(after, QStringLiteral("Klistra in %1 resultat").arg(results.size()));
    // The list shows the last row entered; the next entry goes into the name box.
    const auto& rows = m_round.m_results;
    const auto last =
        std::find_if(rows.begin(), rows.end(), [&](const CResult& r) { return r.m_player == results.back().m_player; });
    m_listResults->ScrollToRow(static_cast<int>(last - rows.begin()));
    m_comboName->setFocus();
    m_changed = true;
    emit roundEdited();
}
