#include "FileHelpers.h"
#include "Reader.h"
#include "TextFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TextFile, LineEnds)
{
    const struct
    {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a", {"a"}},
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\r\r\nb\r", {"a\r", "b\r"}}, // only the CR right before LF goes
        {"a\rb\rc", {"a\rb\rc"}},
    };
    for (const auto& c : cases) {
        CTextLines in(c.text);
        std::vector<std::string> lines;
        std::string_view line;
        while (in.Next(line))
            lines.emplace_back(line);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(TextFile, ReaderGivesTheBytesAndTheModificationTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("v\xC3\xA5r.txt");
    const std::string bytes = std::string("Cup\r\n\0\xE5\xFF\r", 9);
    ASSERT_TRUE(WriteBytes(path, bytes));
    const QDateTime stamp(QDate(2005, 12, 6), QTime(14, 30, 5));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    CTextFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.FilePath(), path);
    EXPECT_EQ(reader.LastModified(), stamp);
    std::string read;
    CFileError error;
    ASSERT_TRUE(reader.ReadAll(read, error));
    EXPECT_EQ(read, bytes);

    EXPECT_FALSE(reader.Open(dir.filePath("missing.txt")));
    EXPECT_FALSE(reader.Open(dir.path()));
}

TEST(TextFile, WriterEndsEveryLineWithCrLfAndEmptiesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lista.htm");
    ASSERT_TRUE(WriteBytes(path, std::string(5000, 'x')));
    CTextFileWriter out;
    ASSERT_TRUE(out.Create(path, CTextFileWriter::Mode::Replace));
    out.WriteLine("<html>");
    out.WriteLine("");
    out.WriteLine(std::string("a\0\xE5", 3));
    CFileError error;
    ASSERT_TRUE(out.Close(error));
    EXPECT_EQ(ReadBytes(path), std::string("<html>\r\n\r\na\0\xE5\r\n", 15));

    EXPECT_FALSE(out.Create(dir.filePath("no/such/folder/x.htm"), CTextFileWriter::Mode::Replace));
    EXPECT_FALSE(out.Create(dir.path(), CTextFileWriter::Mode::Replace));
}

TEST(TextFile, PathNames)
{
    EXPECT_EQ(ChangeExtension(QStringLiteral("/home/u/turnering.2006/lista"), ".htm"),
              QStringLiteral("/home/u/turnering.2006/lista.htm"));
    EXPECT_EQ(ChangeExtension(QStringLiteral("/home/u/v\u00E5r.txt"), ".htm"), QStringLiteral("/home/u/v\u00E5r.htm"));

    const QDateTime local(QDate(2005, 12, 6), QTime(14, 30, 5), Qt::LocalTime);
    EXPECT_EQ(BackupName(QStringLiteral("/t/v\u00E5r.txt"), local), QStringLiteral("/t/v\u00E5r_051206_143005.bak"));
    EXPECT_EQ(BackupName(QStringLiteral("/t.1/lista"), local), QStringLiteral("/t.1/lista_051206_143005.bak"));
    // A time given in UTC is named in local time.
    EXPECT_EQ(BackupName(QStringLiteral("/t/a.txt"), local.toUTC()), QStringLiteral("/t/a_051206_143005.bak"));
}

TEST(TextFile, MoveFileNeverOverwrites)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt");
    const QString b = dir.filePath("b.bak");
    ASSERT_TRUE(WriteBytes(a, "old"));
    CFileError error;
    ASSERT_TRUE(MoveFile(a, b, error));
    EXPECT_EQ(ReadBytes(b), "old");
    EXPECT_FALSE(QFile::exists(a));

    ASSERT_TRUE(WriteBytes(a, "new"));
    EXPECT_FALSE(MoveFile(a, b, error));
    EXPECT_EQ(error.ReportText(), "Access to an unnamed file was denied.");
    EXPECT_EQ(ReadBytes(a), "new");
    EXPECT_EQ(ReadBytes(b), "old");

    // A dangling link still takes the name.
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("link.bak")));
    EXPECT_FALSE(MoveFile(a, dir.filePath("link.bak"), error));
    EXPECT_EQ(ReadBytes(a), "new");

    EXPECT_FALSE(MoveFile(dir.filePath("gone.txt"), dir.filePath("c.bak"), error));
    EXPECT_EQ(error.m_cause, CFileError::FileNotFound);
    EXPECT_EQ(error.ReportText(), "an unnamed file was not found.");
}

TEST(TextFile, ErrorReportTexts)
{
    const struct
    {
        CFileError::Cause cause;
        const char* name;
        const char* text;
    } cases[] = {
        {CFileError::None, "", "No error occurred."},
        {CFileError::Generic, "/t/a.txt", "An unknown error occurred while accessing /t/a.txt."},
        {CFileError::FileNotFound, "", "an unnamed file was not found."},
        {CFileError::BadPath, "/t", "/t contains an invalid path."},
        {CFileError::TooManyOpenFiles, "x", "x could not be opened because there are too many open files."},
        {CFileError::AccessDenied, "", "Access to an unnamed file was denied."},
        {CFileError::InvalidFile, "x", "An invalid file handle was associated with x."},
        {CFileError::RemoveCurrentDir, "x", "x could not be removed because it is the current directory."},
        {CFileError::DirectoryFull, "x", "x could not be created because the directory is full."},
        {CFileError::BadSeek, "x", "Seek failed on x"},
        {CFileError::HardIO, "x", "A hardware I/O error was reported while accessing x."},
        {CFileError::SharingViolation, "x", "A sharing violation occurred while accessing x."},
        {CFileError::LockViolation, "x", "A locking violation occurred while accessing x."},
        {CFileError::DiskFull, "/t/v\xC3\xA5r.txt", "Disk full while accessing /t/v\xC3\xA5r.txt."},
        {CFileError::EndOfFile, "x", "An attempt was made to access x past its end."},
        {CFileError::DiskFull, "/t/100%1.txt", "Disk full while accessing /t/100%1.txt."},
    };
    for (const auto& c : cases)
        EXPECT_EQ((CFileError{c.cause, QString::fromUtf8(c.name)}).ReportText().toStdString(), c.text);
}

} // namespace
