// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "files/Recovery.h"
#include "files/TournamentDoc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDateTime kStamp(QDate(2005, 12, 6), QTime(14, 30, 5));

// The standings as "name total/played" in row order.
std::string Rows(const CTournament& t, const CStandings& s)
{
    std::string rows;
    for (const CPlayerRow& row : s.m_rows)
        rows += std::string(t.PlayerName(row.m_player)) + ' ' + std::to_string(row.m_total) + '/' +
                std::to_string(row.m_roundsPlayed) + ' ';
    return rows;
}

CRound Round(CTournamentDoc& doc, const char* name, std::initializer_list<std::pair<const char*, int>> results)
{
    CRound round;
    round.m_name = name;
    for (const auto& [player, points] : results)
        round.AddResult(CResult(doc.AddPlayer(player), points));
    return round;
}

} // namespace

// Each change leaves the standings those of the rounds, tells the player list when they moved,
// and marks the tournament changed; reading and saving make it unchanged. Read through a
// symbolic link, the file it points to is saved, and the link stays.
TEST(TournamentDoc, KeepsEverythingInStep)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cup.txt"), link = dir.filePath("link.txt");
    ASSERT_TRUE(WriteBytes(path, "Cup\n\nR1\nAnna 5\nBo 3\n\nR2\nAnna x\n", kStamp) && QFile::link(path, link));
    CTournamentDoc doc;
    int moved = 0;
    QObject::connect(&doc, &CTournamentDoc::standingsChanged, [&] { ++moved; });
    const CFileResult refused = doc.Read(link);
    EXPECT_EQ(ResultMessage(refused, doc.Encoding()).toStdString(), "Rad 8 : \"Anna x\"\nPo\u00E4ng ska vara ett heltal");
    EXPECT_EQ(Rows(doc.Tournament(), doc.Standings()), ""); // none from a refused file
    QString page;
    EXPECT_TRUE(doc.WritePage(page).Ok() && page == dir.filePath("link.htm"));
    struct stat info = {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
    const CFileStatus& status = doc.FileStatus();
    EXPECT_TRUE(status.m_inode == info.st_ino && status.m_device == info.st_dev && status.m_size == 31);
    EXPECT_EQ(status.LastModified(), kStamp);
    EXPECT_FALSE(doc.Changed());

    const struct { const char* what; std::function<void()> change; const char* rows; int moved; } steps[] = {
        {"a round after a refused read", [&] { doc.AddRound(Round(doc, "R2", {{"Cilla", 4}, {"Bo", 1}})); },
         "Anna 5/1 Bo 4/2 Cilla 4/1 ", 1},
        {"a round", [&] { doc.AddRound(Round(doc, "R3", {{"Dan", 2}, {"Anna", 1}})); }, "Anna 6/2 Bo 4/2 Cilla 4/1 Dan 2/1 ", 1},
        {"a new name only", [&] { doc.ReplaceRound(0, Round(doc, "Final", {{"Anna", 5}, {"Bo", 3}})); },
         "Anna 6/2 Bo 4/2 Cilla 4/1 Dan 2/1 ", 0},
        {"new results", [&] { doc.ReplaceRound(0, Round(doc, "Final", {{"Bo", 9}})); }, "Bo 10/2 Cilla 4/1 Dan 2/1 Anna 1/1 ", 1},
        {"a round removed", [&] { doc.RemoveRound(1); }, "Bo 9/1 Dan 2/1 Anna 1/1 ", 1},
        {"the title", [&] { doc.SetTitle("  Cup 2  "); }, "Bo 9/1 Dan 2/1 Anna 1/1 ", 0},
    };
    for (const auto& step : steps) {
        moved = 0;
        doc.ClearChanged();
        step.change();
        CStandings fresh;
        AddToStandings(fresh, doc.Tournament());
        // The standings kept are those made afresh from the rounds.
        EXPECT_EQ(Rows(doc.Tournament(), doc.Standings()) + '|' + Rows(doc.Tournament(), fresh),
                  std::string(step.rows) + '|' + step.rows) << step.what;
        EXPECT_TRUE(moved == step.moved && doc.Changed()) << step.what;
    }
    EXPECT_TRUE(doc.Save().Ok() && !doc.Changed());
    EXPECT_EQ(ReadBytes(path), "Cup 2\r\n\r\nFinal\r\nBo    9\r\n\r\nR3\r\nDan   2\r\nAnna  1\r\n");
    EXPECT_EQ(ReadBytes(dir.filePath("cup_051206_143005.bak")), "Cup\n\nR1\nAnna 5\nBo 3\n\nR2\nAnna x\n");
    EXPECT_TRUE(Entries(dir.path()).join(' ') == "cup.txt cup_051206_143005.bak link.htm link.txt table.css" &&
                QFileInfo(link).isSymLink());

    // A file that cannot be opened drops the tournament, its players' names too, and keeps the
    // path of the last one.
    EXPECT_EQ(ResultMessage(doc.Read(dir.filePath("gone.txt")), doc.Encoding()).toStdString(),
              "Kan inte \u00F6ppna filen: " + dir.filePath("gone.txt").toStdString());
    EXPECT_TRUE(doc.Tournament().m_rounds.empty() && doc.Tournament().m_players.Size() == 0 &&
                doc.Standings().m_rows.empty() && doc.Path() == link);
}

// A tournament the boxes would never make (a line break or a tab in a name) is not saved: the
// new text is read back first, and the line the reader stops at is named. The file, the folder
// and the changed flag stay. The page after a save is that of the file as it reads back.
TEST(TournamentDoc, SavesOnlyWhatReadsBack)
{
    const struct { const char* what; std::function<void(CTournamentDoc&)> plant; const char* message; } cases[] = {
        {"a pasted block as a name",
         [](CTournamentDoc& d) { d.AddRound(Round(d, "R2", {{"Namn\tPo\xE4ng\r\nAnna\t3", 4}})); },
         "Rad 7 : \"Namn\tPo\u00E4ng\"\nnamnet inneh\u00E5ller ett tecken som inte kan sparas"},
        {"a line break in the title", [](CTournamentDoc& d) { d.SetTitle("Cup\nR0"); },
         "Rad 1 : \"Cup\"\nnamnet inneh\u00E5ller ett tecken som inte kan sparas"},
        {"a name of blanks", [](CTournamentDoc& d) { d.AddRound(Round(d, "R2", {{"  ", 4}})); },
         "Rad 7 : \"4\"\nF\u00F6rv\u00E4ntad resultatrad: <Spelarnamn> <Po\u00E4ng>"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("cup.txt");
        ASSERT_TRUE(WriteBytes(path, "Cup\n\nR1\nAnna 5\n", kStamp));
        CTournamentDoc doc;
        ASSERT_TRUE(doc.Read(path).Ok());
        c.plant(doc);
        const std::string message = ResultMessage(doc.Save(), doc.Encoding()).toStdString();
        EXPECT_EQ(message.substr(message.find('\n') + 1), c.message) << c.what;
        EXPECT_EQ(ReadBytes(path), "Cup\n\nR1\nAnna 5\n") << c.what;
        EXPECT_EQ(Entries(dir.path()).join(' '), "cup.txt") << c.what;
        EXPECT_TRUE(doc.Changed()) << c.what;
    }
    // A round name of two blanks in a row reads back with one: so does the page after the save.
    QTemporaryDir dir;
    const QString path = dir.filePath("cup.txt");
    QString page;
    ASSERT_TRUE(WriteBytes(path, "Cup\n\nR1\nAnna 5\n"));
    CTournamentDoc doc;
    ASSERT_TRUE(doc.Read(path).Ok() && doc.WritePage(page).Ok());
    doc.AddRound(Round(doc, "Final  B", {{"Anna", 2}}));
    ASSERT_TRUE(doc.Save().Ok() && doc.RefreshPage().Ok());
    const std::string saved = ReadBytes(page);
    ASSERT_TRUE(doc.Read(path).Ok() && doc.WritePage(page).Ok());
    EXPECT_EQ(saved, ReadBytes(page));
}

// A change on disk of the same size, in place, within the second of the read is seen: the
// modification is kept to the nanosecond, and a program that puts that time back still changes
// the inode's time.
TEST(TournamentDoc, NoticesAChangeInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cup.txt");
    const std::string file = path.toStdString();
    const timespec read[2] = {{0, UTIME_OMIT}, {1133879405, 100000000}};
    ASSERT_TRUE(WriteBytes(path, "Cup\n\nR1\nAnna 5\n") && ::utimensat(AT_FDCWD, file.c_str(), read, 0) == 0);
    CTournamentDoc doc;
    ASSERT_TRUE(doc.Read(path).Ok());
    EXPECT_EQ(doc.FileStatus().m_modifiedNanoseconds, 100000000);
    EXPECT_EQ(doc.FileOnDisk(), CTournamentDoc::DiskState::Same);
    ::usleep(20000); // past the kernel's clock tick
    QFile inPlace(path);
    ASSERT_TRUE(inPlace.open(QIODevice::ReadWrite) && inPlace.seek(13) && inPlace.write("6") == 1);
    inPlace.close();
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), read, 0), 0);
    EXPECT_EQ(ReadBytes(path), "Cup\n\nR1\nAnna 6\n");
    EXPECT_EQ(doc.FileOnDisk(), CTournamentDoc::DiskState::Changed);
}

// A folder that refuses a new file to a user who is not root (EACCES): the unsaved changes go to
// the state folder, where the next opening finds them. As root, the case runs as nobody, in a
// child process, since root passes any mode bits.
TEST(Recovery, StateFolderWhenTheFolderRefusesTheUser)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("ro"), state = dir.filePath("state"), path = folder + "/cup.txt";
    ASSERT_TRUE(QDir().mkdir(folder) && QDir().mkdir(state) && WriteBytes(path, "Cup\n\nR1\nAnna 5\n"));
    const std::string top = dir.path().toStdString(), ro = folder.toStdString(), st = state.toStdString();
    ASSERT_TRUE(::chmod(top.c_str(), 0711) == 0 && ::chmod(ro.c_str(), 0555) == 0 && ::chmod(st.c_str(), 0777) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        qputenv("XDG_STATE_HOME", state.toLocal8Bit());
        int argc = 1;
        char name[] = "files_tests";
        char* argv[] = {name, nullptr};
        const QCoreApplication application(argc, argv);
        CTournamentDoc doc;
        CRecovery recovery(doc);
        if (!doc.Read(path).Ok())
            ::_exit(3);
        doc.SetTitle("Cupen");
        recovery.Flush();
        CRecoveryFound found;
        const bool kept = recovery.Current() == RecoveryPathInState(path) && FindRecovery(path, found) &&
                          found.m_path == recovery.Current() && found.m_tournament.m_title == "Cupen";
        ::_exit(kept ? 0 : 4);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "2: no user nobody, 3: not read, 4: not in the state folder or not found there";
    ::chmod(ro.c_str(), 0755);
}

TEST(TextFile, BackupNameInLocalTime)
{
    qputenv("TZ", "RMT-1"); // an hour east of UTC, so that local time differs from it
    const QDateTime local(QDate(2005, 12, 6), QTime(14, 30, 5), Qt::LocalTime);
    EXPECT_EQ(BackupName("/t/v\u00E5r.txt", local), "/t/v\u00E5r_051206_143005.bak");
    EXPECT_EQ(BackupName("/t.1/lista", local.toUTC()), "/t.1/lista_051206_143005.bak");
    EXPECT_EQ(BackupName("/t/a.txt", QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5))), "/t/a_000102_030405.bak");
}
