// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

#include <string>

// Where the publishing passwords are kept: the desktop's keyring, never a file. Tests replace it.
class CPasswords
{
public:
    virtual ~CPasswords() = default;
    // The password kept under `key`; false when there is none.
    virtual bool Read(const QString& key, std::string& password) = 0;
    virtual void Write(const QString& key, const std::string& password) = 0;
};

// The Secret Service (GNOME Keyring, KWallet) through QtKeychain. Where no keyring answers,
// the passwords of this run are kept in memory only.
class CKeyringPasswords : public CPasswords
{
public:
    bool Read(const QString& key, std::string& password) override;
    void Write(const QString& key, const std::string& password) override;

private:
    QHash<QString, std::string> m_memory; // what this run was told, also when a keyring answers
};

// The key of a target's password in the keyring: its address without a password.
QString PasswordKey(const QString& publishUrl);
