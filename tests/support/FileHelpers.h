// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <string>

inline std::string ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<cannot open " + path.toStdString() + ">";
}

// Writes the file whole (a std::string, a QByteArray or a literal); with `modified`, sets its
// last-modification time as well.
inline bool WriteBytes(const QString& path, QByteArrayView bytes, const QDateTime& modified = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size() &&
           file.flush() && (!modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime));
}

// The names in a folder, hidden ones included, sorted.
inline QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
