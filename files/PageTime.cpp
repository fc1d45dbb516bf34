// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/PageTime.h"

#include "files/Recovery.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

QDateTime PageChangedAt(const QString& tournamentPath, std::string_view page, const QDateTime& changed)
{
    const QByteArray hash = QCryptographicHash::hash(QByteArrayView(page.data(), static_cast<qsizetype>(page.size())),
                                                     QCryptographicHash::Sha256)
                                .toHex();
    QSettings settings(StateFolder() + QStringLiteral("/sidor.ini"), QSettings::IniFormat);
    // One group per tournament, its full path kept out of the key's syntax.
    settings.beginGroup(
        QString::fromLatin1(QCryptographicHash::hash(QFile::encodeName(QFileInfo(tournamentPath).absoluteFilePath()),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(32)));
    const QDateTime kept = settings.value(QStringLiteral("time")).toDateTime();
    if (settings.value(QStringLiteral("page")).toByteArray() == hash && kept.isValid())
        return kept;
    settings.setValue(QStringLiteral("page"), hash);
    settings.setValue(QStringLiteral("time"), changed);
    return changed;
}
