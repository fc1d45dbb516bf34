// SPDX-License-Identifier: GPL-3.0-or-later
// The rules file beside a tournament: read with it, refused with the line named, written whole,
// removed when no rule is left, and never in place of the tournament.
#include "FileHelpers.h"
#include "files/RulesFile.h"
#include "files/TournamentDoc.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString Message(const CFileResult& result)
{
    return ResultMessage(result, TextEncoding::Windows1252);
}

ino_t Inode(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace

TEST(RulesFile, ReadWithTheTournament)
{
    QTemporaryDir dir;
    const QString cup = dir.filePath("cup.txt"), rules = dir.filePath("cup.regler");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nAnna 5\nBo 3\n\nR2\nBo 4\n"));
    CTournamentDoc doc;
    // No rules file, or one with comments alone: nothing in force.
    for (const char* text : {"", "# inga regler \xC3\xA4n\n"}) {
        ASSERT_TRUE(!*text || WriteBytes(rules, text));
        EXPECT_TRUE(doc.Read(cup).Ok() && doc.RulesResult().Ok() && !doc.Rules().InForce());
    }
    // A refused file names itself, the line and the line's text (UTF-8 whatever the tournament);
    // the tournament is read all the same, and the page is refused with the same message.
    ASSERT_TRUE(WriteBytes(rules, "b\xC3\xA4sta = 1\nminst = tv\xC3\xA5\n"));
    EXPECT_TRUE(doc.Read(cup).Ok());
    const QString refused = "Rad 2 i cup.regler : \"minst = två\"\nVärdet ska vara ett heltal från 1 till 2147483647";
    EXPECT_EQ(Message(doc.RulesResult()), refused);
    EXPECT_EQ(doc.Tournament().m_rounds.size(), 2u);
    EXPECT_FALSE(doc.Rules().InForce());
    QString page;
    EXPECT_EQ(Message(doc.WritePage(page)), refused);
    EXPECT_FALSE(QFile::exists(dir.filePath("cup.htm")));
    // Mended on disk: the next page has the rules.
    ASSERT_TRUE(WriteBytes(rules, "b\xC3\xA4sta = 1\n"));
    EXPECT_TRUE(doc.WritePage(page).Ok());
    EXPECT_NE(ReadBytes(page).find("<td align=\"center\" class=\"struken\">(3)</td>"), std::string::npos);
    // A rules file that cannot be read is no file to ignore.
    ASSERT_TRUE(QFile::remove(rules) && QDir(dir.path()).mkdir("cup.regler"));
    EXPECT_TRUE(doc.Read(cup).Ok());
    EXPECT_EQ(Message(doc.RulesResult()), "Kan inte öppna filen: " + rules);
}

TEST(RulesFile, WrittenAndRemoved)
{
    QTemporaryDir dir;
    const QString cup = dir.filePath("cup.txt"), rules = dir.filePath("cup.regler");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nAnna 5\n"));
    CTournamentDoc doc;
    ASSERT_TRUE(doc.Read(cup).Ok());
    const CSeriesRules best{8, 12, std::nullopt, {Tiebreak::Wins}};
    EXPECT_TRUE(doc.SetRules(best).Ok());
    EXPECT_EQ(ReadBytes(rules), "b\xC3\xA4sta = 8\nomg\xC3\xA5ngar = 12\ns\xC3\xA4rskiljning = segrar\n");
    // The user's comments stay; nothing changed writes nothing.
    ASSERT_TRUE(WriteBytes(rules, "# Klubbens regler\nb\xC3\xA4sta = 8\nomg\xC3\xA5ngar = 12\ns\xC3\xA4rskiljning = segrar\n"));
    ASSERT_TRUE(doc.Read(cup).Ok());
    const ino_t before = Inode(rules);
    EXPECT_TRUE(doc.SetRules(best).Ok());
    EXPECT_EQ(Inode(rules), before);
    EXPECT_TRUE(doc.SetRules({7, 12, 6, {}}).Ok());
    EXPECT_EQ(ReadBytes(rules), "# Klubbens regler\nb\xC3\xA4sta = 7\nomg\xC3\xA5ngar = 12\nminst = 6\n");
    EXPECT_NE(Inode(rules), before); // a new file in place of the old
    EXPECT_TRUE(doc.SetRules({}).Ok());
    EXPECT_EQ(Entries(dir.path()).join(' '), "cup.txt");
    EXPECT_FALSE(doc.Rules().InForce());

    // A tournament named *.regler is its own rules file's name: it has none, and none is written.
    const QString odd = dir.filePath("serie.regler");
    ASSERT_TRUE(WriteBytes(odd, "Cup\n\nR1\nAnna 5\n"));
    ASSERT_TRUE(doc.Read(odd).Ok());
    EXPECT_TRUE(doc.RulesResult().Ok());
    EXPECT_EQ(doc.SetRules(best).m_kind, CFileResult::CannotCreate);
    EXPECT_EQ(ReadBytes(odd), "Cup\n\nR1\nAnna 5\n");
}
