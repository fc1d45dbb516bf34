#include "FileHelpers.h"
#include "TempMount.h"
#include "TextFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const std::string kOld = "Cup\r\n\r\nR1\r\nAnna 5\r\n";
const QDateTime kStamp(QDate(2005, 12, 6), QTime(14, 30, 5));

// Saves `lines` over `path` as the close request does.
SaveStatus Save(const QString& path, const std::vector<std::string>& lines, CFileError& error)
{
    CTextFileWriter out;
    return SaveTournamentFile(out, path, kStamp, [&] {
        for (const std::string& line : lines)
            out.WriteLine(line);
    }, error);
}

TEST(Save, GivesBackupAndNewFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lista.txt");
    ASSERT_TRUE(WriteBytes(path, kOld));
    CFileError error;
    ASSERT_EQ(Save(path, {"Cup", "", "R1", "Anna  7"}, error), SaveStatus::Saved);
    EXPECT_EQ(Entries(dir.path()), (QStringList{"lista.txt", "lista_051206_143005.bak"}));
    EXPECT_EQ(ReadBytes(dir.filePath("lista_051206_143005.bak")), kOld);
    EXPECT_EQ(ReadBytes(path), "Cup\r\n\r\nR1\r\nAnna  7\r\n");
}

TEST(Save, FollowsASymbolicLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("data"));
    const QString target = dir.filePath("data/lista.txt");
    const QString link = dir.filePath("lista.txt");
    ASSERT_TRUE(WriteBytes(target, kOld));
    ASSERT_TRUE(QFile::link(target, link));
    CFileError error;
    ASSERT_EQ(Save(link, {"Cup"}, error), SaveStatus::Saved);
    EXPECT_EQ(ReadBytes(dir.filePath("data/lista_051206_143005.bak")), kOld);
    EXPECT_EQ(ReadBytes(link), "Cup\r\n");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
}

// Every failure leaves the old file complete under its own name and nothing else behind.
struct FailureCase
{
    const char* what;
    std::function<void(const QString& dir, const QString& path)> prepare;
    SaveStatus status;
    std::string report; // %1 stands for the tournament file's path
    QStringList entries;
};

TEST(Save, FailuresKeepTheOldFile)
{
    const FailureCase cases[] = {
        {"backup name taken",
         [](const QString& dir, const QString&) { WriteBytes(dir + "/lista_051206_143005.bak", "earlier"); },
         SaveStatus::Failed, "Access to an unnamed file was denied.", {"lista.txt", "lista_051206_143005.bak"}},
        {"file gone", [](const QString&, const QString& path) { QFile::remove(path); }, SaveStatus::Failed,
         "an unnamed file was not found.", {}},
    };
    for (const FailureCase& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("lista.txt");
        ASSERT_TRUE(WriteBytes(path, kOld));
        c.prepare(dir.path(), path);
        CFileError error;
        EXPECT_EQ(Save(path, {"Cup", "", "R1", "Anna  7"}, error), c.status) << c.what;
        EXPECT_EQ(error.ReportText().toStdString(), c.report) << c.what;
        EXPECT_EQ(Entries(dir.path()), c.entries) << c.what;
        if (c.entries.contains("lista.txt")) {
            EXPECT_EQ(ReadBytes(path), kOld) << c.what;
        }
    }
}

TEST(Save, ReadOnlyFileSystemCannotCreate)
{
    CTempMount mount(64 * 1024);
    if (!mount.Mounted())
        GTEST_SKIP() << mount.SkipReason();
    const QString path = QString::fromStdString(mount.Path()) + "/lista.txt";
    ASSERT_TRUE(WriteBytes(path, kOld));
    ASSERT_TRUE(mount.MakeReadOnly());
    CFileError error;
    EXPECT_EQ(Save(path, {"Cup"}, error), SaveStatus::CannotCreate);
    EXPECT_EQ(Entries(QString::fromStdString(mount.Path())), QStringList{"lista.txt"});
    EXPECT_EQ(ReadBytes(path), kOld);
}

TEST(Save, FullFileSystemReportsDiskFull)
{
    // A short text fails when the buffer is written at the end; a long one while it is written.
    for (const std::size_t lines : {std::size_t{1}, std::size_t{40000}}) {
        CTempMount mount(256 * 1024);
        if (!mount.Mounted())
            GTEST_SKIP() << mount.SkipReason();
        const QString folder = QString::fromStdString(mount.Path());
        const QString path = folder + "/lista.txt";
        ASSERT_TRUE(WriteBytes(path, kOld));
        ASSERT_TRUE(mount.Fill());
        CFileError error;
        EXPECT_EQ(Save(path, std::vector<std::string>(lines, "Anna Berg                         12"), error),
                  SaveStatus::Failed);
        EXPECT_EQ(error.ReportText(), "Disk full while accessing " + path + ".");
        EXPECT_EQ(Entries(folder), (QStringList{"filler", "lista.txt"}));
        EXPECT_EQ(ReadBytes(path), kOld);
    }
}

} // namespace
