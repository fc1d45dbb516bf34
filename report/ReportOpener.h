#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The show state the "Skapa Tabell" command hands on: the started program shows its window.
inline constexpr int SW_SHOW = 5;

// The desktop services that opening the page relies on. The real ones live in ui/; tests
// replace them, so that no test starts a browser. Paths are file-name bytes as the system
// takes them.
class CShell
{
public:
    virtual ~CShell() = default;

    // Hands the file to the desktop's handler for its type; true when it was handed on.
    virtual bool ShellOpen(const std::string& path, int showCommand) = 0;
    // The default value of a key of the file-type associations: ".htm" gives the class (the
    // application) registered for the type, "<class>\shell\open\command" that class's open
    // command. False, with `out` left as it was, when the key is missing or has no readable value.
    virtual bool ReadRegistryDefault(const std::string& subKey, std::string& out) = 0;
    // Starts `program` with `arguments`, without a shell and without waiting for it; true when
    // it was started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                              int showCommand) = 0;
};

// A program to start and its arguments, each handed on as it is.
struct COpenCommand
{
    std::string m_program;
    std::vector<std::string> m_arguments;
};

// The command that opens `path` with the registered open command `command` (a desktop entry's
// Exec value, or a command with "%1"): cut before the first placeholder (%f %F %u %U "%1"; before
// its opening quote when it stands in quotes), split what is left into words as a desktop entry's
// Exec line is, and add `path` as one more argument, whatever it holds. Nothing when no program is
// left or a quote is left open.
std::optional<COpenCommand> BuildOpenCommand(std::string_view command, const std::string& path);

enum class ReportOpened {
    ByShell,
    ByRegisteredProgram,
    NotOpened
};

// Shows the page at `path`: through the shell, else by starting the program registered for
// ".htm" files. Never waits for the program; the caller need not look at the outcome.
ReportOpened OpenReport(CShell& shell, const std::string& path, int showCommand);
