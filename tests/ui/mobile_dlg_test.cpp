// SPDX-License-Identifier: GPL-3.0-or-later
// "Visa på mobil" on loopback addresses: the window, its QR code read back by zbarimg, the page
// following the window, and the server stopped by each way of ending it.
#include "WindowDriver.h"
#include "ui/MobileDlg.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>

namespace {

const QByteArray kCup = Lines({"V\xE5rcupen", "", "R1", "Anna 10", "Bo 7", "", "R2", "Anna 3"});

// One request through curl: "STATUS\r\n\r\nBODY", or "refused" when nothing answers.
QByteArray Get(const QString& url, const QString& path = "/")
{
    QProcess curl;
    curl.start("curl", {"-s", "-m", "3", "-w", "\n%{http_code}", url + path.mid(1)});
    curl.waitForFinished(10000);
    const QByteArray out = curl.readAllStandardOutput();
    const QByteArray status = out.mid(out.lastIndexOf('\n') + 1);
    return status == "000" ? "refused" : status + "\r\n\r\n" + out.left(out.lastIndexOf('\n'));
}

QString Decoded(const QImage& image, const QString& folder)
{
    const QString png = folder + "/qr.png";
    if (image.isNull() || !image.save(png))
        return "<no image>";
    QProcess zbar;
    zbar.start("zbarimg", {"--raw", "-q", png});
    if (!zbar.waitForFinished(20000))
        return "<zbarimg did not end>";
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

CMobileDlg* MobileWindow(CRavelmarkDlg& dlg)
{
    return dlg.findChild<CMobileDlg*>();
}

QString OtherAddress(const QString& url, const QString& address)
{
    QString other = url;
    return other.replace(QRegularExpression(R"(//[\d.]+:)"), "//" + address + ":");
}

} // namespace

class MobileDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void servesWhatTheWindowShows()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        w.m_platform.m_addresses = {"127.0.0.2"}; // the local network's stand-in
        Click(d.m_btnShowMobile);
        CMobileDlg* mobile = MobileWindow(d);
        QVERIFY(mobile && mobile->isVisible() && !mobile->isModal());
        QCOMPARE(mobile->windowTitle(), "Visa på mobil");
        // The keys stay with the main window: a habitual Enter there stops nothing.
        QTRY_COMPARE(QApplication::activeWindow(), &d);
        QCOMPARE(QApplication::focusWidget(), d.m_btnShowMobile);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(MobileWindow(d) && mobile->isVisible());
        const QString url = mobile->PageUrl();
        QVERIFY2(QRegularExpression(R"(^http://127\.0\.0\.2:(864[2-9]|86[5-9]\d|87[0-3]\d|874[01])/$)").match(url).hasMatch(),
                 qPrintable(url));
        QCOMPARE(mobile->m_address->text(), url);
        QCOMPARE(Decoded(mobile->m_qrImage, w.Folder()), url);
        QStringList texts;
        for (const QLabel* label : mobile->findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains("Sidan följer turneringen medan det här fönstret är öppet."));
        QVERIFY(texts.filter("Gästnätverk").size() == 1);
        QVERIFY(!mobile->m_choice->isVisible());

        // There and on this computer's loopback, nowhere else.
        QVERIFY(Get(url).startsWith("200\r\n\r\n<html>") && Get(url).contains("<h3>V\xE5rcupen</h3>"));
        QVERIFY(Get(OtherAddress(url, "127.0.0.1"), "/table.css").startsWith("200"));
        QCOMPARE(Get(OtherAddress(url, "127.0.0.3")), "refused");

        // A change in the window reaches the page; typing gives one page, not one per key, and
        // no request builds one.
        const int builds = mobile->Publisher().Builds();
        d.m_editTitle->setFocus();
        TypeOver(d.m_editTitle, "Höstcupen");
        QVERIFY(QTest::qWaitFor([&] { return Get(url).contains("<h3>H\xF6stcupen</h3>"); }, 5000));
        // So do the series rules, as the Regler dialog sets them.
        CSeriesRules best;
        best.m_best = 1;
        QVERIFY(d.m_doc.SetRules(best).Ok());
        QVERIFY(QTest::qWaitFor([&] { return Get(url).contains("<p class=\"regler\">"); }, 5000));
        for (int i = 0; i < 20; ++i)
            QVERIFY(Get(url, "/version").startsWith("200"));
        QVERIFY2(mobile->Publisher().Builds() - builds <= 3, qPrintable(QString::number(mobile->Publisher().Builds())));
        QVERIFY(w.m_platform.m_errors.isEmpty());
        // With the round editor open all evening, each result reaches the page as it is added.
        ClickRow(d.m_listRounds, 0);
        QVERIFY(WithEditor(d.m_btnEdit, [&](CRoundDlg& e) {
            AddResult(e, "Viktor", "25");
            QVERIFY(QTest::qWaitFor([&] { return Get(url).contains("Viktor"); }, 5000));
            e.close();
        }));

        // Changes closer together than the settle time (a letter every 200 ms for 3 s) still
        // give a new page at least every 2 s, not only once they stop.
        QElapsedTimer clock;
        QList<qint64> pages{0};
        const QMetaObject::Connection counting =
            connect(&mobile->Publisher(), &CPagePublisher::published, this, [&] { pages << clock.elapsed(); });
        clock.start();
        for (int i = 0; i < 15; ++i) {
            Type(d.m_editTitle, "x");
            QTest::qWait(200);
        }
        pages << clock.elapsed();
        disconnect(counting);
        for (qsizetype i = 1; i < pages.size(); ++i)
            QVERIFY2(pages[i] - pages[i - 1] <= 2000, qPrintable(QString("%1 ms without a page").arg(pages[i] - pages[i - 1])));

        // Minimised, the window goes on serving the phones, and a change still reaches them.
        d.showMinimized();
        QVERIFY(d.isMinimized() && MobileWindow(d) == mobile && mobile->Serving());
        best.m_best = 2;
        QVERIFY(d.m_doc.SetRules(best).Ok());
        QVERIFY(QTest::qWaitFor([&] { return Get(url).contains("De 2 b\xE4sta"); }, 5000));
        d.showNormal();

        // "Visa på mobil" again brings the same window forward.
        Click(d.m_btnShowMobile);
        QCOMPARE(d.findChildren<CMobileDlg*>().size(), 1);
        QCOMPARE(MobileWindow(d)->PageUrl(), url);
    }

    void endingStopsTheServer_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Sluta visa", "close box", "another tournament", "program closed"})
            QTest::newRow(how) << how;
    }
    void endingStopsTheServer()
    {
        QFETCH(QString, how);
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        Click(d.m_btnShowMobile);
        CMobileDlg* mobile = MobileWindow(d);
        QVERIFY(mobile);
        const QString url = mobile->PageUrl();
        QVERIFY(Get(url).startsWith("200"));
        if (how == "Sluta visa")
            Click(mobile->m_btnStop);
        else if (how == "close box")
            mobile->close();
        else if (how == "another tournament")
            w.Choose(w.Write("other.txt", "Annan\r\n"));
        else
            QVERIFY(w.Close());
        QCOMPARE(Get(url), "refused");
        QVERIFY(QTest::qWaitFor([&] { return !MobileWindow(d); }, 2000));
        if (how == "another tournament")
            QCOMPARE(d.m_editTitle->text(), "Annan");
    }

    void aChoiceOfNetworksOrNone()
    {
        CWindow w(kCup);
        CRavelmarkDlg& d = w.m_dlg;
        w.m_platform.m_addresses = {"127.0.0.2", "127.0.0.3"};
        Click(d.m_btnShowMobile);
        CMobileDlg* mobile = MobileWindow(d);
        QVERIFY(mobile && mobile->m_choice->isVisible());
        QCOMPARE(Items(mobile->m_choice), "127.0.0.2,127.0.0.3");
        const QString first = mobile->PageUrl();
        mobile->m_choice->setCurrentIndex(1);
        const QString second = mobile->PageUrl();
        QVERIFY2(second.startsWith("http://127.0.0.3:"), qPrintable(second));
        QCOMPARE(Decoded(mobile->m_qrImage, w.Folder()), second);
        QVERIFY(Get(second).startsWith("200"));
        QCOMPARE(Get(first), "refused");
        Click(mobile->m_btnStop);

        // At once again, without a network: said so, nothing to scan, nothing served.
        w.m_platform.m_addresses = {};
        Click(d.m_btnShowMobile);
        mobile = MobileWindow(d);
        QVERIFY(mobile && mobile->isVisible() && !mobile->Serving() && mobile->m_qrImage.isNull() && mobile->PageUrl().isEmpty());
        QVERIFY(mobile->m_address->text().startsWith("Datorn är inte ansluten till något nätverk"));
        QCOMPARE(mobile->m_btnStop->text(), "Stäng");
        QCOMPARE(Get(OtherAddress(first, "127.0.0.1")), "refused");
    }
};

QTEST_MAIN(MobileDlgTest)
#include "mobile_dlg_test.moc"
