// SPDX-License-Identifier: GPL-3.0-or-later
// The rules file beside a tournament: mended on disk counts at once, an unreadable one is no
// file to ignore, comments stay, nothing changed writes nothing, none left removes it, and a
// tournament named *.regler or *.spelare is never taken for its rules or its players.
#include "FileHelpers.h"
#include "files/TournamentDoc.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The rules of the best rounds, of the rounds planned and of the criteria.
CSeriesRules BestOf(int best, std::optional<int> planned = std::nullopt, std::vector<Tiebreak> tiebreak = {})
{
    CSeriesRules rules;
    rules.m_best = best;
    rules.m_planned = planned;
    rules.m_tiebreak = std::move(tiebreak);
    return rules;
}

ino_t Inode(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace

TEST(RulesFile, ReadWrittenRemoved)
{
    QTemporaryDir dir;
    const QString cup = dir.filePath("cup.txt"), rules = dir.filePath("cup.regler");
    ASSERT_TRUE(WriteBytes(cup, "Cup\n\nR1\nAnna 5\nBo 3\n\nR2\nBo 4\n") && WriteBytes(rules, "minst = 0\n"));
    CTournamentDoc doc;
    QString page;
    EXPECT_TRUE(doc.Read(cup).Ok() && doc.RulesResult().m_kind == CFileResult::RulesRefused);
    ASSERT_TRUE(WriteBytes(rules, "# Klubbens regler\nb\xC3\xA4sta = 1\n"));
    EXPECT_TRUE(doc.WritePage(page).Ok() && doc.Rules().m_best == 1);
    EXPECT_NE(ReadBytes(page).find("<td align=\"center\" class=\"struken\">(3)</td>"), std::string::npos);

    const ino_t before = Inode(rules);
    EXPECT_TRUE(doc.SetRules(BestOf(1)).Ok());
    EXPECT_EQ(Inode(rules), before);
    EXPECT_TRUE(doc.SetRules(BestOf(1, 12, {Tiebreak::Wins})).Ok());
    EXPECT_EQ(ReadBytes(rules), "# Klubbens regler\nb\xC3\xA4sta = 1\nomg\xC3\xA5ngar = 12\ns\xC3\xA4rskiljning = segrar\n");
    EXPECT_TRUE(doc.SetRules({}).Ok() && !doc.Rules().InForce());
    // The versions replaced are kept (one a second): the first of them holds the file as written by hand.
    const QStringList kept = Entries(dir.path()).filter(".regler.bak");
    EXPECT_EQ(Entries(dir.path()).join(' '), "cup.htm cup.txt " + kept.join(' ') + (kept.isEmpty() ? "" : " ") + "table.css");
    EXPECT_EQ(ReadBytes(dir.filePath(kept.value(0))), "# Klubbens regler\nb\xC3\xA4sta = 1\n");

    ASSERT_TRUE(QDir(dir.path()).mkdir("cup.regler"));
    EXPECT_TRUE(doc.Read(cup).Ok());
    EXPECT_EQ(ResultMessage(doc.RulesResult(), TextEncoding::Utf8), "Kan inte öppna filen: " + rules);

    const QString odd = dir.filePath("serie.regler");
    ASSERT_TRUE(WriteBytes(odd, "Cup\n\nR1\nAnna 5\n"));
    EXPECT_TRUE(doc.Read(odd).Ok() && doc.RulesResult().Ok());
    EXPECT_EQ(doc.SetRules(BestOf(1)).m_kind, CFileResult::CannotCreate);
    EXPECT_EQ(ReadBytes(odd), "Cup\n\nR1\nAnna 5\n");
    // Nor one named *.spelare for its players file: the players are not taken as saved.
    const QString club = dir.filePath("klubb.spelare");
    ASSERT_TRUE(WriteBytes(club, "Cup\n\nR1\nAnna 5\n"));
    EXPECT_TRUE(doc.Read(club).Ok());
    EXPECT_EQ(doc.SetClubPlayers({{}, {}, {"Bo"}, {}, {}}).m_kind, CFileResult::CannotCreate);
    EXPECT_EQ(ReadBytes(club), "Cup\n\nR1\nAnna 5\n");
    EXPECT_TRUE(doc.ClubPlayers().Empty());
}
