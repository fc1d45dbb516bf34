// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FileError.h"
#include "files/TournamentDoc.h"

#include <QString>

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

// What the commands of ravelmark-tool share, and each group of commands, a file each.

// Steps the commands share (tools/Tool.cpp).
// Prints what went wrong, in UTF-8 (the refused line from the file's encoding); the exit code.
int Present(const CFileResult& result, TextEncoding encoding, std::ostream& err);
// Reads FILE as choosing it in the program does; prints the refusal and returns false.
// `notes` takes what the reader noticed in an accepted file.
bool Load(const std::string& file, CTournamentDoc& doc, std::ostream& err, std::vector<CReadNote>* notes = nullptr);
// One line on stderr with the reason; 2.
int UsageError(const std::string& reason, std::ostream& err);
// A file name from the command line, as the file system spells it.
QString FileName(const std::string& file);
// Text from Qt as the terminal takes it.
inline std::string Utf8(const QString& text)
{
    return text.toStdString();
}

enum class Format { Text, Csv, Excel, Json };

// The command line after the command word of the commands on one FILE: FILE and the options,
// in any order.
struct Options
{
    std::string file;
    bool open = false;
    Format format = Format::Text;
    // The first rounds to rank; 0 for all.
    std::size_t after = 0;
    int port = 8642;
    std::string bind;
    std::string className; // UTF-8; empty for every table
    std::string to, web;
    bool watch = false;
};

// check, table, rewrite and standings on `options.file` (tools/Tables.cpp): the exit code.
int TableCommand(const std::vector<std::string>& args, const Options& options, std::ostream& out, std::ostream& err);

// history, diff, restore and move (tools/History.cpp): their exit code, or -1 for another command.
int RunHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// new and rename (tools/Players.cpp): their exit code, or -1 for another command.
int RunPlayerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
