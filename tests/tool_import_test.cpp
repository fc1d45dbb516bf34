// SPDX-License-Identifier: GPL-3.0-or-later
// ravelmark-tool import: the preview of --dry-run, the exit codes, what is saved and when; and
// the excel CSV that the import reads back.
#include "FileHelpers.h"
#include "tools/Tool.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace {

const std::string kCup = "Cup\n\nR1\n\xC5ke Lund 7\nAnna 3\n\nR2\nBo 1\n";

struct CImportRun
{
    QTemporaryDir dir;
    std::string path = dir.filePath("cup.txt").toStdString();
    std::string input = dir.filePath("in.txt").toStdString();

    explicit CImportRun(const std::string& results)
    {
        WriteBytes(QString::fromStdString(path), kCup, QDateTime(QDate(2005, 12, 6), QTime(14, 30, 5)));
        WriteBytes(QString::fromStdString(input), results);
    }
    // "exit code|standard output|standard error"
    std::string Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"import", path, "--round"});
        std::ostringstream out, err;
        const int code = RunTool(args, out, err);
        return std::to_string(code) + "|" + out.str() + "|" + err.str();
    }
    std::string Saved() const { return ReadBytes(QString::fromStdString(path)); }
    std::string Files() const { return Entries(dir.path()).join(' ').toStdString(); }
};

const std::string kRows = "Namn\tPo\xC3\xA4ng\nAnna\t3\nBo\t4\nake  lund\t9\nCilla\t5\nDan\t\n";
const std::string kLine3 = "3\take lund\t\xC3\x85ke Lund\t9\tliknar \xC3\x85ke Lund, ers\xC3\xA4tter 7\tavvisad\n";
const std::string kLine5 = "5\tDan\tDan\t\tpo\xC3\xA4ng saknas\tavvisad\n";
const std::string kPreview = "1\tAnna\tAnna\t3\tsamma som f\xC3\xB6rut\n2\tBo\tBo\t4\tk\xC3\xA4nd\n" + kLine3 +
                             "4\tCilla\tCilla\t5\tny spelare\n" + kLine5;
const std::string kRefused = "ravelmark-tool: 2 rader avvisades, inget sparat (--skip-refused hoppar \xC3\xB6ver dem";

} // namespace

TEST(ToolImport, RefusedRowsWriteNothing)
{
    CImportRun run(kRows);
    const std::string reason = kRefused + ", --accept-similar tar liknande namn)\n";
    EXPECT_EQ(run.Run({"R1", run.input, "--dry-run"}), "1|" + kPreview + "|" + reason);
    EXPECT_EQ(run.Run({"R1", run.input}), "1||" + kLine3 + kLine5 + reason);
    EXPECT_EQ(run.Saved(), kCup);
    EXPECT_EQ(run.Files(), "cup.txt in.txt");
    // Dry runs change nothing whatever they are given.
    EXPECT_EQ(run.Run({"R1", run.input, "--dry-run", "--skip-refused", "--accept-similar"}).substr(0, 2), "0|");
    EXPECT_EQ(run.Files(), "cup.txt in.txt");
}

TEST(ToolImport, SavesThroughTheDocument)
{
    CImportRun run(kRows);
    EXPECT_EQ(run.Run({"R1", run.input, "--skip-refused"}), "0||");
    EXPECT_EQ(run.Saved(), "Cup\r\n\r\nR1\r\n\xC5ke Lund  7\r\nAnna      3\r\nBo        4\r\nCilla     5\r\n\r\n"
                           "R2\r\nBo        1\r\n");
    EXPECT_EQ(run.Files(), "cup.txt cup_051206_143005.bak in.txt");
    // A near name enters under the known one only when asked; a new round goes last, its name cleaned.
    WriteBytes(QString::fromStdString(run.input), "ake lund 2\nEva 6\n");
    EXPECT_EQ(run.Run({"Final_omg\xC3\xA5ng", run.input, "--accept-similar"}), "0||");
    EXPECT_EQ(run.Saved().substr(run.Saved().find("\r\n\r\nFinal")),
              "\r\n\r\nFinal omg\xE5ng\r\n\xC5ke Lund  2\r\nEva       6\r\n");
}

// A new name the file's Windows-1252 cannot hold: refused, where the window would ask; a file of
// plain ASCII becomes UTF-8 for it, as when it is typed.
TEST(ToolImport, NamesTheFileCannotHold)
{
    CImportRun run("\xC5\x81ukasz 3\n");
    EXPECT_EQ(run.Run({"R2", run.input}), "1||1\t\xC5\x81ukasz\t\xC5\x81ukasz\t3\tryms inte i filens teckenkodning\tavvisad\n"
                                              "ravelmark-tool: 1 rad avvisades, inget sparat (--skip-refused hoppar "
                                              "\xC3\xB6ver dem, --accept-similar tar liknande namn)\n");
    WriteBytes(QString::fromStdString(run.path), "Cup\n\nR1\nBo 1\n");
    EXPECT_EQ(run.Run({"R1", run.input}), "0||");
    EXPECT_EQ(run.Saved(), "Cup\r\n\r\nR1\r\nBo      1\r\n\xC5\x81ukasz  3\r\n");
}

TEST(ToolImport, ColumnsAndUsage)
{
    CImportRun run("1\tBo\t12\n2\tEva\t9\n");
    EXPECT_EQ(run.Run({"R2", run.input}),
              "1||ravelmark-tool: " + run.input +
                  ": rubrikerna s\xC3\xA4ger inte vilka kolumner som \xC3\xA4r namn och po\xC3\xA4ng (ange --columns "
                  "NAMN,PO\xC3\x84NG)\n");
    EXPECT_EQ(run.Run({"R2", run.input, "--columns", "2,1", "--dry-run"}),
              "0|1\tBo\tBo\t1\tsamma som f\xC3\xB6rut\n2\tEva\tEva\t2\tny spelare\n|");
    const std::string usage = " (se ravelmark-tool --help)\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"R2", run.input, "--columns", "2,2"}, "--columns 2,2: ange NAMN,PO\xC3\x84NG, tv\xC3\xA5 olika kolumner fr\xC3\xA5n 1"},
        {{"R2", run.input, "--columns", "0,1"}, "--columns 0,1: ange NAMN,PO\xC3\x84NG, tv\xC3\xA5 olika kolumner fr\xC3\xA5n 1"},
        {{"R2", run.input, "x"}, "h\xC3\xB6gst tv\xC3\xA5 filer: x"},
        {{"R2", "--open"}, "ok\xC3\xA4nd flagga: --open"},
        {{"_-_"}, "--round: omg\xC3\xA5ngen beh\xC3\xB6ver ett namn"},
    };
    for (const auto& [args, reason] : cases)
        EXPECT_EQ(run.Run(args), "2||ravelmark-tool: " + reason + usage);
    std::ostringstream out, err;
    EXPECT_EQ(RunTool({"import", run.path}, out, err), 2);
    EXPECT_EQ(err.str(), "ravelmark-tool: --round saknas" + usage);
    EXPECT_EQ(run.Run({"R2", run.dir.filePath("saknas").toStdString()}),
              "1||Kan inte \xC3\xB6ppna filen: " + run.dir.filePath("saknas").toStdString() + "\n");
}

// The excel CSV: ';', a mark, CR LF and quoting as csv; read back by the import from standard input.
TEST(ToolImport, ExcelCsvReadBack)
{
    CImportRun run("");
    WriteBytes(QString::fromStdString(run.path), "Cup\n\nR;1\nBo \"B\" 4\n\xC5sa 2\n\nR2\n\xC5sa 3\n");
    std::ostringstream out, err;
    ASSERT_EQ(RunTool({"standings", run.path, "--format", "excel"}, out, err), 0);
    EXPECT_EQ(out.str(), "\xEF\xBB\xBFPlacering;Namn;Summa;\"R;1\";R2;Antal\r\n1;\xC3\x85sa;5;2;3;2\r\n"
                         "2;\"Bo \"\"B\"\"\";4;4;;1\r\n");
    QProcess tool;
    tool.start(RAVELMARK_TOOL, {"import", QString::fromStdString(run.path), "--round", "R;1", "-", "--dry-run"});
    tool.write(QByteArray::fromStdString(out.str()));
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.readAllStandardOutput().toStdString(),
              "1\t\xC3\x85sa\t\xC3\x85sa\t2\tsamma som f\xC3\xB6rut\n2\tBo \"B\"\tBo \"B\"\t4\tsamma som f\xC3\xB6rut\n");
    EXPECT_EQ(tool.exitCode(), 0);
}
