// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/RaceChart.h"

#include "model/Text.h"
#include "report/HtmlText.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <queue>

namespace {

constexpr std::size_t kLeaders = 10;
// Round names under the axis, at most; markers at every round up to this many rounds.
constexpr std::size_t kMostLabels = 12, kMarkedRounds = 24;
// In CSS pixels: the text keeps its size however wide the chart is drawn; only the lines stretch.
constexpr double kFont = 12, kCharWidth = 0.56 * kFont, kTop = 10, kPlot = 200, kLabelGap = 13;
// Right of the plot: the key's marker, clear of the lines' end markers, then the name.
constexpr double kKeyMarker = 14, kKeyName = 22;

// Told apart by colour on screen, and on paper by dash and marker: each line has its own pair.
constexpr const char* kColours[kLeaders] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                            "#8c564b", "#e377c2", "#17becf", "#7f7f7f", "#bcbd22"};
constexpr const char* kDashes[] = {"none", "8 4", "2 3", "10 3 2 3", "5 5"};
constexpr const char* kShapes[] = {"M-3.5,0a3.5,3.5 0 1,0 7,0a3.5,3.5 0 1,0 -7,0z", "M-3,-3h6v6h-6z", "M0,-4.5L4,3H-4z",
                                   "M0,-4.5L4.5,0L0,4.5L-4.5,0z", "M0,4.5L4,-3H-4z"};

// `value` with at most `decimals` decimals, no trailing zeros.
std::string Decimal(double value, int decimals)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    std::string out(text, end);
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0')
            out.pop_back();
        if (out.back() == '.')
            out.pop_back();
    }
    return out == "-0" ? "0" : out;
}

// Round `k` of `count` across the width.
std::string Across(std::size_t k, std::size_t count)
{
    return Decimal(100.0 * static_cast<double>(k) / static_cast<double>(count - 1), 3) + "%";
}

// A step of 1, 2 or 5 times a power of ten that divides `top` into at most six parts.
std::int64_t Step(std::int64_t top)
{
    for (std::int64_t power = 1;; power *= 10) {
        for (const std::int64_t step : {power, 2 * power, 5 * power}) {
            if (step * 6 >= top)
                return step;
        }
    }
}

// Each line's running total after each round: the sum of its best `best` scores so far (the
// highest, or the lowest where the lowest total wins), one pass over its rounds with the
// counted scores in a heap, the one to give up first (the least good) on top.
template <typename Better>
std::vector<std::int64_t> RunningTotals(const CStandingsView& view, std::size_t line, std::size_t rounds)
{
    const std::size_t best = view.Rules().m_best ? static_cast<std::size_t>(*view.Rules().m_best) : SIZE_MAX;
    std::priority_queue<int, std::vector<int>, Better> counted;
    std::vector<std::int64_t> totals(rounds);
    std::int64_t total = 0;
    for (std::size_t k = 0; k < rounds; ++k) {
        if (const std::optional<int> points = view.Points(line, k)) {
            if (counted.size() < best) {
                counted.push(*points);
                total += *points;
            } else if (Better()(*points, counted.top())) {
                total += *points - counted.top();
                counted.pop();
                counted.push(*points);
            }
        }
        totals[k] = total;
    }
    return totals;
}

std::vector<std::int64_t> RunningTotals(const CStandingsView& view, std::size_t line, std::size_t rounds)
{
    return view.LowerWins() ? RunningTotals<std::less<>>(view, line, rounds)
                            : RunningTotals<std::greater<>>(view, line, rounds);
}

std::size_t Chars(const CStandingsView& view, std::string_view text)
{
    return TextLength(text, view.Tournament().m_encoding);
}

} // namespace

std::string RaceChart(const CStandingsView& view)
{
    const CTournament& tournament = view.Tournament();
    const TextEncoding encoding = tournament.m_encoding;
    std::size_t rounds = view.RoundCount();
    while (rounds > 0 && tournament.m_rounds[rounds - 1].m_results.empty())
        --rounds;
    std::vector<std::size_t> leaders;
    for (std::size_t i = 0; i < view.LineCount() && leaders.size() < kLeaders; ++i) {
        if (view.Line(i).m_placed)
            leaders.push_back(i);
    }
    if (rounds < 2 || leaders.empty())
        return {};
    std::vector<std::vector<std::int64_t>> totals;
    std::int64_t most = 1;
    for (const std::size_t line : leaders) {
        totals.push_back(RunningTotals(view, line, rounds));
        most = std::max(most, totals.back().back());
    }
    const std::int64_t step = Step(most), top = (most + step - 1) / step * step;
    // The leader at the top: where the lowest total wins, the scale runs downwards.
    const bool downwards = view.LowerWins();
    const auto y = [top, downwards](std::int64_t total) {
        const double part = kPlot * static_cast<double>(total) / static_cast<double>(top);
        return downwards ? kTop + part : kTop + kPlot - part;
    };

    // The round names shown: counted back from the last, which is always named.
    const std::size_t every = (rounds + kMostLabels - 1) / kMostLabels;
    std::size_t longestRound = 0, firstLabelled = rounds - 1;
    for (std::size_t k = rounds; k-- > 0;) {
        if ((rounds - 1 - k) % every == 0) {
            longestRound = std::max(longestRound, Chars(view, tournament.m_rounds[k].m_name));
            firstLabelled = k;
        }
    }
    // Room around the plot: the totals left of it, the names right, the round names slanting below.
    std::size_t longestName = 0;
    for (const std::size_t line : leaders)
        longestName = std::max(longestName, Chars(view, view.Name(view.Line(line))));
    const double slant = 0.87, upright = 0.5; // sine and cosine of the round names' 60 degrees
    // The first round's name slants out to the left of the plot.
    const double firstName =
        firstLabelled == 0 ? upright * kCharWidth * static_cast<double>(Chars(view, tournament.m_rounds[0].m_name)) : 0;
    const double left = std::max(kCharWidth * static_cast<double>(std::to_string(top).size()) + 8, firstName);
    const double right = kCharWidth * static_cast<double>(longestName) + kKeyName + 8;
    const double height = kTop + kPlot + 10 + slant * kCharWidth * static_cast<double>(longestRound) + kFont;

    const std::optional<int> counted = view.Rules().m_best;
    const std::string best = !counted ? std::string()
                             : *counted == 1
                                 ? PageText(" (den b\xE4sta omg\xE5ngen)", encoding)
                                 : PageText(" (de " + std::to_string(*counted) + " b\xE4sta omg\xE5ngarna)", encoding);
    const std::string leading = leaders.size() == 1
                                    ? PageText("den som leder", encoding)
                                    : "de " + std::to_string(leaders.size()) + PageText(" fr\xE4msta", encoding);
    const std::string title =
        PageText("Summan", encoding) + best + PageText(" efter varje omg\xE5ng f\xF6r ", encoding) + leading;

    std::string out = "<figure class=\"diagram\">\r\n<figcaption>" + title + "</figcaption>\r\n";
    out += "<div style=\"padding: 0 " + Decimal(right, 0) + "px 0 " + Decimal(left, 0) + "px\">\r\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"diagram\" width=\"100%\" height=\"" + Decimal(height, 0) +
           "\" overflow=\"visible\" role=\"img\" aria-labelledby=\"diagram-titel\" aria-describedby=\"diagram-text\" "
           "font-size=\"" +
           Decimal(kFont, 0) + "\" fill=\"currentColor\">\r\n";
    out += "<title id=\"diagram-titel\">" + title + "</title>\r\n<desc id=\"diagram-text\">";
    out += PageText("Ett linjediagram med en linje per spelare, fr\xE5n ", encoding) +
           HtmlText(tournament.m_rounds[0].m_name) + PageText(" till ", encoding) +
           HtmlText(tournament.m_rounds[rounds - 1].m_name) + ". " + PageText("Efter ", encoding) +
           HtmlText(tournament.m_rounds[rounds - 1].m_name) + ": ";
    for (std::size_t j = 0; j < leaders.size(); ++j) {
        out += j == 0 ? "" : ", ";
        AppendHtmlText(out, view.Name(view.Line(leaders[j])));
        out += ' ';
        AppendNumber(out, totals[j].back());
    }
    out += ".</desc>\r\n<defs>\r\n";
    for (std::size_t s = 0; s < std::size(kShapes); ++s)
        out += "<path id=\"diagram-m" + std::to_string(s) + "\" d=\"" + kShapes[s] + "\"/>\r\n";
    out += "</defs>\r\n";
    // The totals' scale and the rounds' names.
    for (std::int64_t value = 0; value <= top; value += step) {
        const std::string at = Decimal(y(value), 1);
        out.append("<line x1=\"0\" x2=\"100%\" y1=\"").append(at).append("\" y2=\"").append(at);
        out.append("\" stroke=\"currentColor\" stroke-opacity=\"0.25\"/>\r\n<text x=\"-6\" y=\"").append(at);
        out += "\" dy=\"0.35em\" text-anchor=\"end\">";
        AppendNumber(out, value);
        out += "</text>\r\n";
    }
    for (std::size_t k = firstLabelled; k < rounds; k += every) {
        out += "<svg x=\"" + Across(k, rounds) + "\" y=\"" + Decimal(kTop + kPlot + 8, 0) +
               "\" overflow=\"visible\"><text transform=\"rotate(-60)\" text-anchor=\"end\" dy=\"0.35em\">";
        AppendHtmlText(out, tournament.m_rounds[k].m_name);
        out += "</text></svg>\r\n";
    }
    // The lines, round k at x = k, stretched to the width; their strokes keep their width.
    out += "<svg y=\"" + Decimal(kTop, 0) + "\" width=\"100%\" height=\"" + Decimal(kPlot, 0) + "\" viewBox=\"0 " +
           Decimal(kTop, 0) + " " + std::to_string(rounds - 1) + " " + Decimal(kPlot, 0) +
           "\" preserveAspectRatio=\"none\" overflow=\"visible\">\r\n";
    for (std::size_t j = 0; j < leaders.size(); ++j) {
        out += "<polyline class=\"linje\" fill=\"none\" stroke=\"" + std::string(kColours[j]) +
               "\" stroke-width=\"2\" stroke-dasharray=\"" + kDashes[(j + 2 * (j / 5)) % 5] +
               "\" vector-effect=\"non-scaling-stroke\" points=\"";
        for (std::size_t k = 0; k < rounds; ++k)
            out.append(k > 0 ? " " : "").append(std::to_string(k)).append(",").append(Decimal(y(totals[j][k]), 1));
        out += "\"/>\r\n";
    }
    out += "</svg>\r\n";
    // Markers: at every round when they fit, at the line's end always.
    for (std::size_t j = 0; j < leaders.size(); ++j) {
        const std::string marker = "<use class=\"merke\" href=\"#diagram-m" + std::to_string(j % 5) + "\" stroke=\"" +
                                   kColours[j] + "\" stroke-width=\"1.5\" fill=\"" + (j < 5 ? kColours[j] : "none") +
                                   "\" x=\"";
        for (std::size_t k = rounds <= kMarkedRounds ? 0 : rounds - 1; k < rounds; ++k)
            out += marker + Across(k, rounds) + "\" y=\"" + Decimal(y(totals[j][k]), 1) + "\"/>\r\n";
    }
    // The names at the lines' ends, moved apart where the ends lie close, each after its line's
    // own marker, as in a key: a stroke joining a name to its line's end would read as a line of
    // the chart. The leaders come in ranking order, which is that of their final totals: the
    // ends fall from the top.
    std::vector<double> at;
    for (std::size_t j = 0; j < leaders.size(); ++j)
        at.push_back(j == 0 ? y(totals[j].back()) : std::max(y(totals[j].back()), at.back() + kLabelGap));
    // Pushed below the plot: shift the whole column up as far as its top allows.
    const double highest = y(totals.front().back()), lowest = at.back();
    const double up = std::max(0.0, std::min(lowest - (kTop + kPlot), highest - kTop + kFont / 2));
    for (double& value : at)
        value -= up;
    out += "<svg x=\"100%\" overflow=\"visible\">\r\n";
    for (std::size_t j = 0; j < at.size(); ++j) {
        out += "<use class=\"merke\" href=\"#diagram-m" + std::to_string(j % 5) + "\" stroke=\"" + kColours[j] +
               "\" stroke-width=\"1.5\" fill=\"" + (j < 5 ? kColours[j] : "none") + "\" x=\"" + Decimal(kKeyMarker, 0) +
               "\" y=\"" + Decimal(at[j], 1) + "\"/><text x=\"" + Decimal(kKeyName, 0) + "\" y=\"" + Decimal(at[j], 1) +
               "\" dy=\"0.35em\">";
        AppendHtmlText(out, view.Name(view.Line(leaders[j])));
        out += "</text>\r\n";
    }
    out += "</svg>\r\n</svg>\r\n</div>\r\n</figure>\r\n";
    return out;
}
