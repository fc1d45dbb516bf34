#include "ReportOpener.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// "[program][argument]...", empty when there is nothing to start.
std::string Command(std::string_view command, const std::string& path)
{
    const std::optional<COpenCommand> c = BuildOpenCommand(command, path);
    std::string words = c ? "[" + c->m_program + "]" : "";
    for (const std::string& argument : c ? c->m_arguments : std::vector<std::string>())
        words += "[" + argument + "]";
    return words;
}

// Logs what the opener asks of the desktop; answers from a small association table.
class CFakeShell : public CShell
{
public:
    bool ShellOpen(const std::string& path, int show) override
    {
        m_log += "shell " + path + " " + std::to_string(show) + "; ";
        return m_accepts;
    }
    bool ReadRegistryDefault(const std::string& key, std::string& out) override
    {
        m_log += "read " + key + "; ";
        const auto found = m_registry.find(key);
        if (found != m_registry.end())
            out = found->second;
        return found != m_registry.end();
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments, int show) override
    {
        m_log += "start " + program;
        for (const std::string& argument : arguments)
            m_log += " [" + argument + "]";
        m_log += " " + std::to_string(show) + "; ";
        return true;
    }

    bool m_accepts = false;
    std::map<std::string, std::string> m_registry;
    std::string m_log;
};

} // namespace

TEST(BuildOpenCommand, CutsSplitsAndAddsThePath)
{
    const std::string path = "/home/anna/klubbkamp.htm";
    const std::pair<const char*, const char*> cases[] = {
        {R"("C:\Program Files\Web\web.exe" -nohome "%1")", R"([C:\Program Files\Web\web.exe][-nohome])"},
        {"web %1 -z", "[web]"},
        {" web\t-x  %u --private-window x", "[web][-x]"},
        {"web -a %f -z", "[web][-a]"},
        {"web -b %F -z", "[web][-b]"},
        {"web -c %U -z", "[web][-c]"},
        {R"(web -e "--file=%f" -g)", "[web][-e]"},
        {"web --url=%u", "[web][--url=]"},
        {"web --zoom=120%% 100%%1 %i --class %c %k %d %U", "[web][--zoom=120%][100%1][--class]"},
        {R"("/opt/My Web/run" "a \"b\" \$c \`d\` \\e \f" "" %u)", R"([/opt/My Web/run][a "b" $c `d` \e \f][])"},
    };
    for (const auto& [command, words] : cases)
        EXPECT_EQ(Command(command, path), words + ("[" + path + "]")) << command;
    for (const char* command : {"", "   ", "%u", "\"%u\"", "\"\" --x", "web \"unclosed"})
        EXPECT_EQ(Command(command, path), "") << command;
    // The path is one argument, whatever it holds.
    const std::string paths[] = {"/t/mitt lag/klubb kamp.htm", "/t/\"citat\" 'enkla'", "/t/a;rm -rf ~;b", "/t/%u %1 %%",
                                 "/t/$(touch x)`id`$HOME&b|c>d<e*?", "/t/\xC3\xA5 \xE5\\back\t\ttab",
                                 std::string(70000, 'p')};
    for (const std::string& any : paths)
        EXPECT_EQ(Command("web --new-tab \"%u\"", any), "[web][--new-tab][" + any + "]") << any;
}

TEST(OpenReport, ShellFirstThenTheRegisteredProgram)
{
    using Registry = std::map<std::string, std::string>;
    const std::string path = "/t/mitt lag/a;b & c.htm", key = "web.desktop\\shell\\open\\command";
    const std::string shell = "shell " + path + " 5; read .htm; ", command = shell + "read " + key + "; ";
    const struct { bool accepts; Registry registry; ReportOpened outcome; std::string log; } cases[] = {
        {true, {{".htm", "web.desktop"}, {key, "web %u"}}, ReportOpened::ByShell, "shell " + path + " 5; "},
        {false, {{".htm", "web.desktop"}, {key, "/usr/bin/web %u --new"}}, ReportOpened::ByRegisteredProgram,
         command + "start /usr/bin/web [" + path + "] 5; "},
        {false, {}, ReportOpened::NotOpened, shell},
        {false, {{".htm", ""}, {"\\shell\\open\\command", "web %1"}}, ReportOpened::NotOpened, shell},
        {false, {{".htm", "web.desktop"}}, ReportOpened::NotOpened, command},
        {false, {{".htm", "web.desktop"}, {key, "\"%1\""}}, ReportOpened::NotOpened, command},
    };
    for (const auto& c : cases) {
        CFakeShell fake;
        fake.m_accepts = c.accepts;
        fake.m_registry = c.registry;
        EXPECT_EQ(OpenReport(fake, path, SW_SHOW), c.outcome);
        EXPECT_EQ(fake.m_log, c.log);
    }
}
