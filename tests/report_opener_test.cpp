#include "ReportOpener.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Words = std::vector<std::string>;

const std::string kPath = "/home/anna/turneringar/klubbkamp.htm";

// ---- Building the command --------------------------------------------------------------

struct CommandCase
{
    const char* name;
    const char* command;
    const char* program;
    Words argumentsBeforePath;
};

class BuildOpenCommandTest : public testing::TestWithParam<CommandCase>
{
};

TEST_P(BuildOpenCommandTest, CutsSplitsAndAddsThePath)
{
    const CommandCase& c = GetParam();
    const std::optional<COpenCommand> command = BuildOpenCommand(c.command, kPath);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->m_program, c.program);
    Words expected = c.argumentsBeforePath;
    expected.push_back(kPath);
    EXPECT_EQ(command->m_arguments, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BuildOpenCommandTest,
    testing::Values(
        CommandCase{"QuotedPercentOne", R"("C:\Program Files\Web\web.exe" -nohome "%1")",
                    R"(C:\Program Files\Web\web.exe)", {"-nohome"}},
        CommandCase{"BarePercentOne", "web %1", "web", {}},
        CommandCase{"NoPlaceholder", "web --new-window", "web", {"--new-window"}},
        CommandCase{"ArgumentsAfterPlaceholderDropped", "firefox-esr %u --private-window x", "firefox-esr", {}},
        CommandCase{"FieldCodeLowerF", "web -a %f", "web", {"-a"}},
        CommandCase{"FieldCodeUpperF", "web -b %F", "web", {"-b"}},
        CommandCase{"FieldCodeLowerU", "web -c %u", "web", {"-c"}},
        CommandCase{"FieldCodeUpperU", "web -d %U", "web", {"-d"}},
        CommandCase{"QuotedWordHoldingPlaceholder", R"(web -e "--file=%f" -g)", "web", {"-e"}},
        CommandCase{"UnquotedWordHoldingPlaceholder", "web --url=%u", "web", {"--url="}},
        CommandCase{"FirstPlaceholderWins", R"(web %U "%1")", "web", {}},
        CommandCase{"DoublePercent", "web --zoom=120%% %U", "web", {"--zoom=120%"}},
        CommandCase{"DoublePercentBeforeOneIsNoPlaceholder", "web 100%%1 %u", "web", {"100%1"}},
        CommandCase{"OtherFieldCodesDropped", "web %i --class %c %k %d %U", "web", {"--class"}},
        CommandCase{"QuotedProgramAndEscapes", R"("/opt/My Web/run" "a \"b\" \$c \`d\` \\e \f" %u)",
                    "/opt/My Web/run", {R"(a "b" $c `d` \e \f)"}},
        CommandCase{"QuotedEmptyArgument", R"(web "" %u)", "web", {""}},
        CommandCase{"BlanksAndTabsSeparate", " web \t -x   -y  ", "web", {"-x", "-y"}}),
    [](const testing::TestParamInfo<CommandCase>& row) { return std::string(row.param.name); });

TEST(BuildOpenCommand, NothingToStart)
{
    for (const char* command : {"", "   ", "%u", "\"%u\"", "\"\" --x", "web \"unclosed"})
        EXPECT_FALSE(BuildOpenCommand(command, kPath).has_value()) << command;
}

TEST(BuildOpenCommand, PathArrivesAsOneArgumentWhateverItHolds)
{
    const std::string paths[] = {
        "/tmp/mitt lag/klubb kamp.htm",
        "/tmp/\"citat\" 'enkla'.htm",
        "/tmp/a;rm -rf ~;b.htm",
        "/tmp/$(touch x)`id`$HOME.htm",
        "/tmp/a&b|c>d<e*?.htm",
        "/tmp/%u %1 %%.htm",
        "/tmp/\xC3\xA5\xC3\xA4\xC3\xB6 \xE5\xE4.htm", // UTF-8 and stray Windows-1252 bytes
        "/tmp/\\back\\slash\t\ttab.htm",
    };
    for (const std::string& path : paths) {
        const std::optional<COpenCommand> command = BuildOpenCommand("web --new-tab \"%u\"", path);
        ASSERT_TRUE(command.has_value()) << path;
        EXPECT_EQ(command->m_arguments, (Words{"--new-tab", path})) << path;
    }
}

TEST(BuildOpenCommand, LongCommandAndPath)
{
    const std::string longWord(100000, 'w');
    const std::string longPath = "/tmp/" + std::string(70000, 'p') + ".htm";
    const std::optional<COpenCommand> command = BuildOpenCommand("/usr/bin/web " + longWord + " %u", longPath);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->m_arguments, (Words{longWord, longPath}));
}

// ---- Opening the page -------------------------------------------------------------------

// Records what the opener asks of the desktop; answers from a small association table.
class CFakeShell : public CShell
{
public:
    bool m_shellAccepts = false;
    std::map<std::string, std::string> m_registry;

    std::vector<std::string> m_shellOpened;
    std::vector<std::string> m_keysRead;
    std::vector<Words> m_started; // program, then its arguments
    std::vector<int> m_showCommands;

    bool ShellOpen(const std::string& path, int showCommand) override
    {
        m_shellOpened.push_back(path);
        m_showCommands.push_back(showCommand);
        return m_shellAccepts;
    }
    bool ReadRegistryDefault(const std::string& subKey, std::string& out) override
    {
        m_keysRead.push_back(subKey);
        const auto found = m_registry.find(subKey);
        if (found == m_registry.end())
            return false;
        out = found->second;
        return true;
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      int showCommand) override
    {
        Words call{program};
        call.insert(call.end(), arguments.begin(), arguments.end());
        m_started.push_back(call);
        m_showCommands.push_back(showCommand);
        return true;
    }
};

const std::string kSpacedPath = "/home/anna/mitt lag/klubb; kamp & co.htm";

CFakeShell ShellWithBrowser()
{
    CFakeShell shell;
    shell.m_registry[".htm"] = "firefox-esr.desktop";
    shell.m_registry["firefox-esr.desktop\\shell\\open\\command"] = "/usr/lib/firefox-esr/firefox-esr %u --new";
    return shell;
}

TEST(OpenReport, ShellAcceptsSoNothingIsLookedUp)
{
    CFakeShell shell = ShellWithBrowser();
    shell.m_shellAccepts = true;
    EXPECT_EQ(OpenReport(shell, kSpacedPath, SW_SHOW), ReportOpened::ByShell);
    EXPECT_EQ(shell.m_shellOpened, Words{kSpacedPath});
    EXPECT_TRUE(shell.m_keysRead.empty());
    EXPECT_TRUE(shell.m_started.empty());
}

TEST(OpenReport, ShellRefusesSoTheRegisteredProgramIsStarted)
{
    CFakeShell shell = ShellWithBrowser();
    EXPECT_EQ(OpenReport(shell, kSpacedPath, SW_SHOW), ReportOpened::ByRegisteredProgram);
    EXPECT_EQ(shell.m_keysRead, (Words{".htm", "firefox-esr.desktop\\shell\\open\\command"}));
    ASSERT_EQ(shell.m_started.size(), 1u);
    EXPECT_EQ(shell.m_started[0], (Words{"/usr/lib/firefox-esr/firefox-esr", kSpacedPath}));
    EXPECT_EQ(shell.m_showCommands, (std::vector<int>{SW_SHOW, SW_SHOW}));
}

TEST(OpenReport, NothingStartedWhenTheLookUpFails)
{
    struct Case
    {
        const char* name;
        std::map<std::string, std::string> registry;
    };
    const Case cases[] = {
        {"no class for .htm", {}},
        {"empty class", {{".htm", ""}, {"\\shell\\open\\command", "web %1"}}},
        {"class without open command", {{".htm", "web.desktop"}}},
        {"command without a program", {{".htm", "web.desktop"}, {"web.desktop\\shell\\open\\command", "\"%1\""}}},
        {"command with an open quote", {{".htm", "web.desktop"}, {"web.desktop\\shell\\open\\command", "\"web %1"}}},
    };
    for (const Case& c : cases) {
        CFakeShell shell;
        shell.m_registry = c.registry;
        EXPECT_EQ(OpenReport(shell, kPath, SW_SHOW), ReportOpened::NotOpened) << c.name;
        EXPECT_TRUE(shell.m_started.empty()) << c.name;
    }
}

} // namespace
