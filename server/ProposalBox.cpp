// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ProposalBox.h"

#include "model/ResultImport.h"
#include "model/Text.h"
#include "model/Tournament.h"
#include "report/HtmlText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kEnded = "Omgången tar inte emot resultat längre. Be sekreteraren om den nya koden.\n";
constexpr std::string_view kWrongCode = "Fel kod. Skanna koden hos sekreteraren igen.\n";
constexpr std::string_view kUnreadable = "Formuläret gick inte att läsa. Ladda om sidan och försök igen.\n";
constexpr std::string_view kTooFast = "För många resultat på en gång. Vänta en minut och skicka igen.\n";
constexpr std::string_view kTooMany =
    "Sekreteraren har många resultat att gå igenom. Vänta en stund och skicka igen.\n";
constexpr std::string_view kNotAllowed = "Här kan man bara skicka resultat.\n";
constexpr std::string_view kNotFound = "Finns inte.\n";

CProposalAnswer Plain(unsigned status, std::string_view text)
{
    CProposalAnswer answer;
    answer.m_status = status;
    answer.m_body = text;
    answer.m_contentType = "text/plain; charset=utf-8";
    return answer;
}

bool IsHex(std::string_view text, std::size_t length)
{
    return text.size() == length && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// Equal without telling by its time how much of a guessed code was right.
bool SameCode(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One field of an url-encoded form; false when it is not well formed.
bool Decode(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size())
                return false;
            const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return true;
}

// The fields of an url-encoded form in order; false when it is not one, or a field is not
// UTF-8 text without control characters.
bool ParseForm(std::string_view body, Fields& fields)
{
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r'))
        body.remove_suffix(1);
    std::size_t start = 0;
    while (start <= body.size() && !body.empty()) {
        const std::size_t end = std::min(body.find('&', start), body.size());
        const std::string_view pair = body.substr(start, end - start);
        start = end + 1;
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        std::string key, value;
        if (equals == std::string_view::npos || !Decode(pair.substr(0, equals), key) ||
            !Decode(pair.substr(equals + 1), value) || !IsValidUtf8(value))
            return false;
        for (const char c : value) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F)
                return false;
        }
        fields.emplace_back(std::move(key), std::move(value));
        if (end == body.size())
            break;
    }
    return true;
}

// Runs of blanks as one, none at the ends: as the paste reads a name.
std::string Folded(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::size_t Characters(std::string_view utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Html(std::string_view text)
{
    return HtmlText(text);
}

constexpr std::string_view kStyle =
    "<style>body{font-family:sans-serif;margin:1em;max-width:32em}input{font-size:1.1em;box-sizing:border-box}"
    ".row{display:flex;gap:.4em;margin:.3em 0}.name{flex:1;min-width:0}.points{width:4.5em}"
    "button{font-size:1.1em;margin:.6em .4em 0 0;padding:.3em .8em}table{border-collapse:collapse;width:100%}"
    "td{border-bottom:1px solid #ccc;padding:.3em}.avvisat{color:#a00}.godkant{color:#060}"
    ".problem{color:#a00}.note{color:#555;font-size:.9em}</style>\n";

std::string PageStart(std::string_view title, bool refresh)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"sv\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    if (refresh)
        page += "<meta http-equiv=\"refresh\" content=\"" + std::to_string(CProposalBox::kRefreshSeconds) + "\">\n";
    page += "<title>" + Html(title) + "</title>\n";
    page += kStyle;
    page += "</head>\n<body>\n";
    return page;
}

std::string LocalTime(std::int64_t seconds)
{
    const QDateTime at = QDateTime::fromSecsSinceEpoch(seconds);
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

} // namespace

std::vector<std::string> OfferedNames(const CTournament& tournament)
{
    std::vector<std::pair<QString, std::string>> keyed;
    keyed.reserve(tournament.m_players.Size());
    for (PlayerId id = 0; id < tournament.m_players.Size(); ++id) {
        std::string name = ToUtf8(tournament.PlayerName(id), tournament.m_encoding);
        keyed.emplace_back(QString::fromStdString(name).toCaseFolded(), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed)
        names.push_back(std::move(name));
    return names;
}

QString ProposalLogPath(const QString& tournamentPath)
{
    const QFileInfo file(tournamentPath);
    return file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".forslag.log");
}

const char* StateWord(CProposal::State state)
{
    switch (state) {
    case CProposal::State::Waiting:
        return "väntar";
    case CProposal::State::Accepted:
        return "godkänt";
    case CProposal::State::Rejected:
        return "avvisat";
    case CProposal::State::Replaced:
        return "ersatt av nyare";
    }
    return "";
}

std::string CProposalBox::NewId(std::size_t bytes) const
{
    // The system's own source: a code can be neither guessed nor worked out from an earlier one.
    std::array<quint32, 8> words = {};
    const std::size_t count = (bytes + 3) / 4;
    QRandomGenerator::system()->fillRange(words.data(), static_cast<qsizetype>(count));
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string id;
    for (std::size_t i = 0; i < count; ++i)
        for (int shift = 28; shift >= 0; shift -= 4)
            id += kDigits[(words[i] >> shift) & 0xF];
    return id;
}

std::string CProposalBox::Open(std::string roundName, std::vector<std::string> players, TextEncoding encoding)
{
    const std::lock_guard lock(m_mutex);
    if (!m_token.empty())
        m_ended.insert(m_token);
    if (roundName != m_round) {
        // The proposals belong to the round being entered; another round starts with none.
        m_proposals.clear();
        m_senders.clear();
    }
    m_token = NewId(16);
    m_round = std::move(roundName);
    m_players = std::move(players);
    m_encoding = encoding;
    return m_token;
}

void CProposalBox::End()
{
    const std::lock_guard lock(m_mutex);
    if (!m_token.empty())
        m_ended.insert(std::exchange(m_token, std::string()));
}

bool CProposalBox::Live() const
{
    const std::lock_guard lock(m_mutex);
    return !m_token.empty();
}

void CProposalBox::SetEncoding(TextEncoding encoding)
{
    const std::lock_guard lock(m_mutex);
    m_encoding = encoding;
}

void CProposalBox::SetLog(const QString& path)
{
    const std::lock_guard lock(m_mutex);
    m_log = path;
}

std::vector<CProposal> CProposalBox::Proposals() const
{
    const std::lock_guard lock(m_mutex);
    return m_proposals;
}

std::size_t CProposalBox::Arrived() const
{
    const std::lock_guard lock(m_mutex);
    return m_arrived;
}

bool CProposalBox::Decide(const std::string& id, CProposal::State state)
{
    const std::lock_guard lock(m_mutex);
    for (CProposal& proposal : m_proposals) {
        if (proposal.m_id != id)
            continue;
        if (proposal.m_state == state)
            return true;
        proposal.m_state = state;
        Log(proposal, StateWord(state));
        return true;
    }
    return false;
}

void CProposalBox::Log(const CProposal& proposal, std::string_view event) const
{
    if (m_log.isEmpty())
        return;
    // One write of one whole line, appended: lines of two writers never mix, and nothing
    // written before is touched.
    std::string line = LocalTime(QDateTime::currentSecsSinceEpoch()) + '\t' + proposal.m_address + '\t' +
                       std::string(event) + '\t' + m_round + '\t' + proposal.m_id + '\t' + proposal.m_name + '\t' +
                       proposal.m_points;
    if (!proposal.m_reason.empty() && proposal.m_state == CProposal::State::Rejected && event != "förslag")
        line += '\t' + proposal.m_reason;
    line += '\n';
    const int fd = ::open(QFile::encodeName(m_log).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
}

std::vector<CProposal> CProposalBox::RestoreFromLog(const std::string& roundName)
{
    const std::lock_guard lock(m_mutex);
    std::vector<CProposal> restored;
    QFile file(m_log);
    if (m_log.isEmpty() || !file.open(QIODevice::ReadOnly))
        return restored;
    std::vector<CProposal> order;
    std::map<std::string, std::size_t> at;
    while (!file.atEnd()) {
        const QByteArray read = file.readLine(64 * 1024);
        std::string line = read.toStdString();
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        if (fields.size() < 7 || fields[3] != roundName)
            continue;
        const std::string& event = fields[2];
        if (event == "förslag") {
            CProposal proposal;
            proposal.m_address = fields[1];
            proposal.m_time = QDateTime::fromString(QString::fromStdString(fields[0]), Qt::ISODate).toSecsSinceEpoch();
            proposal.m_id = fields[4];
            proposal.m_name = fields[5];
            proposal.m_points = fields[6];
            at[proposal.m_id] = order.size();
            order.push_back(std::move(proposal));
        } else if (const auto found = at.find(fields[4]); found != at.end()) {
            order[found->second].m_state = CProposal::State::Accepted; // decided, whichever way
        }
    }
    for (CProposal& proposal : order) {
        if (proposal.m_state != CProposal::State::Waiting)
            continue;
        if (std::any_of(m_proposals.begin(), m_proposals.end(),
                        [&](const CProposal& p) { return p.m_id == proposal.m_id; }))
            continue;
        m_proposals.push_back(proposal);
        restored.push_back(std::move(proposal));
    }
    return restored;
}

std::string CProposalBox::Refusal(const std::string& name, const std::string& points) const
{
    // The words of the editor's own checks, as the paste shows them.
    if (name.empty())
        return "namn saknas";
    if (points.empty())
        return "poäng saknas";
    int value = 0;
    const bool digits = points.find_first_not_of("0123456789") == std::string::npos;
    if (!IsInteger(points, value))
        return digits ? "för lång" : "poängen är inget heltal";
    if (Characters(name) > kNameLimit)
        return "för lång";
    std::string bytes;
    if (!ToTournamentText(name, m_encoding, bytes))
        return "namnet har tecken som turneringens teckenkodning (Windows-1252) inte kan lagra";
    return {};
}

CProposalAnswer CProposalBox::Answer(std::string_view method, std::string_view path, std::string_view contentType,
                                     std::string_view body, const std::string& address)
{
    const bool post = method == "POST", read = method == "GET" || method == "HEAD";
    if (!post && !read)
        return Plain(405, kNotAllowed);
    // "/r/TOKEN", "/r/TOKEN/SENDER" (the phone's list) or "/r/TOKEN/SENDER/ny" (its form).
    std::string_view rest = path.substr(std::min<std::size_t>(3, path.size()));
    std::vector<std::string_view> parts;
    for (std::size_t start = 0; parts.size() < 4;) {
        const std::size_t slash = rest.find('/', start);
        parts.push_back(rest.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    std::unique_lock lock(m_mutex);
    if (!IsHex(parts[0], 32))
        return Plain(403, kWrongCode);
    if (!m_token.empty() && SameCode(parts[0], m_token)) {
        // Live.
    } else if (m_ended.contains(std::string(parts[0]))) {
        return Plain(410, kEnded);
    } else {
        return Plain(403, kWrongCode);
    }
    if (post) {
        if (parts.size() != 1)
            return Plain(405, kNotAllowed);
        lock.unlock();
        return Post(std::string(parts[0]), contentType, body, address);
    }
    if (parts.size() == 1)
        return FormPage({}, {}, {}, 200);
    const std::string sender(parts[1]);
    if (!m_senders.contains(sender) || parts.size() > 3 || (parts.size() == 3 && parts[2] != "ny"))
        return Plain(404, kNotFound);
    return parts.size() == 3 ? FormPage(sender, {}, {}, 200) : ListPage(sender);
}

CProposalAnswer CProposalBox::Post(const std::string& token, std::string_view contentType, std::string_view body,
                                   const std::string& address)
{
    Fields fields;
    const std::string_view type = contentType.substr(0, contentType.find(';'));
    if (type != "application/x-www-form-urlencoded" || !ParseForm(body, fields))
        return Plain(400, kUnreadable);
    std::string code, sender;
    std::vector<std::string> names, points;
    bool addRow = false, haveCode = false;
    for (auto& [key, value] : fields) {
        if (key == "t") {
            code = std::move(value);
            haveCode = true;
        } else if (key == "s") {
            sender = std::move(value);
        } else if (key == "n") {
            names.push_back(std::move(value));
        } else if (key == "p") {
            points.push_back(std::move(value));
        } else if (key == "rad") {
            addRow = true;
        }
    }
    if (!haveCode || names.size() != points.size())
        return Plain(400, kUnreadable);
    // The form carries the code: a page of another site cannot post one it was not given.
    if (!SameCode(code, token))
        return Plain(403, kWrongCode);
    Fields rows;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string name = Folded(names[i]), score = Folded(points[i]);
        if (!name.empty() || !score.empty())
            rows.emplace_back(std::move(name), std::move(score));
    }

    std::unique_lock lock(m_mutex);
    // The code may have ended while the form was read.
    if (m_token.empty() || !SameCode(token, m_token))
        return Plain(m_ended.contains(token) ? 410 : 403, m_ended.contains(token) ? kEnded : kWrongCode);
    if (!IsHex(sender, 32) || !m_senders.contains(sender))
        sender.clear();
    if (addRow) {
        // The form again as it was filled in, one row longer.
        Fields shown;
        for (std::size_t i = 0; i < names.size() && i < kRateLimit; ++i)
            shown.emplace_back(names[i], points[i]);
        shown.emplace_back();
        return FormPage(sender, shown, {}, 200);
    }
    if (rows.empty())
        return FormPage(sender, {}, "Skriv namn och poäng.", 400);

    const auto now = Clock::now();
    for (auto entry = m_rate.begin(); entry != m_rate.end();) {
        while (!entry->second.empty() && now - entry->second.front() >= std::chrono::minutes(1))
            entry->second.pop_front();
        entry = entry->second.empty() ? m_rate.erase(entry) : std::next(entry);
    }
    std::deque<Clock::time_point>& recent = m_rate[address];
    if (recent.size() + rows.size() > kRateLimit) {
        CProposalAnswer answer = Plain(429, kTooFast);
        answer.m_retryAfter = 60;
        return answer;
    }
    const auto open =
        static_cast<std::size_t>(std::count_if(m_proposals.begin(), m_proposals.end(), [](const CProposal& p) {
            return p.m_state == CProposal::State::Waiting;
        }));
    if (open + rows.size() > kOpenLimit) {
        CProposalAnswer answer = Plain(503, kTooMany);
        answer.m_retryAfter = 30;
        return answer;
    }
    if (sender.empty()) {
        sender = NewId(16);
        m_senders.insert(sender);
    }
    const std::int64_t time = QDateTime::currentSecsSinceEpoch();
    for (auto& [name, score] : rows) {
        recent.push_back(now);
        CProposal proposal;
        proposal.m_id = NewId(8);
        proposal.m_sender = sender;
        proposal.m_address = address;
        proposal.m_time = time;
        proposal.m_reason = Refusal(name, score);
        proposal.m_name = std::move(name);
        proposal.m_points = std::move(score);
        Log(proposal, "förslag");
        if (!proposal.m_reason.empty()) {
            proposal.m_state = CProposal::State::Rejected;
            Log(proposal, "avvisat");
        }
        m_proposals.push_back(std::move(proposal));
        ++m_arrived;
    }
    lock.unlock();
    emit arrived();
    CProposalAnswer answer = Plain(303, "Tack! Väntar på att sekreteraren godkänner.\n");
    answer.m_location = "/r/" + token + "/" + sender;
    return answer;
}

CProposalAnswer CProposalBox::FormPage(const std::string& sender, const Fields& rows, std::string_view problem,
                                       unsigned status) const
{
    const std::string title = "Rapportera resultat i " + m_round;
    std::string page = PageStart(title, false);
    page += "<h1>" + Html(m_round) + "</h1>\n";
    if (!problem.empty())
        page += "<p class=\"problem\">" + Html(problem) + "</p>\n";
    page += "<form method=\"post\" action=\"/r/" + m_token + "\" accept-charset=\"utf-8\">\n";
    page += "<input type=\"hidden\" name=\"t\" value=\"" + m_token + "\">\n";
    page += "<input type=\"hidden\" name=\"s\" value=\"" + sender + "\">\n";
    Fields shown = rows;
    while (shown.size() < kRowsShown)
        shown.emplace_back();
    for (const auto& [name, points] : shown) {
        page += "<div class=\"row\"><input class=\"name\" name=\"n\" list=\"spelare\" autocomplete=\"off\" "
                "maxlength=\"" +
                std::to_string(kNameLimit) + "\" placeholder=\"Namn\" aria-label=\"Namn\" value=\"" + Html(name) +
                "\"><input class=\"points\" name=\"p\" inputmode=\"numeric\" maxlength=\"9\" placeholder=\"Poäng\" "
                "aria-label=\"Poäng\" value=\"" +
                Html(points) + "\"></div>\n";
    }
    // "Skicka" first: Enter in a field sends the form with the first button.
    page += "<button type=\"submit\">Skicka</button>"
            "<button type=\"submit\" name=\"rad\" value=\"1\">Lägg till en rad</button>\n</form>\n";
    page += "<datalist id=\"spelare\">\n";
    for (const std::string& player : m_players)
        page += "<option value=\"" + Html(player) + "\">\n";
    page += "</datalist>\n";
    page += "<p class=\"note\">Det du skickar är ett förslag: sekreteraren ser det och godkänner det innan det "
            "kommer in i tabellen.</p>\n";
    if (!sender.empty())
        page += "<p><a href=\"/r/" + m_token + "/" + sender + "\">Det du har skickat</a></p>\n";
    page += "</body>\n</html>\n";
    CProposalAnswer answer;
    answer.m_status = status;
    answer.m_body = std::move(page);
    return answer;
}

CProposalAnswer CProposalBox::ListPage(const std::string& sender) const
{
    std::string page = PageStart("Skickat i " + m_round, true);
    page += "<h1>" + Html(m_round) + "</h1>\n";
    const bool waiting = std::any_of(m_proposals.begin(), m_proposals.end(), [&](const CProposal& p) {
        return p.m_sender == sender && p.m_state == CProposal::State::Waiting;
    });
    page += waiting ? "<p>Tack! Väntar på att sekreteraren godkänner</p>\n"
                    : "<p>Tack! Sekreteraren har gått igenom det du skickat.</p>\n";
    page += "<table>\n";
    for (const CProposal& proposal : m_proposals) {
        if (proposal.m_sender != sender)
            continue;
        const std::string word = StateWord(proposal.m_state);
        const char* tone = proposal.m_state == CProposal::State::Accepted   ? "godkant"
                           : proposal.m_state == CProposal::State::Rejected ? "avvisat"
                                                                            : "";
        page += "<tr><td>" + Html(proposal.m_name) + "</td><td>" + Html(proposal.m_points) + "</td><td class=\"" +
                tone + "\">" + Html(word);
        if (!proposal.m_reason.empty())
            page += ": " + Html(proposal.m_reason);
        page += "</td></tr>\n";
    }
    page += "</table>\n<p><a href=\"/r/" + m_token + "/" + sender + "/ny\">Skicka fler resultat</a></p>\n";
    page += "</body>\n</html>\n";
    CProposalAnswer answer;
    answer.m_body = std::move(page);
    return answer;
}
