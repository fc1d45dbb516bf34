// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Passwords.h"

#include <QEventLoop>
#include <QUrl>

#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("ravelmark");

// Runs `job` to its end; QtKeychain answers through the event loop.
bool RunJob(QKeychain::Job& job)
{
    job.setAutoDelete(false);
    // Never QtKeychain's plain-text fallback: a password in a file is what the keyring is for.
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return job.error() == QKeychain::NoError;
}

} // namespace

QString PasswordKey(const QString& publishUrl)
{
    QUrl url(publishUrl);
    // One password per login, whatever folder or page it publishes to.
    url.setPath(QString());
    return url.toString();
}

bool CKeyringPasswords::Read(const QString& key, std::string& password)
{
    if (const auto known = m_memory.constFind(key); known != m_memory.constEnd()) {
        password = *known;
        return true;
    }
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    if (!RunJob(job))
        return false;
    password = job.textData().toStdString();
    m_memory.insert(key, password);
    return true;
}

void CKeyringPasswords::Write(const QString& key, const std::string& password)
{
    m_memory.insert(key, password);
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(QString::fromStdString(password));
    RunJob(job);
}
