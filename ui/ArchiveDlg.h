// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "publish/Upload.h"

#include <QDialog>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <string>

class CPlatform;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "Arkiv…": the club's archive of every season in a folder (the open tournament's, at first)
// made into a site in a folder of it, off the GUI thread with its progress shown; the window
// answers meanwhile. "Öppna" shows the site's index; closing stops a run at its next file.
class CArchiveDlg : public QDialog
{
    Q_OBJECT
public:
    CArchiveDlg(const QString& folder, CPlatform& platform, QWidget* parent);
    ~CArchiveDlg() override;

    bool Busy() const { return m_busy; }

    QLineEdit* m_folder = nullptr;      // the seasons
    QLineEdit* m_site = nullptr;        // where the site is written
    QProgressBar* m_progress = nullptr; // files read of all
    QPlainTextEdit* m_report = nullptr; // what the last run did, and what it left out
    QPushButton* m_btnMake = nullptr;   // "Gör arkivet"
    QPushButton* m_btnOpen = nullptr;   // "Öppna"
    QPushButton* m_btnClose = nullptr;  // "Stäng"

    // Stops a run at its next file before the dialog closes.
    void reject() override;

signals:
    // A run ended, made or not.
    void ended();

private:
    void OnMake();
    void OnFolderEdited();
    void Ended(bool made, const QString& report);

    CPlatform& m_platform;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancel;
    bool m_busy = false;
    QString m_siteShown; // the site the field showed before the folder was edited
};

// After a page published to a target that asks for it: the archive of the tournament's folder
// on the same target, in its folder "arkiv/", only what changed since. Runs on the publication's
// worker thread.
CPublishResult PublishArchive(const CPublishTarget& target, const std::string& password, const CPublishTrust& trust,
                              const QString& tournamentPath);
