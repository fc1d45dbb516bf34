#include "ReportOpener.h"

namespace {

bool IsPlaceholder(char code)
{
    return code == 'f' || code == 'F' || code == 'u' || code == 'U' || code == '1';
}

// Inside double quotes a backslash escapes only these; before anything else it is itself.
bool IsQuotedEscape(char c)
{
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// Where the command is cut: before the first placeholder, or before the opening quote of the
// quoted word that holds it. "%%" is a literal percent sign, never the start of a placeholder.
std::size_t CutPosition(std::string_view command)
{
    bool quoted = false;
    std::size_t quoteStart = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quoted && c == '\\' && i + 1 < command.size() && IsQuotedEscape(command[i + 1])) {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            quoteStart = i;
        } else if (c == '%' && i + 1 < command.size()) {
            if (IsPlaceholder(command[i + 1]))
                return quoted ? quoteStart : i;
            ++i;
        }
    }
    return command.size();
}

// Splits a command into words by the desktop entry rules: blanks separate, a double-quoted
// word keeps its blanks, "%%" gives '%' and any other field code gives nothing.
std::optional<std::vector<std::string>> SplitWords(std::string_view command)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a quoted "" is an empty word of its own
    bool quoted = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == '%') {
            if (i + 1 < command.size() && command[i + 1] == '%') {
                word += '%';
                inWord = true;
            }
            ++i;
        } else if (quoted) {
            if (c == '\\' && i + 1 < command.size() && IsQuotedEscape(command[i + 1]))
                word += command[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (IsBlank(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

} // namespace

std::optional<COpenCommand> BuildOpenCommand(std::string_view command, const std::string& path)
{
    std::optional<std::vector<std::string>> words = SplitWords(command.substr(0, CutPosition(command)));
    // Without a program the path itself would be started.
    if (!words || words->empty() || words->front().empty())
        return std::nullopt;
    COpenCommand result;
    result.m_program = std::move(words->front());
    result.m_arguments.assign(std::make_move_iterator(words->begin() + 1), std::make_move_iterator(words->end()));
    result.m_arguments.push_back(path);
    return result;
}

ReportOpened OpenReport(CShell& shell, const std::string& path, int showCommand)
{
    if (shell.ShellOpen(path, showCommand))
        return ReportOpened::ByShell;
    std::string value;
    if (!shell.ReadRegistryDefault(".htm", value) || value.empty())
        return ReportOpened::NotOpened;
    if (!shell.ReadRegistryDefault(value + "\\shell\\open\\command", value))
        return ReportOpened::NotOpened;
    const std::optional<COpenCommand> command = BuildOpenCommand(value, path);
    if (!command || !shell.StartProgram(command->m_program, command->m_arguments, showCommand))
        return ReportOpened::NotOpened;
    return ReportOpened::ByRegisteredProgram;
}
