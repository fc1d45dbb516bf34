#include "ReportOpener.h"

#include <gtest/gtest.h>

#include <map>

using Words = std::vector<std::string>;

namespace {

// The program, then its arguments; nothing when there is nothing to start.
Words Command(std::string_view command, const std::string& path)
{
    const std::optional<COpenCommand> c = BuildOpenCommand(command, path);
    Words words;
    if (c) {
        words = c->m_arguments;
        words.insert(words.begin(), c->m_program);
    }
    return words;
}

// Logs what the opener asks of the desktop; answers from a small association table.
class CFakeShell : public CShell
{
public:
    bool ShellOpen(const std::string& path, int show) override
    {
        m_log.push_back("shell " + path + " " + std::to_string(show));
        return m_shellAccepts;
    }
    bool ReadRegistryDefault(const std::string& key, std::string& out) override
    {
        m_log.push_back("read " + key);
        const auto found = m_registry.find(key);
        return found != m_registry.end() && (out = found->second, true);
    }
    bool StartProgram(const std::string& program, const Words& arguments, int show) override
    {
        std::string call = "start " + program;
        for (const std::string& argument : arguments)
            call += " [" + argument + "]";
        m_log.push_back(call + " " + std::to_string(show));
        return true;
    }

    bool m_shellAccepts = false;
    std::map<std::string, std::string> m_registry;
    Words m_log;
};

} // namespace

TEST(BuildOpenCommand, CutsSplitsAndAddsThePath)
{
    const std::string path = "/home/anna/klubbkamp.htm";
    const std::pair<const char*, Words> cases[] = {
        {R"("C:\Program Files\Web\web.exe" -nohome "%1")", {R"(C:\Program Files\Web\web.exe)", "-nohome"}},
        {"web %1", {"web"}},
        {" web \t -x   -y  ", {"web", "-x", "-y"}},
        {"web %u --private-window x", {"web"}},
        {"web -a %f", {"web", "-a"}},
        {"web -b %F", {"web", "-b"}},
        {"web -c %U", {"web", "-c"}},
        {R"(web -e "--file=%f" -g)", {"web", "-e"}},
        {"web --url=%u", {"web", "--url="}},
        {"web --zoom=120%% 100%%1 %i --class %c %k %d %U", {"web", "--zoom=120%", "100%1", "--class"}},
        {R"("/opt/My Web/run" "a \"b\" \$c \`d\` \\e \f" "" %u)", {"/opt/My Web/run", R"(a "b" $c `d` \e \f)", ""}},
    };
    for (const auto& [command, words] : cases) {
        Words expected = words;
        expected.push_back(path);
        EXPECT_EQ(Command(command, path), expected) << command;
    }
    for (const char* command : {"", "   ", "%u", "\"%u\"", "\"\" --x", "web \"unclosed"})
        EXPECT_EQ(Command(command, path), Words{}) << command;
    for (const std::string& any : Words{"/tmp/mitt lag/klubb kamp.htm", "/tmp/\"citat\" 'enkla'.htm", "/tmp/a;rm -rf ~;b.htm",
                                   "/tmp/$(touch x)`id`$HOME&b|c>d<e*?.htm", "/tmp/%u %1 %%.htm",
                                   "/tmp/\xC3\xA5 \xE5\\back\t\ttab.htm", "/tmp/" + std::string(70000, 'p')})
        EXPECT_EQ(Command("web --new-tab \"%u\"", any), (Words{"web", "--new-tab", any})) << any;
}

TEST(OpenReport, ShellFirstThenTheRegisteredProgram)
{
    const std::string path = "/home/anna/mitt lag/klubb; kamp & co.htm", key = "web.desktop\\shell\\open\\command";
    const std::string shell = "shell " + path + " 5", readClass = "read .htm", readCommand = "read " + key;
    const struct { bool accepts; std::map<std::string, std::string> registry; ReportOpened outcome; Words log; } cases[] = {
        {true, {{".htm", "web.desktop"}, {key, "web %u"}}, ReportOpened::ByShell, {shell}},
        {false, {{".htm", "web.desktop"}, {key, "/usr/bin/web %u --new"}}, ReportOpened::ByRegisteredProgram,
         {shell, readClass, readCommand, "start /usr/bin/web [" + path + "] 5"}},
        {false, {}, ReportOpened::NotOpened, {shell, readClass}},
        {false, {{".htm", ""}, {"\\shell\\open\\command", "web %1"}}, ReportOpened::NotOpened, {shell, readClass}},
        {false, {{".htm", "web.desktop"}}, ReportOpened::NotOpened, {shell, readClass, readCommand}},
        {false, {{".htm", "web.desktop"}, {key, "\"%1\""}}, ReportOpened::NotOpened, {shell, readClass, readCommand}},
    };
    for (const auto& c : cases) {
        CFakeShell fake;
        fake.m_shellAccepts = c.accepts;
        fake.m_registry = c.registry;
        EXPECT_EQ(OpenReport(fake, path, SW_SHOW), c.outcome);
        EXPECT_EQ(fake.m_log, c.log);
    }
}
