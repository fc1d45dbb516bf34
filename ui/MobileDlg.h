// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/PagePublisher.h"
#include "server/PageServer.h"

#include <QDialog>
#include <QImage>

#include <string>
#include <vector>

class CTournamentDoc;

// The QR code of `text`, black on white with its quiet zone, large enough for a phone across a
// table; null when the text does not fit in one.
QImage QrImage(const std::string& text);
class QComboBox;
class QLabel;
class QPushButton;

// "Visa på mobil": while this window is open, the standings page of the open tournament is
// served on the local network and follows every change; the window shows its address as a QR
// code and as text. Not modal: results are entered beside it. Closing it stops the server.
class CMobileDlg : public QDialog
{
    Q_OBJECT
public:
    // `addresses`: the computer's addresses on its local network, best first; none says that
    // there is no network, and nothing is served.
    CMobileDlg(CTournamentDoc& doc, std::vector<std::string> addresses, QWidget* parent);
    ~CMobileDlg() override;

    // The page's address as shown, "http://ADDRESS:PORT/"; empty while nothing is served.
    QString PageUrl() const;
    bool Serving() const { return m_server.Running(); }
    const CPagePublisher& Publisher() const { return m_publisher; }
    // The server, for the round editor's results from phones.
    CPageServer& Server() { return m_server; }

    QImage m_qrImage;                 // the code as shown, black on white with its quiet zone
    QLabel* m_qr = nullptr;           // the code
    QLabel* m_address = nullptr;      // the address as text, or why there is none
    QComboBox* m_choice = nullptr;    // the local addresses, when there are several
    QPushButton* m_btnStop = nullptr; // "Sluta visa"

protected:
    // The main window hidden by the program, as it ends, closes this one; minimising it does not.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The port is closed at once, not when the window is deleted later.
    void closeEvent(QCloseEvent* event) override;

private:
    // Serves on `address` (and 127.0.0.1) and shows how to reach it.
    void ServeOn(const std::string& address);
    void ShowAddress(const QString& url);
    void ShowProblem(const QString& text);

    std::vector<std::string> m_addresses;
    CPageServer m_server;
    CPagePublisher m_publisher;
};
