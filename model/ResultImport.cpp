// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ResultImport.h"

#include "model/Encoding.h"
#include "model/Reader.h"
#include "model/Text.h"

#include <algorithm>
#include <unordered_map>

namespace {

using Record = std::vector<std::string>;

// No points: results never hold a negative value.
constexpr int kNone = -1;

// Where the line at `pos` ends (LF, CR LF or a lone CR) and where the next one starts.
std::size_t LineEnd(std::string_view text, std::size_t pos, std::size_t& next)
{
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        next = text.size();
        return text.size();
    }
    next = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    return end;
}

// The records of `text` with fields split at `separator`, quoted as RFC 4180 quotes them: a
// field that begins with a quote runs to the closing quote, a doubled quote stands for one, and
// separators and line ends inside it are text.
std::vector<Record> SplitRecords(std::string_view text, char separator)
{
    std::vector<Record> records;
    Record record;
    std::string field;
    std::size_t pos = 0;
    const auto endField = [&] {
        record.emplace_back(Trimmed(field));
        field.clear();
    };
    while (pos < text.size()) {
        // Blanks before an opening quote do not count.
        std::size_t start = pos;
        while (start < text.size() && (text[start] == ' ' || text[start] == '\t') && text[start] != separator)
            ++start;
        if (start < text.size() && text[start] == '"') {
            pos = start + 1;
            for (; pos < text.size(); ++pos) {
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        field += '"';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                field += text[pos];
            }
        }
        // The rest of the field, up to the separator or the line's end.
        while (pos < text.size() && text[pos] != separator && text[pos] != '\n' && text[pos] != '\r')
            field += text[pos++];
        endField();
        if (pos < text.size() && text[pos] == separator) {
            ++pos;
            if (pos == text.size())
                endField();
            continue;
        }
        LineEnd(text, pos, pos);
        records.push_back(std::move(record));
        record.clear();
    }
    if (!record.empty())
        records.push_back(std::move(record));
    return records;
}

// "name points" lines: the points are the last blank-separated word, as in the tournament file.
std::vector<Record> SplitLines(std::string_view text)
{
    std::vector<Record> records;
    std::string scratch;
    for (std::size_t pos = 0, next = 0; pos < text.size(); pos = next) {
        const std::string_view line = Trimmed(text.substr(pos, LineEnd(text, pos, next) - pos));
        std::string_view name, points;
        if (SplitResultLine(line, scratch, name, points))
            records.push_back({std::string(name), std::string(points)});
        else
            records.push_back({std::string(line)});
    }
    return records;
}

bool Blank(const Record& record)
{
    return std::all_of(record.begin(), record.end(), [](const std::string& field) { return field.empty(); });
}

// Runs of blanks and tabs in a name become one blank, as the tournament file reads names; so do
// line breaks inside a quoted field, which would break the name's line in the file. None stays at
// the ends, where the file would not keep it (a vertical tab before the points, say).
std::string FoldBlanks(std::string_view name)
{
    std::string folded;
    for (const char c : name) {
        const bool blank = IsSpace(c);
        if (!blank)
            folded += c;
        else if (!folded.empty() && folded.back() != ' ')
            folded += ' ';
    }
    if (!folded.empty() && folded.back() == ' ')
        folded.pop_back();
    return folded;
}

// Letters folded for comparing headings: ASCII and the Swedish letters, case aside.
std::string Folded(std::string_view text)
{
    std::string out(Trimmed(text));
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        else if (out[i] == '\xC3' && i + 1 < out.size() &&
                 (out[i + 1] == '\x85' || out[i + 1] == '\x84' || out[i + 1] == '\x96'))
            out[i + 1] = static_cast<char>(out[i + 1] + 0x20); // Å Ä Ö
    }
    return out;
}

bool OneOf(std::string_view field, std::initializer_list<std::string_view> words)
{
    const std::string folded = Folded(field);
    return std::find(words.begin(), words.end(), folded) != words.end();
}

std::optional<std::size_t> ColumnWhere(const Record& record, const std::function<bool(const std::string&)>& test)
{
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (test(record[i]))
            return i;
    }
    return std::nullopt;
}

// Whether every row's field in `column` passes the points test.
bool AllIntegers(const std::vector<Record>& rows, std::size_t column)
{
    int value = 0;
    return !rows.empty() && std::all_of(rows.begin(), rows.end(), [&](const Record& row) {
        return column < row.size() && IsInteger(row[column], value);
    });
}

// With more columns than two and no headings to say: the name is the first column that is not
// all numbers, the points the last that is.
void GuessColumns(CResultTable& table, std::optional<std::size_t> name)
{
    table.m_settled = false;
    table.m_nameColumn = name.value_or(0);
    for (std::size_t c = 0; !name && c < table.m_columns; ++c) {
        if (!AllIntegers(table.m_rows, c)) {
            table.m_nameColumn = c;
            break;
        }
    }
    table.m_pointsColumn = table.m_nameColumn == 1 ? 2 : 1;
    for (std::size_t c = table.m_columns; c-- > 0;) {
        if (c != table.m_nameColumn && AllIntegers(table.m_rows, c)) {
            table.m_pointsColumn = c;
            break;
        }
    }
}

} // namespace

CResultTable ReadResultTable(std::string_view input, std::string_view roundName)
{
    if (input.starts_with(kUtf8Bom))
        input.remove_prefix(kUtf8Bom.size());
    std::string converted;
    if (!IsValidUtf8(input)) {
        converted = ToUtf8(input, TextEncoding::Windows1252);
        input = converted;
    }
    CResultTable table;
    std::vector<Record> records;
    // What a spreadsheet copies has tabs; CSV is taken when most lines hold its separator.
    if (input.find('\t') != std::string_view::npos) {
        table.m_format = CResultTable::Format::Tabs;
        records = SplitRecords(input, '\t');
    } else {
        for (const auto& [separator, format] :
             {std::pair{';', CResultTable::Format::Semicolons}, std::pair{',', CResultTable::Format::Commas}}) {
            std::vector<Record> split = SplitRecords(input, separator);
            std::erase_if(split, Blank);
            const auto fields = std::count_if(split.begin(), split.end(), [](const Record& r) { return r.size() > 1; });
            if (fields * 2 > static_cast<std::ptrdiff_t>(split.size())) {
                table.m_format = format;
                records = std::move(split);
                break;
            }
        }
        if (records.empty())
            records = SplitLines(input);
    }
    std::erase_if(records, Blank);
    if (records.empty())
        return table;

    const std::string round = Folded(roundName);
    const Record& first = records.front();
    const std::optional<std::size_t> name = ColumnWhere(first, [](const std::string& f) {
        return OneOf(f, {"namn", "spelare", "name", "deltagare"});
    });
    std::optional<std::size_t> points = ColumnWhere(first, [](const std::string& f) {
        return OneOf(f, {"po\xC3\xA4ng", "poang", "points"});
    });
    if (!points && !round.empty())
        points = ColumnWhere(first, [&](const std::string& f) { return Folded(f) == round; });
    const bool headings = name && (points || first.size() > 2);
    if (headings) {
        table.m_headings = std::move(records.front());
        records.erase(records.begin());
    }
    table.m_rows = std::move(records);
    for (const Record& row : table.m_rows)
        table.m_columns = std::max(table.m_columns, row.size());
    table.m_columns = std::max(table.m_columns, table.m_headings.size());
    if (headings && points) {
        table.m_nameColumn = *name;
        table.m_pointsColumn = *points;
    } else if (table.m_columns > 2) {
        GuessColumns(table, name);
    } else if (AllIntegers(table.m_rows, 0) && !AllIntegers(table.m_rows, 1)) {
        // Points first, then the name.
        table.m_nameColumn = 1;
        table.m_pointsColumn = 0;
    }
    return table;
}

CResultImport::CResultImport(const CResultTable& table, const CTournament& tournament, CNameMatcher& matcher,
                             const CLimits& limits)
    : m_tournament(tournament)
{
    m_rows.reserve(table.m_rows.size());
    std::string bytes;
    for (const Record& fields : table.m_rows) {
        CRow& row = m_rows.emplace_back();
        if (table.m_nameColumn < fields.size())
            row.m_name = FoldBlanks(fields[table.m_nameColumn]);
        if (table.m_pointsColumn < fields.size())
            row.m_pointsText = fields[table.m_pointsColumn];
        // The refusals are the editor's: what its boxes or "Lägg Till" would not take.
        const bool digits =
            !row.m_pointsText.empty() && row.m_pointsText.find_first_not_of("0123456789") == std::string::npos;
        if (row.m_name.empty())
            row.m_refusal = "namn saknas";
        else if (HoldsControl(row.m_name))
            row.m_refusal = "namnet inneh\xC3\xA5ller ett tecken som inte kan sparas";
        else if (row.m_pointsText.empty())
            row.m_refusal = "po\xC3\xA4ng saknas";
        else if (digits && limits.m_pointsFits && !limits.m_pointsFits(row.m_pointsText))
            row.m_refusal = "f\xC3\xB6r l\xC3\xA5ng";
        else if (!IsInteger(row.m_pointsText, row.m_points))
            row.m_refusal = digits ? "f\xC3\xB6r l\xC3\xA5ng" : "po\xC3\xA4ngen \xC3\xA4r inget heltal";
        if (row.m_name.empty())
            continue;
        PlayerId id = 0;
        row.m_fits = ToTournamentText(row.m_name, tournament.m_encoding, bytes);
        if (row.m_fits && tournament.m_players.Find(bytes, id))
            row.m_exact = id;
        else if (matcher.FindMatch(tournament, ToUtf16(row.m_name, TextEncoding::Utf8), id))
            row.m_similar = id;
        row.m_player = row.m_exact ? row.m_exact : row.m_similar;
        // A player's name is picked whole from the box's list; a new one has to be typed.
        if (!row.m_refusal && !row.m_player && limits.m_nameFits && !limits.m_nameFits(row.m_name))
            row.m_refusal = "f\xC3\xB6r l\xC3\xA5ng";
    }
}

std::string CResultImport::TargetName(const CRow& row) const
{
    return row.m_player ? ToUtf8(m_tournament.PlayerName(*row.m_player), m_tournament.m_encoding) : row.m_name;
}

std::vector<CResultImport::CWord> CResultImport::Words(const CRound& round) const
{
    // Of the rows entered for one player (or one new name), the last wins.
    std::vector<std::size_t> winner(m_rows.size(), SIZE_MAX);
    {
        std::unordered_map<PlayerId, std::size_t> byPlayer;
        std::unordered_map<std::string_view, std::size_t> byName;
        for (std::size_t i = m_rows.size(); i-- > 0;) {
            const CRow& row = m_rows[i];
            if (!Entered(row))
                continue;
            const std::size_t later = row.m_player ? byPlayer.try_emplace(*row.m_player, i).first->second
                                                   : byName.try_emplace(row.m_name, i).first->second;
            if (later != i)
                winner[i] = later;
        }
    }
    // The points the round holds for the rows' players: one pass over the round, which may be
    // far bigger than the paste.
    std::unordered_map<PlayerId, int> stored;
    for (const CRow& row : m_rows) {
        if (row.m_player)
            stored.emplace(*row.m_player, kNone);
    }
    for (const CResult& result : round.m_results) {
        if (const auto at = stored.find(result.m_player); at != stored.end())
            at->second = result.m_points;
    }
    std::erase_if(stored, [](const auto& entry) { return entry.second == kNone; });

    std::vector<CWord> words(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const CRow& row = m_rows[i];
        CWord& word = words[i];
        if (row.m_refusal) {
            word = {Tone::Refused, row.m_refusal};
            continue;
        }
        const bool similar = row.m_player && row.m_player == row.m_similar;
        if (!row.m_player)
            word = {Tone::New, "ny spelare"};
        else if (similar)
            word = {Tone::Look, "liknar " + TargetName(row)};
        else
            word = {Tone::Known, "k\xC3\xA4nd"};
        const auto before = row.m_player ? stored.find(*row.m_player) : stored.end();
        if (winner[i] != SIZE_MAX) {
            word = {Tone::Idle, "ers\xC3\xA4tts av rad " + std::to_string(winner[i] + 1)};
        } else if (before != stored.end()) {
            const std::string effect = before->second == row.m_points
                                           ? std::string("samma som f\xC3\xB6rut")
                                           : "ers\xC3\xA4tter " + std::to_string(before->second);
            word.m_text = similar ? word.m_text + ", " + effect : effect;
            if (before->second != row.m_points)
                word.m_tone = Tone::Look;
        }
        if (!row.m_ticked)
            word.m_tone = Tone::Idle;
    }
    return words;
}

void AddResults(CRound& round, std::span<const CResult> results)
{
    std::unordered_map<PlayerId, std::size_t> at;
    at.reserve(round.m_results.size() + results.size());
    for (std::size_t i = 0; i < round.m_results.size(); ++i)
        at.emplace(round.m_results[i].m_player, i);
    for (const CResult& result : results) {
        const auto [place, added] = at.try_emplace(result.m_player, round.m_results.size());
        if (added)
            round.m_results.push_back(result);
        else
            round.m_results[place->second].m_points = result.m_points;
    }
}

bool ToTournamentText(std::string_view name, TextEncoding encoding, std::string& bytes)
{
    if (!IsValidUtf8(name))
        return false;
    if (encoding == TextEncoding::Utf8) {
        bytes.assign(name);
        return true;
    }
    const std::u16string text = ToUtf16(name, TextEncoding::Utf8);
    if (!FitsEncoding(text, encoding))
        return false;
    bytes = FromUtf16(text, encoding);
    return true;
}
