// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileHelpers.h"
#include "files/Stylesheet.h"
#include "files/TournamentFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

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
