// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The dialog templates and their controls. Each id is named here and nowhere else: the
// templates in resources/ name their controls by these names, and the template loader
// refuses a name this list does not hold.
enum DialogId : int {
    IDD_RAVELMARK_DIALOG = 102,
    IDD_ROUND_DIALOG = 129,
};

#define RAVELMARK_CONTROL_IDS(X)                                                                                       \
    X(IDC_STATIC, -1)              /* a label: no id */                                                                \
    X(IDC_CHOOSE_TOURNAMENT, 1000) /* "Välj Turnering" */                                                             \
    X(IDC_CREATE_TABLE, 1001)      /* "Skapa Tabell" */                                                                \
    X(IDC_ROUND_LIST, 1002)                                                                                            \
    X(IDC_TITLE, 1003)                                                                                                 \
    X(IDC_NEW_ROUND, 1004)    /* "Ny" */                                                                               \
    X(IDC_EDIT_ROUND, 1005)   /* "Redigera" */                                                                         \
    X(IDC_REMOVE_ROUND, 1006) /* "Ta Bort" */                                                                          \
    X(IDC_RESULT_LIST, 1007)                                                                                           \
    X(IDC_ROUND_NAME, 1008)                                                                                            \
    X(IDC_ADD_RESULT, 1009)    /* "Lägg Till" */                                                                      \
    X(IDC_EDIT_RESULT, 1010)   /* "Redigera" */                                                                        \
    X(IDC_REMOVE_RESULT, 1011) /* "Ta Bort" */                                                                         \
    X(IDC_PLAYER_NAME, 1012)                                                                                           \
    X(IDC_POINTS, 1013)                                                                                                \
    X(IDC_RULES, 1014)         /* "Regler…" */                                                                       \
    X(IDC_HISTORY, 1015)       /* "Historik…" */                                                                     \
    X(IDC_SHOW_MOBILE, 1016)   /* "Visa på mobil" */                                                                  \
    X(IDC_PLAYERS, 1018)       /* "Spelare…" */                                                                      \
    X(IDC_PUBLISH, 1030)       /* "Publicera…" */                                                                    \
    X(IDC_PUBLISH_STATE, 1031) /* the last publication's state */                                                      \
    X(IDC_ARCHIVE, 1032)       /* "Arkiv…" */

enum ControlId : int {
#define RAVELMARK_CONTROL_ID(name, value) name = (value),
    RAVELMARK_CONTROL_IDS(RAVELMARK_CONTROL_ID)
#undef RAVELMARK_CONTROL_ID
};
