// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "publish/PublishTarget.h"

#include <QDialog>
#include <QImage>

class CPasswords;
class CPlatform;
class CPublishQueue;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct CPublishResult;

// "Publicera": where the standings go on the club's site, kept for this tournament in the user's
// settings (the password in the keyring); "Publicera nu" publishes at once, "Spara" keeps the
// target and closes, "Avbryt" and Escape close without keeping anything.
class CPublishDlg : public QDialog
{
    Q_OBJECT
public:
    CPublishDlg(const QString& tournamentPath, CPublishQueue& queue, CPasswords& passwords, CPlatform& platform,
                QWidget* parent);

    // The ways in the order the list shows them.
    static QString WayText(PublishWay way);

    QComboBox* m_way = nullptr;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_fileName = nullptr;
    QLineEdit* m_web = nullptr;
    QLabel* m_link = nullptr;
    QLabel* m_qr = nullptr;
    QImage m_qrImage;
    QLabel* m_plainWarning = nullptr; // FTP: the password travels unencrypted
    QCheckBox* m_automatic = nullptr;
    QCheckBox* m_archive = nullptr; // "Publicera arkivet också"
    QLabel* m_state = nullptr;
    QPushButton* m_btnPublish = nullptr; // "Publicera nu"
    QPushButton* m_btnSave = nullptr;    // "Spara"
    QPushButton* m_btnCancel = nullptr;  // "Avbryt"

private:
    void ShowTarget(const CPublishTarget& target);
    // The fields as a target; false, with the focus in the field to mend, when one is missing.
    bool ReadTarget(CPublishTarget& target);
    // Hands the target and password to the queue and keeps them; false when a field is missing.
    bool Keep();
    void OnWayChanged();
    void OnWebChanged();
    void OnPublish();
    void OnSave();
    void OnEnded(const CPublishResult& result);
    void ShowState();

    QString m_tournamentPath;
    CPublishQueue& m_queue;
    CPasswords& m_passwords;
    CPlatform& m_platform;
    QString m_trustedHost; // SFTP: the fingerprint the user accepted for the next publication
    bool m_asked = false;  // the publication running was started here
};
