// SPDX-License-Identifier: GPL-3.0-or-later
// The handicap list a club prints before an evening, and how each handicap was reached.
#include "tools/HandicapList.h"

#include "files/RulesFile.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "report/FieldText.h"
#include "report/Handicap.h"
#include "tools/Commands.h"
#include "tools/Terminal.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

namespace {

struct CHandicapOptions
{
    std::string file;
    std::size_t after = 0; // 0: every round
    std::optional<std::string> player;
    Format format = Format::Text;
};

std::string ParseHandicapOptions(const std::vector<std::string>& args, CHandicapOptions& options)
{
    bool haveFile = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool valued = word == "--after" || word == "--player" || word == "--format";
        if (valued && i + 1 == args.size())
            return word + " saknar v\xC3\xA4rde";
        if (word == "--after") {
            const std::string& count = args[++i];
            const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), options.after);
            if (error != std::errc() || end != count.data() + count.size())
                return "--after " + count + ": inget antal omg\xC3\xA5ngar";
            if (options.after == 0)
                return "--after 0: omg\xC3\xA5ngarna r\xC3\xA4knas fr\xC3\xA5n 1";
        } else if (word == "--player") {
            options.player = args[++i];
        } else if (word == "--format") {
            const std::string& name = args[++i];
            if (name == "text")
                options.format = Format::Text;
            else if (name == "csv")
                options.format = Format::Csv;
            else if (name == "json")
                options.format = Format::Json;
            else
                return "--format " + name + ": v\xC3\xA4lj text, csv eller json";
        } else if (word.starts_with("--")) {
            return "ok\xC3\xA4nd flagga: " + word;
        } else if (haveFile) {
            return "h\xC3\xB6gst en fil: " + word;
        } else {
            options.file = word;
            haveFile = true;
        }
    }
    return haveFile ? std::string() : "turneringsfil saknas";
}

// A sidecar file read with the tournament: a refused one is printed, and false.
bool SidecarRead(const CTournamentDoc& doc, CFileResult result, std::ostream& err)
{
    result.m_line = QuotedLine(result.m_line, TextEncoding::Utf8);
    return Present(result, doc.Encoding(), err) == 0;
}

const char* SourceWord(CHandicap::Source source)
{
    switch (source) {
    case CHandicap::NotYet:
        return "none";
    case CHandicap::StartHandicap:
        return "start_handicap";
    case CHandicap::StartAverage:
        return "start_average";
    case CHandicap::Average:
        break;
    }
    return "average";
}

// One line of the list: a player's handicap in one round (or the next), with what was played then.
struct CListLine
{
    std::string m_label; // the player's name, or the round's
    CHandicapExplained m_explained;
    std::optional<int> m_gross;
};

class CListWriter
{
public:
    CListWriter(const CTournament& tournament, const CHandicapTable& table, Format format)
        : m_tournament(tournament)
        , m_table(table)
        , m_format(format)
    {
    }

    std::string Write(const std::vector<CListLine>& lines, std::string_view labelHeading, bool history) const
    {
        switch (m_format) {
        case Format::Text:
            return Text(lines);
        case Format::Csv:
        case Format::Excel:
            return Csv(lines, labelHeading, history);
        case Format::Json:
            break;
        }
        return Json(lines, history);
    }

private:
    std::string Handicap(const CListLine& line) const
    {
        const CHandicap& handicap = line.m_explained.m_handicap;
        return handicap.m_source == CHandicap::NotYet ? std::string() : std::to_string(handicap.m_value);
    }
    std::string Explanation(const CListLine& line) const
    {
        return HandicapText(line.m_explained, m_table.Rules(), m_table.LowerBetter(), m_tournament);
    }
    int Net(const CListLine& line) const
    {
        return NetScore(*line.m_gross, line.m_explained.m_handicap.m_value, m_table.LowerBetter());
    }
    // "151 + 36 = 187", or "60 − 5 = 55" for strokes.
    std::string Sum(const CListLine& line) const
    {
        const int handicap = line.m_explained.m_handicap.m_value;
        const bool minus = m_table.LowerBetter() != (handicap < 0);
        return std::to_string(*line.m_gross) + (minus ? " \xE2\x88\x92 " : " + ") +
               std::to_string(handicap < 0 ? -std::int64_t{handicap} : handicap) + " = " + std::to_string(Net(line));
    }

    std::string Text(const std::vector<CListLine>& lines) const
    {
        std::size_t width = 0, numbers = 1;
        for (const CListLine& line : lines) {
            width = std::max(width, TextLength(line.m_label, TextEncoding::Utf8));
            numbers = std::max(numbers, Handicap(line).size());
        }
        std::string out;
        for (const CListLine& line : lines) {
            out += line.m_label;
            out.append(width - TextLength(line.m_label, TextEncoding::Utf8) + 2, ' ');
            const std::string handicap = Handicap(line).empty() ? "-" : Handicap(line);
            out.append(numbers - handicap.size(), ' ').append(handicap).append("  ");
            if (line.m_gross)
                out.append("(").append(Sum(line)).append(") ");
            out.append(Explanation(line)).append("\n");
        }
        return out;
    }

    std::string Csv(const std::vector<CListLine>& lines, std::string_view labelHeading, bool history) const
    {
        std::string out = std::string(labelHeading) + (history ? ",Handikapp,Spelat,R\xC3\xA4knas,F\xC3\xB6rklaring\r\n"
                                                               : ",Handikapp,F\xC3\xB6rklaring\r\n");
        for (const CListLine& line : lines) {
            AppendCsvField(out, line.m_label, ',');
            out.append(",").append(Handicap(line)).append(",");
            if (history && line.m_gross)
                out.append(std::to_string(*line.m_gross)).append(",").append(std::to_string(Net(line))).append(",");
            else if (history)
                out += ",,";
            AppendCsvField(out, Explanation(line), ',');
            out += "\r\n";
        }
        return out;
    }

    std::string Json(const std::vector<CListLine>& lines, bool history) const
    {
        std::string out;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const CListLine& line = lines[n];
            const CHandicap& handicap = line.m_explained.m_handicap;
            out += n > 0 ? ",\n  {" : "\n  {";
            out += history ? "\"round\": " : "\"name\": ";
            if (history && n + 1 == lines.size())
                out += "null";
            else
                AppendJsonString(out, line.m_label);
            out += ", \"handicap\": ";
            out += handicap.m_source == CHandicap::NotYet ? "null" : std::to_string(handicap.m_value);
            out += ", \"source\": \"";
            out += SourceWord(handicap.m_source);
            out += "\", \"played\": " + std::to_string(line.m_explained.m_played);
            if (handicap.m_source == CHandicap::Average || handicap.m_source == CHandicap::StartAverage) {
                out += ", \"average_sum\": " + std::to_string(handicap.m_sum);
                out += ", \"average_count\": " + std::to_string(handicap.m_count);
                out += handicap.m_capped ? ", \"capped\": true" : ", \"capped\": false";
                out += handicap.m_floored ? ", \"floored\": true" : ", \"floored\": false";
            }
            if (handicap.m_source == CHandicap::Average) {
                out += ", \"rounds\": [";
                for (std::size_t i = 0; i < line.m_explained.m_used.size(); ++i) {
                    const auto& [round, score] = line.m_explained.m_used[i];
                    out += i > 0 ? ", {\"round\": " : "{\"round\": ";
                    AppendJsonString(out, ToUtf8(m_tournament.m_rounds[round].m_name, m_tournament.m_encoding));
                    out += ", \"score\": " + std::to_string(score) + "}";
                }
                out += "]";
            }
            if (history) {
                out += ", \"gross\": " + (line.m_gross ? std::to_string(*line.m_gross) : std::string("null"));
                out += ", \"net\": " + (line.m_gross ? std::to_string(Net(line)) : std::string("null"));
            }
            out += ", \"explanation\": ";
            AppendJsonString(out, Explanation(line));
            out += "}";
        }
        return out;
    }

    const CTournament& m_tournament;
    const CHandicapTable& m_table;
    Format m_format;
};

} // namespace

int HandicapList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CHandicapOptions options;
    if (const std::string reason = ParseHandicapOptions(args, options); !reason.empty())
        return UsageError(reason, err);
    CTournamentDoc doc;
    if (!Load(options.file, doc, err))
        return 1;
    const CTournament& tournament = doc.Tournament();
    const std::size_t rounds = options.after == 0 ? tournament.m_rounds.size() : options.after;
    if (rounds > tournament.m_rounds.size()) {
        err << "ravelmark-tool: --after " << options.after << ": " << options.file << " har bara "
            << tournament.m_rounds.size()
            << (tournament.m_rounds.size() == 1 ? " omg\xC3\xA5ng\n" : " omg\xC3\xA5ngar\n");
        return 2;
    }
    if (!SidecarRead(doc, doc.RulesResult(), err) || !SidecarRead(doc, doc.PlayersResult(), err))
        return 1;
    const CSeriesRules& rules = doc.Rules();
    if (!rules.m_handicap.m_on) {
        QString path;
        RulesPath(doc.Path(), path);
        err << "ravelmark-tool: " << QFileInfo(path).fileName().toStdString()
            << " s\xC3\xA4tter ingen handikapp (handikapp = ja)\n";
        return 1;
    }
    const CHandicapTable table(tournament, rules.m_handicap, HandicapLowerBetter(rules),
                               StartValuesOf(doc.ClubPlayers(), tournament), rounds);
    const CListWriter writer(tournament, table, options.format);
    const auto utf8 = [&tournament](std::string_view bytes) { return ToUtf8(bytes, tournament.m_encoding); };
    std::vector<CListLine> lines;
    std::string text;
    if (options.player) {
        PlayerId id = 0;
        std::string name;
        if (!InTournamentEncoding(*options.player, tournament.m_encoding, name) ||
            !tournament.m_players.Find(name, id)) {
            err << "ravelmark-tool: ingen spelare heter " << *options.player << " i " << options.file << '\n';
            return 1;
        }
        // The handicap the player had in every round, played or not, and the next.
        for (std::size_t k = 0; k <= rounds; ++k) {
            CListLine& line = lines.emplace_back();
            line.m_label = k < rounds ? utf8(tournament.m_rounds[k].m_name) : std::string("N\xC3\xA4sta");
            line.m_explained = table.Explain(id, k);
            if (k == rounds)
                continue;
            for (const CResult& result : tournament.m_rounds[k].m_results) {
                if (result.m_player == id)
                    line.m_gross = result.m_points;
            }
        }
        text = writer.Write(lines, "Omg\xC3\xA5ng", true);
        if (options.format == Format::Json) {
            std::string head = "{\"name\": ";
            AppendJsonString(head, *options.player);
            text = head + ", \"history\": [" + text + "\n]}\n";
        }
    } else {
        // Everyone with a result in those rounds and everyone the players file names, by name.
        std::vector<bool> listed(tournament.m_players.Size(), false);
        for (std::size_t k = 0; k < rounds; ++k) {
            for (const CResult& result : tournament.m_rounds[k].m_results)
                listed[result.m_player] = true;
        }
        for (const PlayerId id : doc.Registered())
            listed[id] = true;
        std::vector<PlayerId> players;
        for (PlayerId id = 0; id < listed.size(); ++id) {
            if (listed[id])
                players.push_back(id);
        }
        QCollator collator(QLocale(QLocale::Swedish, QLocale::Sweden));
        std::vector<QString> names(tournament.m_players.Size());
        for (const PlayerId id : players)
            names[id] = QString::fromStdString(utf8(tournament.PlayerName(id)));
        std::stable_sort(players.begin(), players.end(),
                         [&](PlayerId a, PlayerId b) { return collator.compare(names[a], names[b]) < 0; });
        for (const PlayerId id : players)
            lines.push_back({names[id].toStdString(), table.Explain(id, rounds), std::nullopt});
        text = writer.Write(lines, "Namn", false);
        if (options.format == Format::Json) {
            std::string head = "{\"title\": ";
            AppendJsonString(head, utf8(tournament.m_title));
            head += ", \"after\": " + std::to_string(rounds) + ", \"rules\": ";
            AppendJsonString(head, HandicapRulesText(rules.m_handicap, table.LowerBetter()));
            text = head + ", \"handicaps\": [" + text + "\n]}\n";
        }
    }
    out << (options.format == Format::Text ? TerminalText(text) : text);
    return 0;
}
