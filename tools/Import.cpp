// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Import.h"

#include "files/NameMatch.h"
#include "model/Encoding.h"
#include "model/ResultImport.h"
#include "model/Text.h"
#include "model/TournamentEncoding.h"
#include "tools/Terminal.h"

#include <QFile>

#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>

namespace {

struct ImportOptions
{
    std::string file, input = "-", round;
    bool haveRound = false, dryRun = false, skipRefused = false, acceptSimilar = false;
    std::optional<std::pair<std::size_t, std::size_t>> columns; // from 0
};

// "N,M": two column numbers from 1.
bool ParseColumns(const std::string& text, std::pair<std::size_t, std::size_t>& columns)
{
    const char* const end = text.data() + text.size();
    auto [comma, error] = std::from_chars(text.data(), end, columns.first);
    if (error != std::errc() || comma == end || *comma != ',')
        return false;
    auto [last, error2] = std::from_chars(comma + 1, end, columns.second);
    if (error2 != std::errc() || last != end || columns.first == 0 || columns.second == 0 ||
        columns.first == columns.second)
        return false;
    --columns.first;
    --columns.second;
    return true;
}

std::string ParseImportOptions(const std::vector<std::string>& args, ImportOptions& options)
{
    std::size_t files = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if ((word == "--round" || word == "--columns") && i + 1 == args.size())
            return word + " saknar v\xC3\xA4rde";
        if (word == "--round") {
            options.round = args[++i];
            options.haveRound = true;
        } else if (word == "--columns") {
            std::pair<std::size_t, std::size_t> columns;
            if (!ParseColumns(args[++i], columns))
                return "--columns " + args[i] + ": ange NAMN,PO\xC3\x84NG, tv\xC3\xA5 olika kolumner fr\xC3\xA5n 1";
            options.columns = columns;
        } else if (word == "--dry-run") {
            options.dryRun = true;
        } else if (word == "--skip-refused") {
            options.skipRefused = true;
        } else if (word == "--accept-similar") {
            options.acceptSimilar = true;
        } else if (word.starts_with("--")) {
            return "ok\xC3\xA4nd flagga: " + word;
        } else if (files == 2) {
            return "h\xC3\xB6gst tv\xC3\xA5 filer: " + word;
        } else {
            (files++ == 0 ? options.file : options.input) = word;
        }
    }
    if (files == 0)
        return "turneringsfil saknas";
    return options.haveRound ? std::string() : "--round saknas";
}

// `utf8` in the tournament's encoding. A tournament of plain ASCII becomes UTF-8 for it, as it
// does when the same text is typed in the window; any other one cannot hold what it lacks.
bool Store(CTournamentDoc& doc, std::string_view utf8, std::string& bytes)
{
    if (ToTournamentText(utf8, doc.Encoding(), bytes))
        return true;
    if (!IsAscii(doc.Tournament()) || !IsValidUtf8(utf8))
        return false; // a name the file cannot hold, or an argument that is not UTF-8
    doc.ConvertToUtf8(false);
    bytes.assign(utf8);
    return true;
}

bool ReadInput(const std::string& name, std::string& bytes)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(name)));
    if (name == "-" ? !file.open(stdin, QIODevice::ReadOnly) : !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.readAll();
    bytes.assign(all.constData(), static_cast<std::size_t>(all.size()));
    return file.error() == QFileDevice::NoError;
}

} // namespace

int Import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    ImportOptions options;
    if (const std::string reason = ParseImportOptions(args, options); !reason.empty())
        return UsageError(reason, err);
    std::string roundName = options.round;
    NormalizeName(roundName);
    if (roundName.empty())
        return UsageError("--round: omg\xC3\xA5ngen beh\xC3\xB6ver ett namn", err);
    if (HoldsControl(roundName))
        return UsageError("--round: namnet inneh\xC3\xA5ller ett tecken som inte kan sparas", err);
    CTournamentDoc doc;
    if (!Load(options.file, doc, err))
        return 1;
    std::string input;
    if (!ReadInput(options.input, input)) {
        err << "Kan inte \xC3\xB6ppna filen: " << options.input << '\n';
        return 1;
    }
    CResultTable table = ReadResultTable(input, options.round);
    if (options.columns) {
        table.m_nameColumn = options.columns->first;
        table.m_pointsColumn = options.columns->second;
    } else if (!table.m_settled) {
        err << "ravelmark-tool: " << options.input
            << ": rubrikerna s\xC3\xA4ger inte vilka kolumner som \xC3\xA4r namn och po\xC3\xA4ng "
               "(ange --columns NAMN,PO\xC3\x84NG)\n";
        return 1;
    }

    CNameMatchIndex matches;
    CResultImport import(table, doc.Tournament(), matches);
    // A near match is taken only when asked: a script never merges names silently. A new name
    // the file cannot hold is refused here, where the window would ask.
    std::vector<bool> refused;
    std::size_t refusals = 0;
    const bool ascii = IsAscii(doc.Tournament());
    for (CResultImport::CRow& row : import.Rows()) {
        if (!row.m_refusal && !row.m_player && !row.m_fits && !ascii)
            row.m_refusal = "ryms inte i filens teckenkodning";
        const bool similar = row.m_player && row.m_player == row.m_similar;
        refused.push_back(row.m_refusal || (similar && !options.acceptSimilar));
        refusals += refused.back() ? 1U : 0U;
    }
    const auto& rounds = doc.Tournament().m_rounds;
    std::string storedName;
    if (!Store(doc, roundName, storedName)) {
        err << "ravelmark-tool: --round " << options.round << ": ryms inte i filens teckenkodning\n";
        return 1;
    }
    std::size_t index = 0;
    while (index < rounds.size() && rounds[index].m_name != storedName)
        ++index;
    CRound round = index < rounds.size() ? rounds[index] : CRound();
    // Rows that are not entered replace nothing.
    for (std::size_t i = 0; i < refused.size(); ++i)
        import.Rows()[i].m_ticked = !refused[i];
    const std::vector<CResultImport::CWord> words = import.Words(round);

    const bool refusing = refusals > 0 && !options.skipRefused;
    if (options.dryRun || refusing) {
        std::ostream& lines = options.dryRun ? out : err;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (!options.dryRun && !refused[i])
                continue;
            const CResultImport::CRow& row = import.Rows()[i];
            lines << TerminalText(std::to_string(i + 1) + '\t' + row.m_name + '\t' + import.TargetName(row) + '\t' +
                                  row.m_pointsText + '\t' + words[i].m_text + (refused[i] ? "\tavvisad" : "") + '\n');
        }
    }
    if (refusing) {
        err << "ravelmark-tool: " << refusals << (refusals == 1 ? " rad avvisades" : " rader avvisades")
            << ", inget sparat (--skip-refused hoppar \xC3\xB6ver dem"
            << (options.acceptSimilar ? ")\n" : ", --accept-similar tar liknande namn)\n");
        return 1;
    }
    if (options.dryRun)
        return 0;

    std::vector<CResult> results;
    for (std::size_t i = 0; i < refused.size(); ++i) {
        const CResultImport::CRow& row = import.Rows()[i];
        if (refused[i])
            continue;
        std::string name;
        if (row.m_player)
            name = doc.Tournament().PlayerName(*row.m_player);
        else if (!Store(doc, row.m_name, name))
            return 1; // not reached: the refusals above keep out what the file cannot hold
        results.emplace_back(doc.AddPlayer(name), row.m_points);
    }
    if (results.empty())
        return 0;
    AddResults(round, results);
    if (index < rounds.size()) {
        doc.ReplaceRound(index, std::move(round));
    } else {
        round.m_name = storedName;
        doc.AddRound(std::move(round));
    }
    return Present(doc.Save(), doc.Encoding(), err);
}
