// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's button for the page on phones, and the window that serves it.
#include "ui/MobileDlg.h"

#include "files/TournamentDoc.h"
#include "server/LocalNetwork.h"
#include "server/QrCode.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kFirstPort = 8642;
// Each module of the code this many pixels wide: large enough for a phone across a table.
constexpr int kModulePixels = 6;
// The white border a reader needs around the code, in modules.
constexpr int kQuietZone = 4;

QLabel* WrappedText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

QImage QrImage(const std::string& text)
{
    const CQrCode code = MakeQrCode(text);
    if (code.m_size == 0)
        return {};
    const int side = (code.m_size + 2 * kQuietZone) * kModulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code.m_size; ++y)
        for (int x = 0; x < code.m_size; ++x)
            if (code.Dark(x, y))
                painter.fillRect((x + kQuietZone) * kModulePixels, (y + kQuietZone) * kModulePixels, kModulePixels,
                                 kModulePixels, Qt::black);
    return image;
}

void CRavelmarkDlg::OnShowMobile()
{
    if (auto* open = findChild<CMobileDlg*>(); open && open->isVisible()) {
        open->raise();
        return;
    }
    // One closed a moment ago may still wait to be deleted.
    StopShowingMobile();
    auto* dlg = new CMobileDlg(m_doc, m_platform.LocalAddresses(), this);
    // Beside the main window, not over the controls the keeper goes on using.
    const QRect main = frameGeometry();
    const QRect room = screen()->availableGeometry();
    const int width = dlg->sizeHint().width();
    if (main.right() + 8 + width <= room.right())
        dlg->move(main.right() + 8, main.top());
    else if (main.left() - 8 - width >= room.left())
        dlg->move(main.left() - 8 - width, main.top());
    // Shown for the phones to read, while the keys stay with the window the keeper works in: a
    // habitual Enter must not reach "Sluta visa".
    dlg->setAttribute(Qt::WA_ShowWithoutActivating);
    dlg->show();
    activateWindow();
    m_btnShowMobile->setFocus();
}

void CRavelmarkDlg::StopShowingMobile()
{
    delete findChild<CMobileDlg*>();
}

CMobileDlg::CMobileDlg(CTournamentDoc& doc, std::vector<std::string> addresses, QWidget* parent)
    : QDialog(parent)
    , m_addresses(std::move(addresses))
    , m_publisher(doc, m_server)
{
    setWindowTitle(QStringLiteral("Visa på mobil"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    if (parent)
        parent->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    m_qr = new QLabel(this);
    m_qr->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_qr);
    m_address = new QLabel(this);
    m_address->setAlignment(Qt::AlignCenter);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont large = m_address->font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    large.setBold(true);
    m_address->setFont(large);
    layout->addWidget(m_address);
    m_choice = new QComboBox(this);
    for (const std::string& address : m_addresses)
        m_choice->addItem(QString::fromStdString(address));
    m_choice->setVisible(m_addresses.size() > 1);
    m_choice->setToolTip(QStringLiteral("Datorn har flera nätverk: välj det som telefonerna använder."));
    layout->addWidget(m_choice);
    auto* following = WrappedText(QStringLiteral("Sidan följer turneringen medan det här fönstret är öppet."), this);
    layout->addWidget(following);
    auto* help = WrappedText(
        QStringLiteral("Når telefonerna inte sidan? Gästnätverk håller ofta enheterna isär. Det brukar gå att "
                       "låta datorn dela ut en surfzon som telefonerna ansluter till, eller att ansluta datorn "
                       "och telefonerna till samma surfzon från en mobiltelefon."),
        this);
    QFont small = help->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    help->setFont(small);
    layout->addWidget(help);
    m_btnStop = new QPushButton(QStringLiteral("Sluta visa"), this);
    // Stopping the page on every phone takes a deliberate press, never an Enter meant elsewhere.
    m_btnStop->setAutoDefault(false);
    layout->addWidget(m_btnStop, 0, Qt::AlignRight);
    connect(m_btnStop, &QPushButton::clicked, this, &QDialog::close);
    setMinimumWidth(360);

    if (m_addresses.empty()) {
        ShowProblem(QStringLiteral("Datorn är inte ansluten till något nätverk, så telefonerna kan inte nå sidan. "
                                   "Anslut datorn till samma nätverk som telefonerna och tryck på "
                                   "\u201dVisa på mobil\u201d igen."));
        m_btnStop->setText(QStringLiteral("Stäng"));
        following->hide();
        help->hide();
        return;
    }
    // The tournament as it was read was last changed when its file was; since then, now.
    const QDateTime updated =
        doc.Changed() || doc.FileStatus().m_size < 0 ? QDateTime::currentDateTime() : doc.FileStatus().LastModified();
    if (!m_publisher.Publish(updated)) {
        ShowProblem(QStringLiteral("Sidan kan inte visas: ") + ResultMessage(doc.RulesResult(), doc.Encoding()));
        m_btnStop->setText(QStringLiteral("Stäng"));
        return;
    }
    // The first page is there before anyone can ask for it.
    m_publisher.WaitForPages();
    m_publisher.FollowEdits();
    connect(m_choice, &QComboBox::currentIndexChanged, this,
            [this](int index) { ServeOn(m_addresses[static_cast<std::size_t>(index)]); });
    ServeOn(m_addresses.front());
    m_btnStop->setFocus();
}

CMobileDlg::~CMobileDlg()
{
    m_server.Stop();
}

bool CMobileDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Hide && !event->spontaneous())
        close();
    return QDialog::eventFilter(watched, event);
}

void CMobileDlg::closeEvent(QCloseEvent* event)
{
    m_server.Stop();
    QDialog::closeEvent(event);
}

QString CMobileDlg::PageUrl() const
{
    return Serving() ? m_address->text() : QString();
}

void CMobileDlg::ServeOn(const std::string& address)
{
    // Only there and on this computer's own loopback, never on every address.
    std::vector<std::string> listen{address};
    if (address != "127.0.0.1")
        listen.emplace_back("127.0.0.1");
    std::string error;
    if (!m_server.Start(listen, kFirstPort, error)) {
        ShowProblem(QStringLiteral("Sidan kan inte visas: ") + QString::fromStdString(error));
        return;
    }
    ShowAddress(QString::fromStdString(PageAddress(address, m_server.Port())));
}

void CMobileDlg::ShowAddress(const QString& url)
{
    m_qrImage = QrImage(url.toStdString());
    m_qr->setPixmap(QPixmap::fromImage(m_qrImage));
    m_qr->show();
    m_address->setText(url);
}

void CMobileDlg::ShowProblem(const QString& text)
{
    m_qrImage = QImage();
    m_qr->clear();
    m_qr->hide();
    m_address->setWordWrap(true);
    m_address->setFont(font());
    m_address->setText(text);
}
