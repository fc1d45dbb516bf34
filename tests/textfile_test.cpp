#include "FileHelpers.h"
#include "TempMount.h"
#include "TextFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

static const QDateTime kStamp(QDate(2005, 12, 6), QTime(14, 30, 5));
static const QString kBackup = QStringLiteral("lista_051206_143005.bak");
static const std::string kOld = "Cup\r\n\r\nR1\r\nAnna 5\r\n";

TEST(TextFile, BackupNameInLocalTime)
{
    qputenv("TZ", "RMT-1"); // an hour east of UTC, so that local time differs from it
    const QDateTime local(QDate(2005, 12, 6), QTime(14, 30, 5), Qt::LocalTime);
    EXPECT_EQ(BackupName("/t/v\u00E5r.txt", local), "/t/v\u00E5r_051206_143005.bak");
    EXPECT_EQ(BackupName("/t.1/lista", local.toUTC()), "/t.1/lista_051206_143005.bak");
    EXPECT_EQ(BackupName("/t/a.txt", QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5))), "/t/a_000102_030405.bak");
}

// Unless all went well, the old file stays whole under its own name and nothing else is left.
TEST(Save, AllOrNothing)
{
    enum Fault { None, Link, BackupTaken, BackupLink, FileGone, ReadOnly, DiskFull };
    const struct { Fault fault; std::size_t lines; SaveStatus status; QString report; QStringList entries; } cases[] = {
        {None, 2, SaveStatus::Saved, "No error occurred.", {"lista.txt", kBackup}},
        {Link, 2, SaveStatus::Saved, "No error occurred.", {"link.txt", "lista.txt", kBackup}}, // beside the target
        {BackupTaken, 2, SaveStatus::Failed, "Access to an unnamed file was denied.", {"lista.txt", kBackup}},
        {BackupLink, 2, SaveStatus::Failed, "Access to an unnamed file was denied.", {"lista.txt", kBackup}},
        {FileGone, 2, SaveStatus::Failed, "an unnamed file was not found.", {}},
        {ReadOnly, 2, SaveStatus::CannotCreate, "No error occurred.", {"lista.txt"}},
        {DiskFull, 2, SaveStatus::Failed, "Disk full while accessing %1.", {"filler", "lista.txt"}},
        {DiskFull, 200000, SaveStatus::Failed, "Disk full while accessing %1.", {"filler", "lista.txt"}}, // 2 MB
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        std::optional<CTempMount> mount;
        if (c.fault >= ReadOnly && !mount.emplace(256 * 1024).Mounted())
            GTEST_SKIP() << mount->SkipReason();
        const QString folder = mount ? QString::fromStdString(mount->Path()) : dir.path();
        const QString path = folder + "/lista.txt", saved = c.fault == Link ? folder + "/link.txt" : path;
        ASSERT_TRUE(WriteBytes(path, kOld));
        ASSERT_TRUE(c.fault != Link || QFile::link(path, saved));
        ASSERT_TRUE(c.fault != BackupTaken || WriteBytes(folder + "/" + kBackup, "earlier"));
        ASSERT_TRUE(c.fault != BackupLink || QFile::link(folder + "/nowhere", folder + "/" + kBackup));
        ASSERT_TRUE(c.fault != FileGone || QFile::remove(path));
        ASSERT_TRUE(c.fault != ReadOnly || mount->MakeReadOnly());
        ASSERT_TRUE(c.fault != DiskFull || mount->Fill());

        CTextFileWriter out;
        CFileError error;
        const auto write = [&] {
            for (std::size_t i = 0; i < c.lines; ++i)
                out.WriteLine("Anna  12");
        };
        EXPECT_EQ(SaveTournamentFile(out, saved, kStamp, write, error), c.status) << c.fault;
        EXPECT_EQ(error.ReportText(), QString(c.report).replace("%1", path)) << c.fault;
        EXPECT_EQ(Entries(folder), c.entries) << c.fault;
        if (c.fault != FileGone) {
            EXPECT_EQ(ReadBytes(c.status == SaveStatus::Saved ? folder + "/" + kBackup : path), kOld) << c.fault;
            EXPECT_EQ(ReadBytes(saved), c.status == SaveStatus::Saved ? "Anna  12\r\nAnna  12\r\n" : kOld) << c.fault;
        }
    }
}
