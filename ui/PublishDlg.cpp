// SPDX-License-Identifier: GPL-3.0-or-later
// "Publicera…": the dialog that sets where the standings are published, and the main window's
// part in publishing: the button, the state line, following the evening, the close.
#include "ui/PublishDlg.h"

#include "files/TournamentDoc.h"
#include "publish/PublishQueue.h"
#include "ui/MobileDlg.h"
#include "ui/Passwords.h"
#include "ui/Platform.h"
#include "ui/RavelmarkDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <array>
#include <functional>
#include <utility>

namespace {

constexpr std::array kWays{PublishWay::Sftp, PublishWay::Ftps, PublishWay::Ftp, PublishWay::Dav, PublishWay::Folder};

bool Remote(PublishWay way)
{
    return way != PublishWay::Folder;
}

// Long words (addresses, paths) may break after their separators, so that a text wraps within
// its label instead of widening the dialog or being cut off.
QString Breakable(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        if (QStringView(u"/\\._-@?&=").contains(text[i]) && i + 1 < text.size() && !text[i + 1].isSpace())
            out += QChar(0x200B);
    }
    return out;
}

// Enter or Space on a label holding one link follows it, as on a button: a label's own keys
// reach its links only after Tab has picked one out inside it.
class CFollowLinkKeys : public QObject
{
public:
    CFollowLinkKeys(QLabel* label, std::function<void()> follow)
        : QObject(label)
        , m_follow(std::move(follow))
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QWidget*>(watched)->focusPolicy() == Qt::NoFocus)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        m_follow();
        return true;
    }

private:
    std::function<void()> m_follow;
};

// `text` shortened in its middle by about a tenth.
QString ShortenedInTheMiddle(const QString& text)
{
    const qsizetype keep = text.size() * 9 / 20;
    return text.left(keep) + QStringLiteral("\u2026") + text.right(keep);
}

} // namespace

QString CPublishDlg::WayText(PublishWay way)
{
    switch (way) {
    case PublishWay::Sftp:
        return QStringLiteral("SFTP");
    case PublishWay::Ftps:
        return QStringLiteral("FTPS (krypterad FTP)");
    case PublishWay::Ftp:
        return QStringLiteral("FTP (okrypterad)");
    case PublishWay::Dav:
    case PublishWay::DavHttp:
        return QStringLiteral("WebDAV (https)");
    case PublishWay::Folder:
        break;
    }
    return QStringLiteral("Till en mapp");
}

CPublishDlg::CPublishDlg(const QString& tournamentPath, CPublishQueue& queue, CPasswords& passwords,
                         CPlatform& platform, QWidget* parent)
    : QDialog(parent)
    , m_tournamentPath(tournamentPath)
    , m_queue(queue)
    , m_passwords(passwords)
    , m_platform(platform)
{
    setWindowTitle(QStringLiteral("Publicera"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    m_way = new QComboBox(this);
    for (const PublishWay way : kWays)
        m_way->addItem(WayText(way), static_cast<int>(way));
    form->addRow(QStringLiteral("&Sätt:"), m_way);
    m_server = new QLineEdit(this);
    form->addRow(QStringLiteral("Se&rver:"), m_server);
    m_port = new QLineEdit(this);
    m_port->setValidator(new QIntValidator(1, 65535, m_port));
    form->addRow(QStringLiteral("P&ort:"), m_port);
    m_user = new QLineEdit(this);
    form->addRow(QStringLiteral("&Användare:"), m_user);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&Lösenord:"), m_password);
    m_folder = new QLineEdit(this);
    form->addRow(QStringLiteral("&Mapp:"), m_folder);
    m_fileName = new QLineEdit(this);
    m_fileName->setPlaceholderText(QFileInfo(ChangeExtension(tournamentPath, ".htm")).fileName());
    m_fileName->setToolTip(QStringLiteral("Sidans namn på servern; blanksteg och å, ä, ö blir krångliga i en adress."));
    form->addRow(QStringLiteral("Sidans &filnamn:"), m_fileName);
    m_web = new QLineEdit(this);
    m_web->setPlaceholderText(QStringLiteral("t.ex. https://kulan.se/serien/ (valfri)"));
    form->addRow(QStringLiteral("&Webbadress:"), m_web);
    m_link = new QLabel(this);
    m_link->setWordWrap(true);
    m_link->setOpenExternalLinks(true);
    m_link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    layout->addWidget(m_link);
    m_qr = new QLabel(this);
    m_qr->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_qr);
    m_plainWarning = new QLabel(QStringLiteral("Med FTP går lösenordet och sidan okrypterade över nätet. Välj SFTP "
                                               "eller FTPS om webbhotellet erbjuder det."),
                                this);
    m_plainWarning->setWordWrap(true);
    layout->addWidget(m_plainWarning);
    m_automatic = new QCheckBox(QStringLiteral("Publicera efter &varje ändring"), this);
    layout->addWidget(m_automatic);
    m_archive = new QCheckBox(QStringLiteral("Publicera a&rkivet också (alla säsonger i mappen, i arkiv/)"), this);
    layout->addWidget(m_archive);
    m_state = new QLabel(this);
    m_state->setWordWrap(true);
    layout->addWidget(m_state);
    auto* buttons = new QDialogButtonBox(this);
    m_btnPublish = buttons->addButton(QStringLiteral("&Publicera nu"), QDialogButtonBox::ActionRole);
    m_btnSave = buttons->addButton(QStringLiteral("Spara"), QDialogButtonBox::AcceptRole);
    m_btnCancel = buttons->addButton(QStringLiteral("Avbryt"), QDialogButtonBox::RejectRole);
    m_btnSave->setDefault(true);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(m_way, &QComboBox::currentIndexChanged, this, &CPublishDlg::OnWayChanged);
    connect(m_web, &QLineEdit::textChanged, this, &CPublishDlg::OnWebChanged);
    // The address shown is the page's: it follows the name as it is typed.
    connect(m_fileName, &QLineEdit::textChanged, this, &CPublishDlg::OnWebChanged);
    connect(m_btnPublish, &QPushButton::clicked, this, &CPublishDlg::OnPublish);
    connect(m_btnSave, &QPushButton::clicked, this, &CPublishDlg::OnSave);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_queue, &CPublishQueue::stateChanged, this, &CPublishDlg::ShowState);
    connect(&m_queue, &CPublishQueue::ended, this, &CPublishDlg::OnEnded);

    CPublishTarget target;
    if (!LoadTarget(tournamentPath, target)) {
        if (m_queue.HasTarget())
            target = m_queue.Target();
        else // a new target: a name that needs nothing encoded in its address
            target.m_fileName = SuggestedPageName(tournamentPath);
    }
    ShowTarget(target);
    ShowState();
    m_server->setFocus();
}

void CPublishDlg::ShowTarget(const CPublishTarget& target)
{
    const int index =
        m_way->findData(static_cast<int>(target.m_way == PublishWay::DavHttp ? PublishWay::Dav : target.m_way));
    m_way->setCurrentIndex(std::max(index, 0));
    m_server->setText(target.m_host);
    m_port->setText(target.m_port > 0 ? QString::number(target.m_port) : QString());
    m_user->setText(target.m_user);
    m_folder->setText(target.m_folder);
    m_fileName->setText(target.m_fileName);
    m_web->setText(target.m_webAddress);
    m_automatic->setChecked(target.m_automatic);
    m_archive->setChecked(target.m_archive);
    std::string password;
    if (Remote(target.m_way) && !target.m_host.isEmpty() && m_passwords.Read(PasswordKey(PublishUrl(target)), password))
        m_password->setText(QString::fromStdString(password));
    OnWayChanged();
    OnWebChanged();
}

void CPublishDlg::OnWayChanged()
{
    const auto way = static_cast<PublishWay>(m_way->currentData().toInt());
    const bool remote = Remote(way);
    for (QWidget* field : std::initializer_list<QWidget*>{m_server, m_port, m_user, m_password})
        field->setEnabled(remote);
    m_port->setPlaceholderText(remote ? QString::number(DefaultPort(way)) : QString());
    m_folder->setPlaceholderText(remote ? QStringLiteral("t.ex. public_html/serien/ eller /var/www/serien/")
                                        : QStringLiteral("mappen på den här datorn"));
    m_folder->setToolTip(remote ? QStringLiteral("Utan / först räknas mappen från inloggningsmappen (som ~/)."
                                                 " Med / först från serverns rot.")
                                : QStringLiteral("Utan / först räknas mappen från hemmappen (som ~/)."));
    m_plainWarning->setVisible(way == PublishWay::Ftp);
}

void CPublishDlg::OnWebChanged()
{
    CPublishTarget target;
    target.m_webAddress = m_web->text().trimmed();
    const QString name = m_fileName->text().trimmed();
    // The address a phone must be given: %-encoded, so that the link and the code work as read.
    const QString page = PublicPageUrl(target, name.isEmpty() ? m_fileName->placeholderText() : name);
    const bool web = page.startsWith(QLatin1String("http://")) || page.startsWith(QLatin1String("https://"));
    m_link->setText(
        web ? QStringLiteral("<a href=\"%1\">%2</a>").arg(page.toHtmlEscaped(), Breakable(page).toHtmlEscaped())
            : QString());
    m_qrImage = web ? QrImage(page.toStdString()) : QImage();
    m_qr->setPixmap(m_qrImage.isNull() ? QPixmap() : QPixmap::fromImage(m_qrImage.scaledToWidth(140)));
    m_qr->setVisible(!m_qrImage.isNull());
}

bool CPublishDlg::ReadTarget(CPublishTarget& target)
{
    CPublishTarget read;
    read.m_way = static_cast<PublishWay>(m_way->currentData().toInt());
    read.m_host = m_server->text().trimmed();
    read.m_port = m_port->text().toInt();
    read.m_user = m_user->text().trimmed();
    read.m_folder = m_folder->text().trimmed();
    read.m_fileName = m_fileName->text().trimmed();
    read.m_webAddress = m_web->text().trimmed();
    read.m_automatic = m_automatic->isChecked();
    read.m_archive = m_archive->isChecked();
    // The certificate trusted for this server stays trusted while the server does.
    if (CPublishTarget kept; LoadTarget(m_tournamentPath, kept) && kept.m_host == read.m_host)
        read.m_trustedCertificate = kept.m_trustedCertificate;
    QLineEdit* missing = Remote(read.m_way) && read.m_host.isEmpty() ? m_server
                         : read.m_folder.isEmpty()                   ? m_folder
                         : read.m_fileName.contains('/')             ? m_fileName
                                                                     : nullptr;
    if (missing) {
        m_platform.ErrorBox(this, missing == m_fileName ? QStringLiteral("Sidans filnamn kan inte innehålla /.")
                                  : missing == m_server ? QStringLiteral("Ange servern att publicera till.")
                                                        : QStringLiteral("Ange mappen att publicera till."));
        missing->setFocus();
        return false;
    }
    target = read;
    return true;
}

bool CPublishDlg::Keep()
{
    CPublishTarget target;
    if (!ReadTarget(target))
        return false;
    const std::string password = m_password->text().toStdString();
    if (Remote(target.m_way) && !password.empty())
        m_passwords.Write(PasswordKey(PublishUrl(target)), password);
    SaveTarget(m_tournamentPath, target);
    CPublishTrust trust;
    trust.m_hostFingerprint = m_trustedHost;
    m_queue.SetTarget(target, password, trust);
    m_queue.SetAutomatic(target.m_automatic);
    return true;
}

void CPublishDlg::OnPublish()
{
    if (!Keep())
        return;
    m_asked = true;
    m_queue.PublishNow();
}

void CPublishDlg::OnSave()
{
    if (Keep())
        accept();
}

void CPublishDlg::OnEnded(const CPublishResult& result)
{
    if (!m_asked || !isVisible())
        return;
    m_asked = false;
    // Asked once, here; the publication is made again only on Ja.
    if (result.m_kind == CPublishResult::UnknownHost) {
        const QString question = QStringLiteral("Servern %1 är okänd. Dess nyckel är %2. Lita på den?")
                                     .arg(m_server->text().trimmed(), result.m_fingerprint);
        if (m_platform.Question(this, question, QStringLiteral("Publicera"))) {
            m_trustedHost = result.m_fingerprint;
            OnPublish();
        }
    } else if (result.m_kind == CPublishResult::UntrustedCertificate) {
        const QString question =
            QStringLiteral("Servern %1 har ett certifikat som ingen känd utfärdare intygar. Dess fingeravtryck är "
                           "SHA-256 %2. Lita på det?")
                .arg(m_server->text().trimmed(), result.m_fingerprint);
        CPublishTarget target;
        if (m_platform.Question(this, question, QStringLiteral("Publicera")) && ReadTarget(target)) {
            target.m_trustedCertificate = result.m_fingerprint;
            SaveTarget(m_tournamentPath, target);
            OnPublish();
        }
    }
}

void CPublishDlg::ShowState()
{
    const CPublishResult& last = m_queue.LastResult();
    QString state = m_queue.StateLine();
    if (last.Ok() && !m_queue.Busy()) {
        state.replace(QStringLiteral("Publicerad"), QStringLiteral("Senast publicerad"));
        state += QStringLiteral(" (kontrollerad)");
        if (!last.m_webNote.isEmpty())
            state += QStringLiteral("; ") + last.m_webNote;
    }
    m_state->setText(Breakable(state));
}

// --- the main window's part ---

void CRavelmarkDlg::OnPublish()
{
    CPublishDlg dlg(m_doc.Path(), m_publishing, m_platform.Passwords(), m_platform, this);
    dlg.exec();
    // After a choice to publish from here on, the first publication is the tournament as it is.
    if (m_publishing.HasTarget() && m_publishing.Target().m_automatic && m_publishing.Ended() == 0 &&
        !m_publishing.Busy())
        m_publishing.PublishNow();
    m_btnPublish->setFocus();
}

void CRavelmarkDlg::FollowPublishing()
{
    m_publishing.Stop();
    m_publishingLeftOver = false;
    ShowPublishState();
    CPublishTarget target;
    // What the last run could not publish goes out now, whether or not each change is followed.
    const bool leftOver = PublicationLeftOver(m_doc.Path());
    if (!LoadTarget(m_doc.Path(), target) || (!target.m_automatic && !leftOver))
        return;
    std::string password;
    if (target.m_way != PublishWay::Folder)
        m_platform.Passwords().Read(PasswordKey(PublishUrl(target)), password);
    m_publishing.SetTarget(target, password);
    m_publishing.SetAutomatic(target.m_automatic);
    if (leftOver) {
        m_publishingLeftOver = true;
        m_publishing.PublishNow();
    }
}

bool CRavelmarkDlg::FinishPublishing()
{
    const QString path = m_doc.Path();
    if (!m_publishing.Due() && !m_publishing.Busy()) {
        // A failure that waits for the user (a refused login, a host to trust) is left over too.
        if (m_publishing.HasTarget() && m_publishing.Ended() > 0 && !m_publishing.LastResult().Ok())
            SetPublicationLeftOver(path, true);
        return true;
    }
    m_publishState->setText(QStringLiteral("Publiceras innan programmet stängs \u2026"));
    if (m_publishing.Finish(kCloseMilliseconds)) {
        SetPublicationLeftOver(path, false);
        return true;
    }
    SetPublicationLeftOver(path, true);
    const QString cause = m_publishing.Busy() ? QStringLiteral("servern svarade inte inom 10 sekunder")
                                              : m_publishing.LastResult().m_message;
    m_platform.ErrorBox(this, QStringLiteral("De senaste ändringarna kunde inte publiceras: %1. De publiceras när "
                                             "turneringen öppnas nästa gång.")
                                  .arg(cause));
    return false;
}

void CRavelmarkDlg::SetUpPublishState()
{
    m_publishState->setWordWrap(true);
    m_publishState->setTextFormat(Qt::RichText);
    connect(&m_publishing, &CPublishQueue::stateChanged, this, &CRavelmarkDlg::ShowPublishState);
    connect(&m_publishing, &CPublishQueue::ended, this, [this](const CPublishResult& result) {
        if (result.Ok())
            SetPublicationLeftOver(m_doc.Path(), false);
        m_publishingLeftOver = false;
    });
    connect(m_publishState, &QLabel::linkActivated, this, &CRavelmarkDlg::OnPublishStateLink);
    new CFollowLinkKeys(m_publishState, [this] { OnPublishStateLink(); });
    // Its link comes after "Publicera…" in the Tab order.
    QWidget::setTabOrder(m_btnPublish, m_publishState);
    QWidget::setTabOrder(m_publishState, m_btnPlayers);
}

void CRavelmarkDlg::ShowPublishState()
{
    const CPublishResult& last = m_publishing.LastResult();
    const bool failed = !m_publishing.Busy() && m_publishing.Ended() > 0 && !last.Ok() && m_publishing.HasTarget();
    const QString link = QStringLiteral(" \u2013 <a href=\"publicera\">Publicera nu</a>");
    // Nothing published to this tournament's target yet: nothing to say.
    QString line = m_publishing.HasTarget() ? Breakable(m_publishing.StateLine()).toHtmlEscaped() : QString();
    if (m_publishingLeftOver && m_publishing.Busy())
        line = QStringLiteral("Publicerar det som inte kom ut förra gången \u2026");
    else if (m_publishingLeftOver && last.Ok())
        line += QStringLiteral(": det som inte kom ut förra gången");
    m_publishState->setToolTip(failed ? m_publishing.StateLine() : QString());
    m_publishState->setFocusPolicy(failed ? Qt::TabFocus : Qt::NoFocus);
    m_publishState->setTextInteractionFlags(failed ? Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard
                                                   : Qt::NoTextInteraction);
    if (!failed) {
        if (m_publishState->hasFocus())
            m_btnPublish->setFocus();
        m_publishState->setText(line);
        return;
    }
    // The cause in the words the user can act on, the retry's time in the tip; a cause too long
    // for the line is shortened in its middle, so that "Publicera nu" always shows.
    QString cause = last.m_message;
    const auto show = [&] {
        m_publishState->setText(QStringLiteral("Webbsidan är inte uppdaterad: ") + Breakable(cause).toHtmlEscaped() +
                                link);
    };
    show();
    for (int tries = 0; tries < 30 && cause.size() > 12 &&
                        m_publishState->heightForWidth(m_publishState->width()) > m_publishState->height();
         ++tries) {
        cause = ShortenedInTheMiddle(cause);
        show();
    }
}

void CRavelmarkDlg::OnPublishStateLink()
{
    // A failure the next try may mend is tried at once; one that needs the user opens "Publicera".
    if (m_publishing.HasTarget() && m_publishing.LastResult().m_kind == CPublishResult::Failed) {
        m_btnPublish->setFocus();
        m_publishing.PublishNow();
    } else {
        OnPublish();
    }
}
