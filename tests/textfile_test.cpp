// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "TempMount.h"
#include "files/Stylesheet.h"
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
    enum Fault { None, Link, BlankTitle, BackupTaken, BackupLink, FileGone, ReadOnly, DiskFull };
    const struct { Fault fault; std::size_t rounds; QString outcome; QStringList entries; } cases[] = {
        {None, 2, "saved", {"lista.txt", kBackup}},
        {Link, 2, "saved", {"link.txt", "lista.txt", kBackup}}, // beside the target
        {BlankTitle, 2, "Turneringens namn får inte vara tom", {"lista.txt"}},
        {BackupTaken, 2, "Access to an unnamed file was denied.", {"lista.txt", kBackup}},
        {BackupLink, 2, "Access to an unnamed file was denied.", {"lista.txt", kBackup}},
        {FileGone, 2, "an unnamed file was not found.", {}},
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
        ASSERT_TRUE(WriteBytes(path, kOld));
        ASSERT_TRUE(c.fault != Link || QFile::link(path, saved));
        ASSERT_TRUE(c.fault != BackupTaken || WriteBytes(folder + "/" + kBackup, "earlier"));
        ASSERT_TRUE(c.fault != BackupLink || QFile::link(folder + "/nowhere", folder + "/" + kBackup));
        ASSERT_TRUE(c.fault != FileGone || QFile::remove(path));
        ASSERT_TRUE(c.fault != ReadOnly || mount->MakeReadOnly());
        ASSERT_TRUE(c.fault != DiskFull || mount->Fill());

        CTournament tournament;
        tournament.m_title = c.fault == BlankTitle ? "  " : "Cup";
        for (std::size_t r = 0; r < c.rounds; ++r) {
            CRound round;
            round.m_name = "R";
            round.m_name += std::to_string(r); // "R" + ... trips GCC 12's -Wrestrict at -O3
            for (int player = 0; player < 50; ++player)
                round.AddResult(tournament.MakeResult("Player " + std::to_string(player), player));
            tournament.AddRound(round);
        }
        const bool ok = c.outcome == "saved";
        EXPECT_EQ(Outcome(SaveTournamentFile(tournament, saved, kStamp)), QString(c.outcome).replace("%1", path))
            << c.fault;
        EXPECT_EQ(Entries(folder), c.entries) << c.fault;
        if (c.fault != FileGone) {
            EXPECT_EQ(ReadBytes(ok ? folder + "/" + kBackup : path), kOld) << c.fault;
            EXPECT_EQ(ReadBytes(saved).substr(0, 23), ok ? "Cup\r\n\r\nR0\r\nPlayer 0   0" : kOld) << c.fault;
        }
    }
}

// The stylesheet goes beside the page where there is none, byte for byte; whatever has its
// name stays as it is, also a name that appears between the look and the write.
TEST(Stylesheet, OnlyWhereThereIsNone)
{
    const std::string ours = ReadBytes(RAVELMARK_EXAMPLES "/table.css");
    enum Before { Nothing, OwnFile, DanglingLink, AppearsMeanwhile };
    const struct { Before before; std::string css; QStringList entries; } cases[] = {
        {Nothing, ours, {"cup.htm", "cup.txt", "table.css"}},
        {OwnFile, "mine", {"cup.htm", "cup.txt", "table.css"}},
        {DanglingLink, "<cannot open", {"cup.htm", "cup.txt", "table.css"}},
        {AppearsMeanwhile, "mine", {"cup.txt", "table.css"}},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString css = dir.filePath("table.css");
        ASSERT_TRUE(WriteBytes(dir.filePath("cup.txt"), "Cup\n"));
        ASSERT_TRUE(c.before != OwnFile || WriteBytes(css, "mine"));
        ASSERT_TRUE(c.before != DanglingLink || QFile::link(dir.filePath("nowhere"), css));
        QString page;
        // Past the look: the name is taken when the finished file is given it.
        if (c.before == AppearsMeanwhile)
            EXPECT_FALSE(WriteBytes(css, "mine") && CreateNewFile(css, ProgramStylesheet()));
        else
            EXPECT_TRUE(WriteStandingsPage(dir.filePath("cup.txt"), CStandingsView(CTournament()), page).Ok());
        EXPECT_EQ(ReadBytes(css).substr(0, c.css.size()), c.css) << c.before;
        EXPECT_EQ(Entries(dir.path()), c.entries) << c.before;
    }
}

// A folder that takes no stylesheet is no failure: here the page's name is a link into a
// writable folder, so the page is written while its own folder stays read-only.
TEST(Stylesheet, ReadOnlyFolder)
{
    CTempMount mount(64 * 1024);
    if (!mount.Mounted())
        GTEST_SKIP() << mount.SkipReason();
    QTemporaryDir elsewhere;
    const QString folder = QString::fromStdString(mount.Path());
    ASSERT_TRUE(WriteBytes(elsewhere.filePath("cup.htm"), "older") && WriteBytes(folder + "/cup.txt", "Cup\n"));
    ASSERT_TRUE(QFile::link(elsewhere.filePath("cup.htm"), folder + "/cup.htm") && mount.MakeReadOnly());
    QString page;
    EXPECT_TRUE(WriteStandingsPage(folder + "/cup.txt", CStandingsView(CTournament()), page).Ok());
    EXPECT_TRUE(ReadBytes(elsewhere.filePath("cup.htm")).starts_with("<html>\r\n"));
    EXPECT_EQ(Entries(folder), (QStringList{"cup.htm", "cup.txt"}));
    EXPECT_EQ(Entries(elsewhere.path()), QStringList{"cup.htm"});
}
