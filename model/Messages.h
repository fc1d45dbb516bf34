// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own texts, as Windows-1252 bytes (the window converts them for display).
namespace msg {
inline constexpr const char* kEmptyTitleLine = "Titelraden \xE4r tom";
inline constexpr const char* kExpectedResultLine = "F\xF6rv\xE4ntad resultatrad: <Spelarnamn> <Po\xE4ng>";
inline constexpr const char* kPointsNotInteger = "Po\xE4ng ska vara ett heltal";
inline constexpr const char* kCannotOpen = "Kan inte \xF6ppna filen: ";
inline constexpr const char* kCannotCreate = "Kan inte skapa filen: ";
inline constexpr const char* kEmptyTournamentName = "Turneringens namn f\xE5r inte vara tom";
inline constexpr const char* kEmptyRoundName = "Omg\xE5ngens namn f\xE5r inte vara tom";
inline constexpr const char* kUnsavableCharacter = "namnet inneh\xE5ller ett tecken som inte kan sparas";
} // namespace msg
