// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"
#include "files/TournamentDoc.h"

#include <iosfwd>
#include <string>
#include <vector>

// `import FIL --round NAME [FILE|-]`: results from a file or standard input into a round of
// FIL, read and matched as the round editor's "Klistra in resultat" does. The exit code.
int Import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Steps the commands share (tools/Tool.cpp).
// Prints what went wrong, in UTF-8 (the refused line from the file's encoding); the exit code.
int Present(const CFileResult& result, TextEncoding encoding, std::ostream& err);
// Reads FILE as choosing it in the program does; prints the refusal and returns false.
// `notes` takes what the reader noticed in an accepted file.
bool Load(const std::string& file, CTournamentDoc& doc, std::ostream& err, std::vector<CReadNote>* notes = nullptr);
// One line on stderr with the reason; 2.
int UsageError(const std::string& reason, std::ostream& err);
