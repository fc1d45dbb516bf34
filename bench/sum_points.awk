# SPDX-License-Identifier: GPL-3.0-or-later
# What a user might do without the program: total each player's points over all rounds.
# The first line is the title; after an empty line comes a round name, then result lines
# whose last field is the points and whose other fields form the name.
NR == 1 { next }
/^[ \t\r]*$/ { inRound = 0; next }
!inRound { inRound = 1; next }
{
    name = $1
    for (i = 2; i < NF; i++)
        name = name " " $i
    total[name] += $NF
}
END {
    for (name in total)
        print total[name], name
}
