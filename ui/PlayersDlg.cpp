// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the club's players, and the dialog it opens.
#include "ui/PlayersDlg.h"

#include "files/NameMatch.h"
#include "model/Encoding.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"
#include "ui/TextEntry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

CPlayersStep::CPlayersStep(CTournamentDoc& doc, std::vector<CPlayerRename> renames, Bytes before, Bytes after,
                           std::function<void(const CFileResult&)> report, const QString& text)
    : CDocStep(doc, text)
    , m_renames(std::move(renames))
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_report(std::move(report))
{
}

void CPlayersStep::redo()
{
    if (std::exchange(m_skip, false))
        return;
    for (const CPlayerRename& rename : m_renames)
        m_doc.ApplyRename(rename, false);
    if (m_after != m_before)
        m_report(m_doc.PutPlayersFile(m_after));
}

void CPlayersStep::undo()
{
    for (auto rename = m_renames.rbegin(); rename != m_renames.rend(); ++rename)
        m_doc.ApplyRename(*rename, true);
    if (m_after != m_before)
        m_report(m_doc.PutPlayersFile(m_before));
}

// The dialog's own steps, which its Ctrl+Z takes back and Avbryt takes back all of.

// "Byt namn…": the rename in the tournament, and the dialog's record of it.
class CPlayersRenameStep : public QUndoCommand
{
public:
    CPlayersRenameStep(CPlayersDlg& dialog, PlayerId from, PlayerId to, std::pair<std::string, std::string> names,
                       const QString& text)
        : QUndoCommand(text)
        , m_dialog(dialog)
        , m_from(from)
        , m_to(to)
        , m_names(std::move(names))
    {
    }
    void redo() override;
    void undo() override;
    const CPlayerRename& Rename() const { return *m_rename; }

private:
    CPlayersDlg& m_dialog;
    PlayerId m_from, m_to;
    std::pair<std::string, std::string> m_names;
    std::optional<CPlayerRename> m_rename; // once made
    // Both players' class and team, first as the file has them, then as set here, before it.
    CPlayersDlg::CGroupsOf m_groups[2][2];
    // Both players' start values in the same way.
    CStartValue m_starts[2][2];
};

void CPlayersRenameStep::redo()
{
    CTournamentDoc& doc = m_dialog.m_doc;
    if (m_rename)
        doc.ApplyRename(*m_rename, false);
    else
        m_rename = doc.RenamePlayer(m_from, m_to);
    m_dialog.m_renames.push_back(m_names);
    // The new name takes the old one's class and team where it has none of its own.
    int i = 0;
    for (auto* map : {&m_dialog.m_initial, &m_dialog.m_assigned}) {
        CPlayersDlg::CGroupsOf& target = (*map)[m_to];
        CPlayersDlg::CGroupsOf& source = (*map)[m_from];
        m_groups[i][0] = source;
        m_groups[i++][1] = target;
        target.first = target.first.isEmpty() ? source.first : target.first;
        target.second = target.second.isEmpty() ? source.second : target.second;
        source = {};
    }
    i = 0;
    for (auto* map : {&m_dialog.m_initialStart, &m_dialog.m_assignedStart}) {
        CStartValue& target = (*map)[m_to];
        CStartValue& source = (*map)[m_from];
        m_starts[i][0] = source;
        m_starts[i++][1] = target;
        if (target.m_kind == CStartValue::None)
            target = source;
        source = {};
    }
    m_dialog.Refill();
    m_dialog.SelectPlayer(m_to);
}

void CPlayersRenameStep::undo()
{
    m_dialog.m_doc.ApplyRename(*m_rename, true);
    m_dialog.m_renames.pop_back();
    int i = 0;
    for (auto* map : {&m_dialog.m_initial, &m_dialog.m_assigned}) {
        (*map)[m_from] = m_groups[i][0];
        (*map)[m_to] = m_groups[i++][1];
    }
    i = 0;
    for (auto* map : {&m_dialog.m_initialStart, &m_dialog.m_assignedStart}) {
        (*map)[m_from] = m_starts[i][0];
        (*map)[m_to] = m_starts[i++][1];
    }
    m_dialog.Refill();
    m_dialog.SelectPlayer(m_from);
}

// A class or team set for the players selected; typing on for the same players is one step.
class CPlayersGroupStep : public QUndoCommand
{
public:
    CPlayersGroupStep(CPlayersDlg& dialog, bool team, QString value, std::vector<PlayerId> players)
        : QUndoCommand(team ? QStringLiteral("Lag") : QStringLiteral("Klass"))
        , m_dialog(dialog)
        , m_team(team)
        , m_value(std::move(value))
        , m_players(std::move(players))
    {
        for (const PlayerId id : m_players)
            m_before.push_back(Of(id));
    }
    void redo() override
    {
        Set([this](std::size_t) { return m_value; });
    }
    void undo() override
    {
        Set([this](std::size_t i) { return m_before[i]; });
    }
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const CPlayersGroupStep*>(other);
        if (next->m_team != m_team || next->m_players != m_players)
            return false;
        m_value = next->m_value;
        setObsolete(std::all_of(m_before.begin(), m_before.end(), [this](const QString& v) { return v == m_value; }));
        return true;
    }

private:
    QString& Of(PlayerId id) const
    {
        CPlayersDlg::CGroupsOf& groups = m_dialog.m_assigned[id];
        return m_team ? groups.second : groups.first;
    }
    template <typename Value>
    void Set(Value value)
    {
        for (std::size_t i = 0; i < m_players.size(); ++i)
            Of(m_players[i]) = value(i);
        m_dialog.ShowGroups(m_players);
    }

    CPlayersDlg& m_dialog;
    bool m_team;
    QString m_value;
    std::vector<PlayerId> m_players;
    std::vector<QString> m_before;
};

namespace {

// OK and Avbryt, accepting and rejecting `dialog`.
QDialogButtonBox* OkCancel(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    ok = buttons->button(QDialogButtonBox::Ok);
    cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setText(QStringLiteral("OK"));
    cancel->setText(QStringLiteral("Avbryt"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

CRenameDlg::CRenameDlg(const QString& name, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Byt namn"));
    auto* layout = new QFormLayout(this);
    m_editName = new QLineEdit(name, this);
    m_editName->selectAll();
    layout->addRow(QStringLiteral("&Nytt namn:"), m_editName);
    QPushButton* cancel = nullptr;
    layout->addRow(OkCancel(this, m_btnOK, cancel));
}

namespace {

// As the file reads a name back: trimmed, each run of blanks and tabs one blank.
QString AsStored(const QString& typed)
{
    QString name;
    for (const QChar c : typed.trimmed()) {
        const bool blank = c == u' ' || c == u'\t';
        if (!blank || !name.endsWith(u' '))
            name += blank ? QChar(u' ') : c;
    }
    return name;
}

// The entries of `groups` that name `player` (in the tournament's encoding) go; with `value`,
// the player joins that group, which is made when new.
void Assign(std::vector<CPlayerGroup>& groups, const std::string& player, TextEncoding encoding, const QString& value)
{
    std::string converted;
    for (CPlayerGroup& group : groups) {
        std::erase_if(group.m_players, [&](const std::string& entry) {
            return InTournamentEncoding(entry, encoding, converted) && converted == player;
        });
    }
    if (!value.isEmpty()) {
        const std::string name = value.toStdString();
        auto at = std::find_if(groups.begin(), groups.end(), [&](const CPlayerGroup& g) { return g.m_name == name; });
        if (at == groups.end())
            at = groups.insert(groups.end(), CPlayerGroup{name, {}});
        at->m_players.push_back(ToUtf8(player, encoding));
    }
}

} // namespace

CPlayersDlg::CPlayersDlg(CTournamentDoc& doc, CTextEntry& text, CPlatform& platform, QWidget* parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_text(text)
    , m_platform(platform)
{
    setWindowTitle(QStringLiteral("Spelare"));
    auto* layout = new QVBoxLayout(this);
    auto* filterRow = new QHBoxLayout;
    m_editFilter = new QLineEdit(this);
    m_editFilter->setPlaceholderText(QStringLiteral("Skriv för att söka"));
    m_editFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("&Sök:"), this);
    filterLabel->setBuddy(m_editFilter);
    m_checkSimilar = new QCheckBox(QStringLiteral("&Liknande namn"), this);
    m_checkSimilar->setToolTip(QStringLiteral("Bara namn som troligen är samma spelare stavad på två sätt"));
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_editFilter, 1);
    filterRow->addWidget(m_checkSimilar);
    layout->addLayout(filterRow);

    m_table = new QTableWidget(0, 7, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Namn"), QStringLiteral("Omgångar"), QStringLiteral("Summa"),
                                        QStringLiteral("Klass"), QStringLiteral("Lag"), QStringLiteral("Startvärde"),
                                        QStringLiteral("Hcp")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab leaves the table for the next control; the arrows move inside it.
    m_table->setTabKeyNavigation(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSortIndicator(Name, Qt::AscendingOrder);
    layout->addWidget(m_table, 1);

    auto* groupRow = new QFormLayout;
    m_comboClass = new QComboBox(this);
    m_comboTeam = new QComboBox(this);
    for (QComboBox* box : {m_comboClass, m_comboTeam}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    groupRow->addRow(QStringLiteral("&Klass:"), m_comboClass);
    groupRow->addRow(QStringLiteral("L&ag:"), m_comboTeam);
    auto* row = new QHBoxLayout;
    row->addLayout(groupRow, 1);
    row->addLayout(MakeStartControls(), 1);
    m_btnRename = new QPushButton(QStringLiteral("&Byt namn…"), this);
    m_btnRename->setAutoDefault(false);
    row->addWidget(m_btnRename, 0, Qt::AlignTop);
    layout->addLayout(row);

    layout->addWidget(OkCancel(this, m_btnOK, m_btnCancel));

    // Each player's class and team as the players file has them.
    const CTournament& tournament = m_doc.Tournament();
    const CPlayerGroups groups = GroupsOf(m_doc.ClubPlayers(), tournament);
    const auto nameOf = [](const std::vector<CPlayerGroup>& list, int index) {
        return index < 0 ? QString() : QString::fromStdString(list[static_cast<std::size_t>(index)].m_name);
    };
    for (PlayerId id = 0; id < tournament.m_players.Size(); ++id)
        m_initial[id] = {nameOf(m_doc.ClubPlayers().m_classes, groups.ClassOf(id)),
                         nameOf(m_doc.ClubPlayers().m_teams, groups.TeamOf(id))};
    m_assigned = m_initial;

    connect(m_editFilter, &QLineEdit::textChanged, this, &CPlayersDlg::ApplyFilter);
    connect(m_checkSimilar, &QCheckBox::toggled, this, &CPlayersDlg::ApplyFilter);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &CPlayersDlg::OnCurrentChanged);
    connect(m_comboClass, &QComboBox::currentTextChanged, this, [this](const QString& v) { SetGroup(false, v); });
    connect(m_comboTeam, &QComboBox::currentTextChanged, this, [this](const QString& v) { SetGroup(true, v); });
    connect(m_btnRename, &QPushButton::clicked, this, &CPlayersDlg::OnRename);
    m_steps = new QUndoStack(this);
    // A combo box hands the keys to its field itself, past the field's filters: both are watched.
    new CUndoKeys(this, *m_steps,
                  {m_editFilter, m_comboClass, m_comboClass->lineEdit(), m_comboTeam, m_comboTeam->lineEdit()});
    Refill();
    resize(560, 480);
    m_editFilter->setFocus();
}

void CPlayersDlg::Refill()
{
    m_filling = true;
    const CTournament& tournament = m_doc.Tournament();
    const CStandings& standings = m_doc.Standings();
    // The players with rounds played, and the known ones without.
    std::vector<PlayerId> shown;
    for (const CPlayerRow& row : standings.m_rows)
        shown.push_back(row.m_player);
    for (const PlayerId id : m_doc.Registered()) {
        if (standings.RowOf(id) == CStandings::kNoRow && std::find(shown.begin(), shown.end(), id) == shown.end())
            shown.push_back(id);
    }
    m_table->setSortingEnabled(false);
    m_table->clearContents();
    m_table->setRowCount(static_cast<int>(shown.size()));
    std::set<QString> classes, teams;
    for (const auto& [id, value] : m_assigned) {
        classes.insert(value.first);
        teams.insert(value.second);
    }
    for (int r = 0; r < static_cast<int>(shown.size()); ++r) {
        const PlayerId id = shown[static_cast<std::size_t>(r)];
        const std::uint32_t row = standings.RowOf(id);
        auto* name = new QTableWidgetItem(ToQString(tournament.PlayerName(id), tournament.m_encoding));
        name->setData(Qt::UserRole, static_cast<uint>(id));
        m_table->setItem(r, Name, name);
        const auto number = [&](Column column, qlonglong value) {
            auto* item = new QTableWidgetItem;
            item->setData(Qt::DisplayRole, value);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, column, item);
        };
        number(Played, row == CStandings::kNoRow ? 0 : standings.m_rows[row].m_roundsPlayed);
        number(Total, row == CStandings::kNoRow ? 0 : standings.m_rows[row].m_total);
        m_table->setItem(r, Class, new QTableWidgetItem(m_assigned[id].first));
        m_table->setItem(r, Team, new QTableWidgetItem(m_assigned[id].second));
        FillStart(r, id);
    }
    ShowHandicaps();
    m_table->setSortingEnabled(true);
    m_table->resizeColumnsToContents();
    for (auto [box, values] : {std::pair{m_comboClass, &classes}, std::pair{m_comboTeam, &teams}}) {
        box->clear();
        values->insert(QString());
        for (const QString& value : *values)
            box->addItem(value);
    }
    m_filling = false;
    ApplyFilter();
    OnCurrentChanged();
}

void CPlayersDlg::ApplyFilter()
{
    std::set<PlayerId> similar;
    if (m_checkSimilar->isChecked()) {
        // Among the players listed: a name a merge left without results is no one's any more.
        std::set<PlayerId> listed;
        for (int r = 0; r < m_table->rowCount(); ++r)
            listed.insert(static_cast<PlayerId>(m_table->item(r, Name)->data(Qt::UserRole).toUInt()));
        for (std::vector<PlayerId> group : NearDuplicates(m_doc.Tournament())) {
            std::erase_if(group, [&](PlayerId id) { return !listed.contains(id); });
            if (group.size() > 1)
                similar.insert(group.begin(), group.end());
        }
    }
    const QString text = m_editFilter->text().trimmed();
    for (int r = 0; r < m_table->rowCount(); ++r) {
        bool match = text.isEmpty();
        for (int c = 0; c < m_table->columnCount() && !match; ++c)
            match = m_table->item(r, c)->text().contains(text, Qt::CaseInsensitive);
        if (m_checkSimilar->isChecked())
            match =
                match && similar.contains(static_cast<PlayerId>(m_table->item(r, Name)->data(Qt::UserRole).toUInt()));
        m_table->setRowHidden(r, !match);
    }
}

void CPlayersDlg::OnCurrentChanged()
{
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    const bool any = !selected.isEmpty();
    m_btnRename->setEnabled(m_table->selectionModel()->selectedRows().size() == 1);
    m_comboClass->setEnabled(any);
    m_comboTeam->setEnabled(any);
    m_comboStart->setEnabled(any);
    m_spinStart->setEnabled(any && m_comboStart->currentIndex() > 0);
    if (!any)
        return;
    const int row = selected.front()->row();
    ShowStart(row);
    m_filling = true;
    m_comboClass->setCurrentText(m_table->item(row, Class)->text());
    m_comboTeam->setCurrentText(m_table->item(row, Team)->text());
    m_filling = false;
}

void CPlayersDlg::SetGroup(bool team, const QString& value)
{
    if (m_filling)
        return;
    std::vector<PlayerId> players;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        players.push_back(static_cast<PlayerId>(m_table->item(index.row(), Name)->data(Qt::UserRole).toUInt()));
    if (players.empty())
        return;
    std::sort(players.begin(), players.end());
    // The box keeps what is typed, blanks and all, while the step stores it trimmed.
    m_typing = true;
    m_steps->push(new CPlayersGroupStep(*this, team, value.trimmed(), std::move(players)));
    m_typing = false;
}

void CPlayersDlg::ShowGroups(const std::vector<PlayerId>& players)
{
    // Sorting would move the rows while they are set.
    m_table->setSortingEnabled(false);
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const auto id = static_cast<PlayerId>(m_table->item(r, Name)->data(Qt::UserRole).toUInt());
        if (std::binary_search(players.begin(), players.end(), id)) {
            m_table->item(r, Class)->setText(m_assigned[id].first);
            m_table->item(r, Team)->setText(m_assigned[id].second);
        }
    }
    m_table->setSortingEnabled(true);
    if (!m_typing)
        OnCurrentChanged();
}

void CPlayersDlg::SelectPlayer(PlayerId player)
{
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (m_table->item(r, Name)->data(Qt::UserRole).toUInt() == player)
            m_table->selectRow(r);
    }
}

void CPlayersDlg::OnRename()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.size() != 1)
        return;
    const auto from = static_cast<PlayerId>(m_table->item(rows.front().row(), Name)->data(Qt::UserRole).toUInt());
    const std::string fromName(m_doc.Tournament().PlayerName(from));
    const QString shownFrom = m_text.ToDisplay(fromName);
    CRenameDlg dialog(shownFrom, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString typed = AsStored(dialog.m_editName->text());
    std::string toName;
    if (typed.isEmpty() || !m_text.FromDisplay(this, typed, toName) || toName == fromName)
        return;
    PlayerId to = 0;
    const bool exists =
        m_doc.Tournament().m_players.Find(toName, to) &&
        (m_doc.Standings().RowOf(to) != CStandings::kNoRow ||
         std::find(m_doc.Registered().begin(), m_doc.Registered().end(), to) != m_doc.Registered().end());
    if (exists &&
        !m_platform.Question(this, QStringLiteral("%1 finns redan. Slå ihop %2 med %1?").arg(typed, shownFrom),
                             QStringLiteral("Slå ihop spelare")))
        return;
    if (!exists)
        to = m_doc.AddPlayer(toName);
    const std::vector<std::size_t> both = RoundsWithBoth(m_doc.Tournament(), from, to);
    if (!both.empty()) {
        m_platform.ErrorBox(this, QStringLiteral("Båda har resultat i ") +
                                      m_text.ToDisplay(RoundList(m_doc.Tournament(), both)));
        return;
    }
    m_steps->push(new CPlayersRenameStep(*this, from, to, {fromName, toName},
                                         QStringLiteral("Byt namn %1 till %2").arg(shownFrom, typed)));
}

std::vector<CPlayerRename> CPlayersDlg::Renames() const
{
    std::vector<CPlayerRename> renames;
    for (int i = 0; i < m_steps->index(); ++i) {
        if (const auto* step = dynamic_cast<const CPlayersRenameStep*>(m_steps->command(i)))
            renames.push_back(step->Rename());
    }
    return renames;
}

void CPlayersDlg::reject()
{
    // The tournament as the dialog found it.
    m_steps->setIndex(0);
    QDialog::reject();
}

CClubPlayers CPlayersDlg::ClubPlayers() const
{
    CClubPlayers players = m_doc.ClubPlayers();
    const TextEncoding encoding = m_doc.Encoding();
    for (const auto& [from, to] : m_renames)
        RenameClubPlayer(players, from, to, encoding);
    for (const auto& [id, value] : m_assigned) {
        const CGroupsOf& before = m_initial.at(id);
        const std::string name(m_doc.Tournament().PlayerName(id));
        if (value.first != before.first)
            Assign(players.m_classes, name, encoding, value.first);
        if (value.second != before.second)
            Assign(players.m_teams, name, encoding, value.second);
    }
    ApplyStarts(players);
    // A class or team left without players is none.
    for (auto* groups : {&players.m_classes, &players.m_teams})
        std::erase_if(*groups, [](const CPlayerGroup& g) { return g.m_players.empty(); });
    return players;
}

void CRavelmarkDlg::OnPlayers()
{
    // What is on disk now: the file may have been mended or changed since the tournament was
    // read. A refused one is mended by hand: nothing here writes over it.
    if (!ShowResult(m_doc.ReloadPlayers()))
        return;
    const bool changed = m_doc.Changed(), clean = m_undo.isClean();
    const int index = m_undo.index();
    CPlayersDlg dialog(m_doc, m_text, m_platform, this);
    if (dialog.exec() != QDialog::Accepted) {
        // Taken back in the dialog: the window is as it was, saved or not (unless a name typed
        // there made the tournament UTF-8, a step of its own).
        if (m_undo.index() == index) {
            if (clean && !m_undo.isClean())
                m_undo.setClean();
            if (!changed)
                m_doc.ClearChanged();
        }
        return;
    }
    CPlayersStep::Bytes before = m_doc.PlayersFileBytes();
    CRenamedNames renamed;
    for (const auto& [from, to] : dialog.RenamedNames())
        renamed.emplace_back(ToUtf8(from, m_doc.Encoding()), ToUtf8(to, m_doc.Encoding()));
    ShowResult(m_doc.SetClubPlayers(dialog.ClubPlayers(), renamed));
    CPlayersStep::Bytes after = m_doc.PlayersFileBytes();
    std::vector<CPlayerRename> renames = dialog.Renames();
    if (renames.empty() && after == before)
        return;
    const QUndoStack& steps = *dialog.m_steps;
    QString text = QStringLiteral("Ändra klass och lag");
    for (int i = 0; i < steps.index(); ++i) {
        if (dynamic_cast<const CPlayersRenameStep*>(steps.command(i)))
            text = renames.size() == 1 ? steps.command(i)->text()
                                       : QStringLiteral("Byt namn på %1 spelare").arg(renames.size());
    }
    m_undo.push(new CPlayersStep(
        m_doc, std::move(renames), std::move(before), std::move(after),
        [this](const CFileResult& result) { ShowResult(result); }, text));
}
