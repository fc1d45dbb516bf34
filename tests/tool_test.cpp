#include "FileHelpers.h"
#include "TempMount.h"
#include "Tool.h"
#include "Tournament.h"
#include "WorkedExample.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace {

const QString kExamples = QStringLiteral(RAVELMARK_EXAMPLES);

struct ToolRun
{
    int code;
    std::string out;
    std::string err;
};

ToolRun Tool(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int code = RunTool(args, out, err);
    return {code, out.str(), err.str()};
}

std::string Path(const QTemporaryDir& dir, const char* name)
{
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

TEST(Tool, Check)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
        std::string err;
    } cases[] = {
        {"ok.txt", "Cup\r\n\r\nR\r\nAnna 3\r\n", 0, ""},
        {"kalle.txt", "V\xE5rcup\n\nR\nA 1\nKalle\n", 1,
         "Rad 5 : \"Kalle\"\nF\xC3\xB6rv\xC3\xA4ntad resultatrad: <Spelarnamn> <Po\xC3\xA4ng>\n"},
        {"1252.txt", "Cup\n\nR\n\xC5sa x\n", 1, "Rad 4 : \"\xC3\x85sa x\"\nPo\xC3\xA4ng ska vara ett heltal\n"},
        {"utf8.txt", "Cup\n\nR\n\xC3\x85sa x\n", 1, "Rad 4 : \"\xC3\x85sa x\"\nPo\xC3\xA4ng ska vara ett heltal\n"},
        {"empty.txt", "", 1, "Titelraden \xC3\xA4r tom\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(dir.filePath(c.name), c.bytes));
        const ToolRun run = Tool({"check", Path(dir, c.name)});
        EXPECT_EQ(run.code, c.code) << c.name;
        EXPECT_EQ(run.err, c.err) << c.name;
        EXPECT_EQ(run.out, "") << c.name;
    }
    const std::string missing = Path(dir, "saknas.txt");
    EXPECT_EQ(Tool({"check", missing}).err, "Kan inte \xC3\xB6ppna filen: " + missing + "\n");
    EXPECT_EQ(Tool({"check", dir.path().toStdString()}).code, 1);
}

TEST(Tool, TableWritesTheWorkedExample)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kExamples + "/klubbkamp.txt", dir.filePath("klubbkamp.txt")));
    ASSERT_TRUE(WriteBytes(dir.filePath("klubbkamp.htm"), std::string(100000, 'x')));
    const ToolRun run = Tool({"table", Path(dir, "klubbkamp.txt")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(ReadBytes(dir.filePath("klubbkamp.htm")), kWorkedExamplePage);

    // Refused files write nothing; a tournament named *.htm is never written over.
    ASSERT_TRUE(WriteBytes(dir.filePath("bad"), "Cup\n\nR\nKalle\n"));
    EXPECT_EQ(Tool({"table", Path(dir, "bad")}).code, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("bad.htm")));
    ASSERT_TRUE(WriteBytes(dir.filePath("cup.htm"), "Cup\n"));
    const ToolRun same = Tool({"table", Path(dir, "cup.htm")});
    EXPECT_EQ(same.code, 1);
    EXPECT_EQ(same.err, "Kan inte skapa filen: " + Path(dir, "cup.htm") + "\n");
    EXPECT_EQ(ReadBytes(dir.filePath("cup.htm")), "Cup\n");
}

TEST(Tool, TableFileFaults)
{
    for (const bool full : {false, true}) {
        CTempMount mount(64 * 1024);
        if (!mount.Mounted())
            GTEST_SKIP() << mount.SkipReason();
        const std::string file = mount.Path() + "/klubbkamp.txt";
        const std::string page = mount.Path() + "/klubbkamp.htm";
        ASSERT_TRUE(QFile::copy(kExamples + "/klubbkamp.txt", QString::fromStdString(file)));
        ASSERT_TRUE(full ? mount.Fill() : mount.MakeReadOnly());
        const ToolRun run = Tool({"table", file});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, full ? "Disk full while accessing " + page + ".\n" : "Kan inte skapa filen: " + page + "\n");
    }
}

TEST(Tool, RewriteThenCheckRoundTripsTheExamples)
{
    for (const char* name : {"klubbkamp.txt", "varserien-2024.txt", "sommarcupen-utf8.txt"}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(kExamples + "/" + name, path));
        const std::string original = ReadBytes(path);
        const std::string before = Tool({"standings", path.toStdString()}).out;

        const ToolRun rewrite = Tool({"rewrite", path.toStdString()});
        ASSERT_EQ(rewrite.code, 0) << name << rewrite.err;
        const QStringList entries = Entries(dir.path());
        ASSERT_EQ(entries.size(), 2) << name;
        EXPECT_TRUE(entries[1].endsWith(".bak"));
        EXPECT_EQ(ReadBytes(dir.filePath(entries[1])), original) << name;

        EXPECT_EQ(Tool({"check", path.toStdString()}).code, 0) << name;
        EXPECT_EQ(Tool({"standings", path.toStdString()}).out, before) << name;
        // The saved form is the writer's own: saving it again changes nothing but the backup.
        const std::string saved = ReadBytes(path);
        QFile::remove(dir.filePath(entries[1]));
        ASSERT_EQ(Tool({"rewrite", path.toStdString()}).code, 0) << name;
        EXPECT_EQ(ReadBytes(path), saved) << name;
    }
}

TEST(Tool, RewriteRefusals)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cup.txt");
    ASSERT_TRUE(WriteBytes(path, "Cup\n"));
    CTournament blank;
    blank.m_title = " \t ";
    std::ostringstream err;
    EXPECT_EQ(SaveTournament(blank, 0, path, QDateTime::currentDateTime(), err), 1);
    EXPECT_EQ(err.str(), "Turneringens namn f\xC3\xA5r inte vara tom\n");
    EXPECT_EQ(Entries(dir.path()), QStringList{"cup.txt"});

    // The backup name comes from the file's own time; when it is taken the save fails.
    const QDateTime stamp(QDate(2005, 12, 6), QTime(14, 30, 5));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(WriteBytes(dir.filePath("cup_051206_143005.bak"), "earlier"));
    const ToolRun taken = Tool({"rewrite", path.toStdString()});
    EXPECT_EQ(taken.code, 1);
    EXPECT_EQ(taken.err, "Access to an unnamed file was denied.\n");
    EXPECT_EQ(ReadBytes(path), "Cup\n");
}

TEST(Tool, Standings)
{
    const ToolRun run = Tool({"standings", (kExamples + "/klubbkamp.txt").toStdString()});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "Plac  Namn     Summa  Omg\xC3\xA5ng 1  Omg\xC3\xA5ng 2  Antal\n"
                       "   1  Anna        15        10         5      2\n"
                       "      Bo          15         7         8      2\n"
                       "   3  Cecilia     10        10                1\n");
    const ToolRun utf8 = Tool({"standings", (kExamples + "/sommarcupen-utf8.txt").toStdString()});
    EXPECT_EQ(utf8.out, "Plac  Namn                  Summa  F\xC3\xB6rsta omg\xC3\xA5ngen  Andra omg\xC3\xA5ngen  Final  Antal\n"
                        "   1  G\xC3\xB6ran \xC3\x84rlig              28                9              11      8      3\n"
                        "   2  \xC3\x85sa \xC3\x96" "berg                19               12               7             2\n"
                        "      Zo\xC3\xAB L\xC3\xB8v\xC3\xA5s                19               12                      7      2\n"
                        "   4  Marie-Th\xC3\xA9r\xC3\xA8se Dubois      5                                5             1\n");
}

TEST(Tool, UsageAndHelp)
{
    const ToolRun help = Tool({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.starts_with("usage: ravelmark-tool"));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"check"}, {"frobnicate", "x.txt"}, {"check", "a.txt", "b.txt"}, {"--help", "check"}}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
        EXPECT_TRUE(run.err.starts_with("usage: "));
    }
}

// The real program once, for what only a process shows: exit codes and streams.
TEST(Tool, Binary)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kExamples + "/klubbkamp.txt", dir.filePath("klubbkamp.txt")));
    ASSERT_TRUE(WriteBytes(dir.filePath("bad.txt"), "Cup\n\nR\nKalle\n"));
    const struct
    {
        QStringList args;
        int code;
        const char* err;
    } cases[] = {
        {{"check", dir.filePath("klubbkamp.txt")}, 0, ""},
        {{"check", dir.filePath("bad.txt")}, 1, "Rad 4 : \"Kalle\"\nF\xC3\xB6rv\xC3\xA4ntad resultatrad: <Spelarnamn> <Po\xC3\xA4ng>\n"},
        {{"check", dir.filePath("none.txt")}, 1, nullptr},
        {{"table", dir.filePath("klubbkamp.txt")}, 0, ""},
        {{"help"}, 2, nullptr},
        {{"--help"}, 0, ""},
    };
    for (const auto& c : cases) {
        QProcess tool;
        tool.start(QStringLiteral(RAVELMARK_TOOL), c.args);
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), c.code) << c.args.join(' ').toStdString();
        if (c.err) {
            EXPECT_EQ(tool.readAllStandardError().toStdString(), c.err);
        }
    }
    EXPECT_EQ(ReadBytes(dir.filePath("klubbkamp.htm")), kWorkedExamplePage);

    // Output that cannot be written is a failure.
    QProcess full;
    full.setStandardOutputFile(QStringLiteral("/dev/full"));
    full.start(QStringLiteral(RAVELMARK_TOOL), {"standings", dir.filePath("klubbkamp.txt")});
    ASSERT_TRUE(full.waitForFinished(30000));
    EXPECT_EQ(full.exitCode(), 1);
}

} // namespace
