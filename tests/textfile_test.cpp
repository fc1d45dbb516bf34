// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "TempMount.h"
#include "files/TextFile.h"
#include "files/TournamentFile.h"

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

static QString Outcome(const CFileResult& result)
{
    return result.m_kind == CFileResult::Done      ? "saved"
           : result.m_kind == CFileResult::Refused   ? QString::fromLatin1(result.m_message)
           : result.m_kind == CFileResult::FileError ? result.m_error.ReportText()
                                                     : "cannot create " + result.m_path;
}

// Unless all went well, the old file stays whole under its own name and nothing else is left.
TEST(Save, AllOrNothing)
{
    enum Fault { None, Link, BlankTitle, BackupTaken, BackupLink, FileGone, WrittenAnew, ReadOnly, DiskFull };
    const struct { Fault fault; std::size_t rounds; QString outcome; QStringList entries; } cases[] = {
        {None, 2, "saved", {"lista.txt", kBackup}},
        {Link, 2, "saved", {"link.txt", "lista.txt", kBackup}}, // beside the target
        {BlankTitle, 2, "Turneringens namn får inte vara tom", {"lista.txt"}},
        {BackupTaken, 2, "Access to an unnamed file was denied.", {"lista.txt", kBackup}},
        {BackupLink, 2, "Access to an unnamed file was denied.", {"lista.txt", kBackup}},
        {FileGone, 2, "an unnamed file was not found.", {}},
        {WrittenAnew, 2, "saved", {"lista.txt"}}, // the file gone, and written again as asked
        {ReadOnly, 2, "cannot create %1", {"lista.txt"}},
        {DiskFull, 2, "Disk full while accessing %1.", {"filler", "lista.txt"}},
        {DiskFull, 2000, "Disk full while accessing %1.", {"filler", "lista.txt"}}, // 2 MB
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        std::optional<CTempMount> mount;
        if (c.fault >= ReadOnly && !mount.emplace(256 * 1024).Mounted())
            GTEST_SKIP() << mount->SkipReason();
        const QString folder = mount ? QString::fromStdString(mount->Path()) : dir.path();
        const QString path = folder + "/lista.txt", saved = c.fault == Link ? folder + "/link.txt" : path;
        ASSERT_TRUE(WriteBytes(path, kOld, kStamp)); // the backup's name comes from this time
        ASSERT_TRUE(c.fault != Link || QFile::link(path, saved));
        ASSERT_TRUE(c.fault != BackupTaken || WriteBytes(folder + "/" + kBackup, "earlier"));
        ASSERT_TRUE(c.fault != BackupLink || QFile::link(folder + "/nowhere", folder + "/" + kBackup));
        ASSERT_TRUE((c.fault != FileGone && c.fault != WrittenAnew) || QFile::remove(path));
        ASSERT_TRUE(c.fault != ReadOnly || mount->MakeReadOnly());
        ASSERT_TRUE(c.fault != DiskFull || mount->Fill());

        CTournament tournament;
        tournament.m_title = c.fault == BlankTitle ? "  " : "Cup";
        for (std::size_t r = 0; r < c.rounds; ++r) {
            CRound round;
            round.m_name = "R" + std::to_string(r);
            for (int player = 0; player < 50; ++player)
                round.AddResult(tournament.MakeResult("Player " + std::to_string(player), player));
            tournament.AddRound(round);
        }
        const bool ok = c.outcome == "saved";
        EXPECT_EQ(Outcome(SaveTournamentFile(tournament, saved, c.fault == WrittenAnew)), QString(c.outcome).replace("%1", path))
            << c.fault;
        EXPECT_EQ(Entries(folder), c.entries) << c.fault;
        if (c.fault != FileGone) {
            EXPECT_TRUE(c.fault == WrittenAnew || ReadBytes(ok ? folder + "/" + kBackup : path) == kOld) << c.fault;
            EXPECT_EQ(ReadBytes(saved).substr(0, 23), ok ? "Cup\r\n\r\nR0\r\nPlayer 0   0" : kOld) << c.fault;
        }
    }
}
