#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/NotificationCenter.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace ProvisioningFixtures;
using namespace std::chrono_literals;

namespace {

// Records what a download reports, in order.
struct Recorder : UrlDownloadDelegate
{
    QStringList events;
    void downloadDidBegin(UrlDownload*) override { events << QStringLiteral("begin"); }
    void downloadDidFail(UrlDownload*, const UrlError& error) override
    {
        events << QStringLiteral("fail %1 %2").arg(error.number()).arg(error.localizedDescription);
    }
    void downloadDidFinish(UrlDownload*) override { events << QStringLiteral("finish"); }
    void downloadDidReceiveResponse(UrlDownload*, qint64 length) override { expected << length; }
    void downloadDidReceiveData(UrlDownload*, qint64 bytes) override { received << bytes; }
    QList<qint64> expected;
    QList<qint64> received;
};

} // namespace

class TestAgentDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void download_data();
    void download();
    void failures_data();
    void failures();
    void servedBy_data();
    void servedBy();
    void downloadObject_data();
    void downloadObject();
    void resume_data();
    void resume();

private:
    QString agentFolder() const
    {
        return m_dir.filePath(QStringLiteral("home/Library/Application Support/OrvoMeetingNative"));
    }
    QString imagePath() const { return agentFolder() + QStringLiteral("/OrvoMac.dmg"); }
    void configure(const QJsonObject& imageOptions);

    QTemporaryDir m_dir;
    Standin m_service;
    Standin m_untrusted; // its certificate comes from an authority the process does not trust
    QByteArray m_image;
    QList<const void*> m_retries;
};

void TestAgentDownload::initTestCase()
{
    QVERIFY(makeTestCertificates(m_dir.filePath(QStringLiteral("certs"))));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("work"))));
    qputenv("SSL_CERT_FILE", m_dir.filePath(QStringLiteral("certs/ca.pem")).toLocal8Bit());
    QVERIFY(m_service.start(m_dir.filePath(QStringLiteral("certs")), m_dir.filePath(QStringLiteral("work"))));
    QVERIFY(makeTestCertificates(m_dir.filePath(QStringLiteral("othercerts"))));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("otherwork"))));
    QVERIFY(
        m_untrusted.start(m_dir.filePath(QStringLiteral("othercerts")), m_dir.filePath(QStringLiteral("otherwork"))));
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("ORVO_SYSTEM_ROOT", m_dir.filePath(QStringLiteral("root")).toLocal8Bit());
    // A disk-image tool that attaches nothing but keeps what it was given: the install then finds no agent to
    // install, drops the image and leaves the agent in place.
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("root/usr/bin/hdiutil")),
                      "#!/bin/sh\n[ \"$1\" = mount ] && cp \"$2\" \"$ORVO_SYSTEM_ROOT/attached.dmg\"\nexit 0\n", 0755));
    m_image.resize(3 * 1024 * 1024 + 17);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(m_image.data()), m_image.size() / 4);
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("OrvoMac.dmg")), m_image));
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("RetryDMGDownloadig"), nullptr,
                                                    [this](const Notification& n) { m_retries << n.object; });
}

void TestAgentDownload::init()
{
    QDir(agentFolder()).removeRecursively();
    QDir(m_dir.filePath(QStringLiteral("root/System"))).removeRecursively();
    QDir(m_dir.filePath(QStringLiteral("root/etc"))).removeRecursively();
    QVERIFY(QDir().mkpath(agentFolder() + QStringLiteral("/Orvo.app")));
    m_retries.clear();
    SessionDetails* s = SessionDetails::getInstance();
    s->setWebServerName(m_service.host());
    s->setIsCdnAvailable(false);
    s->setCdnUrl(std::nullopt);
    s->setRetryCounter(5);
}

void TestAgentDownload::configure(const QJsonObject& imageOptions)
{
    QJsonObject options = imageOptions;
    options.insert(QStringLiteral("file"), m_dir.filePath(QStringLiteral("OrvoMac.dmg")));
    const QJsonObject files{{QStringLiteral("/cdn/OrvoMac.dmg"), m_dir.filePath(QStringLiteral("OrvoMac.dmg"))}};
    m_service.configure(
        QJsonDocument(QJsonObject{{QStringLiteral("agentImage"), options}, {QStringLiteral("files"), files}}).toJson());
}

void TestAgentDownload::download_data()
{
    QTest::addColumn<bool>("cdn");
    QTest::addColumn<QString>("systemFile"); // which system file is there
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("userAgent");
    QTest::addColumn<bool>("olderImage");
    QTest::newRow("service location, system version file") << false << "plist"
                                                           << "/agent/OrvoMac.dmg"
                                                           << "Mac OS X 10.15.7" << false;
    QTest::newRow("content network, os-release, older image overwritten") << true << "os-release"
                                                                          << "/cdn/OrvoMac.dmg"
                                                                          << "Debian GNU/Linux 12" << true;
    QTest::newRow("no system file") << false << "none"
                                    << "/agent/OrvoMac.dmg"
                                    << "(null) (null)" << false;
}

void TestAgentDownload::download()
{
    QFETCH(bool, cdn);
    QFETCH(QString, systemFile);
    QFETCH(QString, target);
    QFETCH(QString, userAgent);
    QFETCH(bool, olderImage);
    if (systemFile == QLatin1String("plist")) {
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("root/System/Library/CoreServices/SystemVersion.plist")),
                          plist({{QStringLiteral("ProductName"), QStringLiteral("Mac OS X")},
                                 {QStringLiteral("ProductVersion"), QStringLiteral("10.15.7")}})));
    } else if (systemFile == QLatin1String("os-release")) {
        QVERIFY(writeFile(
            m_dir.filePath(QStringLiteral("root/etc/os-release")),
            "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"));
    }
    if (olderImage) {
        QVERIFY(writeFile(imagePath(), "an older image"));
    }
    SessionDetails* s = SessionDetails::getInstance();
    if (cdn) {
        s->setIsCdnAvailable(true);
        s->setCdnUrl(QStringLiteral("https://%1/cdn/OrvoMac.dmg").arg(m_service.host()));
    }
    configure({});

    OrvoDmgDownloader downloader;
    LogCapture capture;
    downloader.startDownLoadingOrvoMacDmg();
    QTRY_VERIFY_WITH_TIMEOUT(capture.text().contains(QStringLiteral("dmg mount task termination status : 0\n")), 20000);
    QCOMPARE(readFile(m_dir.filePath(QStringLiteral("root/attached.dmg"))), m_image);
    QCOMPARE(QDir(agentFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"Orvo.app"});
    QCOMPARE(s->retryCounter(), 0);
    QVERIFY(m_retries.isEmpty());

    const QString record = m_service.record();
    QVERIFY2(record.startsWith(QStringLiteral("GET ") + target + QStringLiteral(" HTTP/1.1")), qPrintable(record));
    QVERIFY2(record.contains(QStringLiteral("User-Agent: ") + userAgent + QStringLiteral("\r\n")) ||
                 record.contains(QStringLiteral("User-Agent: ") + userAgent + QLatin1Char('\n')),
             qPrintable(record));
    const QString log = capture.text();
    const QString name = QStringLiteral("-[OrvoDmgDownloader startDownLoadingOrvoMacDmg] : ");
    QVERIFY(log.contains(name + QStringLiteral("Orvo Dmg Url : https://%1%2\n").arg(m_service.host(), target)));
    const QStringList product =
        userAgent == QLatin1String("(null) (null)")
            ? QStringList{"(null)", "(null)"}
            : QStringList{userAgent.section(QLatin1Char(' '), 0, -2), userAgent.section(QLatin1Char(' '), -1)};
    QVERIFY(log.contains(name + QStringLiteral("System version details ") + product[0] + '\n'));
    QVERIFY(log.contains(name + QStringLiteral("System version : ") + product[1] + '\n'));
    // The one line without the operation's name.
    QVERIFY(log.contains(QStringLiteral("] destination path : ") + imagePath() + '\n'));
    const qsizetype begun =
        log.indexOf(QStringLiteral("-[OrvoDmgDownloader downloadDidBegin:] : downloadDidstarted\n"));
    const qsizetype finished =
        log.indexOf(QStringLiteral("-[OrvoDmgDownloader downloadDidFinish:] : downloadDidFinish\n"));
    QVERIFY(begun > 0 && finished > begun);
}

void TestAgentDownload::failures_data()
{
    QTest::addColumn<QJsonObject>("options");
    QTest::addColumn<QString>("url"); // empty: the service's own location
    QTest::addColumn<QString>("description");
    QTest::addColumn<qint64>("maximum"); // the image's cap; 0: the downloader's own
    QTest::addColumn<bool>("retried");   // tried again by itself before the customer hears of it
    // Passing faults are tried again by themselves: the customer hears of them after the fourth attempt.
    QTest::newRow("dropped") << QJsonObject{{QStringLiteral("drop_after"), 100000}} << QString()
                             << "The network connection was lost." << qint64{0} << true;
    QTest::newRow("not found") << QJsonObject{{QStringLiteral("status"), 404}} << QString()
                               << "The server answered with HTTP status 404." << qint64{0} << false;
    QTest::newRow("server error") << QJsonObject{{QStringLiteral("status"), 503}} << QString()
                                  << "The server answered with HTTP status 503." << qint64{0} << true;
    QTest::newRow("redirect to plain http")
        << QJsonObject{{QStringLiteral("status"), 302},
                       {QStringLiteral("headers"),
                        QJsonObject{{QStringLiteral("Location"), QStringLiteral("http://127.0.0.1:1/OrvoMac.dmg")}}}}
        << QString() << "unsupported URL" << qint64{0} << false;
    QTest::newRow("plain http refused") << QJsonObject{} << "http://%1/agent/OrvoMac.dmg"
                                        << "unsupported URL" << qint64{0} << false;
    QTest::newRow("file URL refused") << QJsonObject{} << "file:///etc/passwd"
                                      << "unsupported URL" << qint64{0} << false;
    QTest::newRow("untrusted certificate") << QJsonObject{} << "https://%2/agent/OrvoMac.dmg"
                                           << "An SSL error has occurred and a secure connection to the server "
                                              "cannot be made."
                                           << qint64{0} << false;
    // A hostile server's flood is cut and nothing of it kept for a resume.
    QTest::newRow("declared length over the cap")
        << QJsonObject{} << QString() << "resource exceeds maximum size" << qint64{1024 * 1024} << false;
    QTest::newRow("body grows past the cap") << QJsonObject{{QStringLiteral("chunked"), true}} << QString()
                                             << "resource exceeds maximum size" << qint64{1024 * 1024} << false;
}

void TestAgentDownload::failures()
{
    QFETCH(QJsonObject, options);
    QFETCH(QString, url);
    QFETCH(QString, description);
    QFETCH(qint64, maximum);
    QFETCH(bool, retried);
    configure(options);
    QVERIFY(writeFile(imagePath(), "an older image"));
    SessionDetails* s = SessionDetails::getInstance();
    if (!url.isEmpty()) {
        s->setIsCdnAvailable(true);
        s->setCdnUrl(QString(url)
                         .replace(QLatin1String("%1"), m_service.host())
                         .replace(QLatin1String("%2"), m_untrusted.host()));
    }
    const QString failingUrl =
        url.isEmpty() ? QStringLiteral("https://%1/agent/OrvoMac.dmg").arg(m_service.host()) : *s->cdnUrl();
    JoinProgressWindow::getInstance()->showWindow(nullptr);

    OrvoDmgDownloader downloader;
    if (maximum > 0) {
        downloader.setMaximumLength(maximum);
    }
    LogCapture capture;
    downloader.startDownLoadingOrvoMacDmg();
    QTRY_VERIFY_WITH_TIMEOUT(!m_retries.isEmpty(), 40000);
    QCOMPARE(m_retries.size(), 1);
    const QString log = capture.text();
    // The last attempt's downloader tells the window; a permanent fault is told by the first.
    QCOMPARE(m_retries.first() == &downloader, !retried);
    const QString attempts = QStringLiteral("-[OrvoAppUpgrader continueAgentDownload:] : Attempt %1 of 4 failed");
    QCOMPARE(log.contains(attempts.arg(3)), retried);
    QVERIFY(!log.contains(attempts.arg(4)));
    const QString name = QStringLiteral("-[OrvoDmgDownloader download:didFailWithError:] : ");
    QVERIFY2(log.contains(name + QStringLiteral("Download failed! Error - ") + description + ' ' + failingUrl + " \n"),
             qPrintable(log));
    QVERIFY(log.contains(name + QStringLiteral("Download failed! Whole Error - Error Domain=NSURLErrorDomain")));
    QVERIFY(!log.contains(QStringLiteral("downloadDidFinish")));
    // The older image is as it was; of what arrived only the part kept for Retry stays beside it.
    QStringList entries{"Orvo.app", "OrvoMac.dmg"};
    if (options.contains(QStringLiteral("drop_after"))) {
        entries << QStringLiteral("OrvoMac.dmg.part") << QStringLiteral("OrvoMac.dmg.part.validator");
    }
    QCOMPARE(QDir(agentFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
    QCOMPARE(readFile(imagePath()), QByteArray("an older image"));
    QVERIFY(JoinProgressWindow::getInstance()->loadedWindow()->isVisible());
    if (maximum > 0) {
        QCOMPARE(downloader.failureMessage().english(),
                 QStringLiteral("The support app's download location could not be "
                                "trusted. Press Retry; if it happens again, tell your "
                                "technician."));
    }
}

void TestAgentDownload::servedBy_data()
{
    QTest::addColumn<QString>("url");      // %1: the service host
    QTest::addColumn<QString>("location"); // where the service redirects to, %2: its port; empty: no redirect
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("host");
    QTest::newRow("the service itself") << "https://%1/agent/OrvoMac.dmg"
                                        << ""
                                        << "https://%1/agent/OrvoMac.dmg"
                                        << "127.0.0.1";
    // What arrives is checked whoever serves it; the log says who did.
    QTest::newRow("redirected to another host") << "https://%1/agent/OrvoMac.dmg"
                                                << "https://localhost:%2/cdn/OrvoMac.dmg"
                                                << "https://%1/agent/OrvoMac.dmg"
                                                << "localhost";
    QTest::newRow("user and password masked") << "https://joe:s3cret@%1/cdn/OrvoMac.dmg"
                                              << ""
                                              << "https://***@%1/cdn/OrvoMac.dmg"
                                              << "127.0.0.1";
}

void TestAgentDownload::servedBy()
{
    QFETCH(QString, url);
    QFETCH(QString, location);
    QFETCH(QString, logged);
    QFETCH(QString, host);
    const auto placed = [this](QString text) {
        return text.replace(QLatin1String("%1"), m_service.host())
            .replace(QLatin1String("%2"), m_service.host().section(QLatin1Char(':'), 1));
    };
    configure(location.isEmpty() ? QJsonObject{}
                                 : QJsonObject{{QStringLiteral("status"), 302},
                                               {QStringLiteral("body"), QString()},
                                               {QStringLiteral("headers"),
                                                QJsonObject{{QStringLiteral("Location"), placed(location)}}}});
    SessionDetails* s = SessionDetails::getInstance();
    s->setIsCdnAvailable(true);
    s->setCdnUrl(placed(url));

    const QString attached = m_dir.filePath(QStringLiteral("root/attached.dmg"));
    QFile::remove(attached);
    OrvoDmgDownloader downloader;
    LogCapture capture;
    downloader.startDownLoadingOrvoMacDmg();
    QTRY_VERIFY_WITH_TIMEOUT(capture.text().contains(QStringLiteral("dmg mount task termination status : 0\n")), 20000);
    QCOMPARE(readFile(attached), m_image);
    const QString log = capture.text();
    QVERIFY(log.contains(QStringLiteral("-[OrvoDmgDownloader startDownLoadingOrvoMacDmg] : Orvo Dmg Url : ") +
                         placed(logged) + '\n'));
    // Right after the line that says the download finished.
    const QStringList lines = log.split(QLatin1Char('\n'));
    const qsizetype finished = lines.indexOf(QRegularExpression(QStringLiteral(".*\\] : downloadDidFinish")));
    QVERIFY2(finished >= 0 &&
                 lines.value(finished + 1)
                     .endsWith(QStringLiteral("-[OrvoDmgDownloader downloadDidFinish:] : served by ") + host),
             qPrintable(log));
    QVERIFY(!log.contains(QStringLiteral("s3cret")));
}

void TestAgentDownload::downloadObject_data()
{
    QTest::addColumn<QJsonObject>("options");
    QTest::addColumn<QString>("destination"); // relative to the agent folder
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("idle time-out") << QJsonObject{{QStringLiteral("never_answer"), true}} << "OrvoMac.dmg" << true
                                   << QStringList{"begin", "fail -1001 The request timed out."};
    QTest::newRow("stalled mid-body") << QJsonObject{{QStringLiteral("stall_after"), 5000}} << "OrvoMac.dmg" << true
                                      << QStringList{"begin", "fail -1001 The request timed out."};
    QTest::newRow("destination folder missing")
        << QJsonObject{} << "missing/OrvoMac.dmg" << true << QStringList{"begin", "fail -3000 cannot create file"};
    QTest::newRow("existing file without overwrite")
        << QJsonObject{} << "OrvoMac.dmg" << false << QStringList{"begin", "fail -3005 cannot move file"};
    QTest::newRow("empty body") << QJsonObject{{QStringLiteral("body"), QString()}} << "OrvoMac.dmg" << true
                                << QStringList{"begin", "finish"};
}

void TestAgentDownload::downloadObject()
{
    QFETCH(QJsonObject, options);
    QFETCH(QString, destination);
    QFETCH(bool, overwrite);
    QFETCH(QStringList, events);
    configure(options);
    QVERIFY(writeFile(imagePath(), "an older image"));
    Recorder recorder;
    UrlDownload download;
    const QUrl url(QStringLiteral("https://%1/agent/OrvoMac.dmg").arg(m_service.host()));
    // A short idle time-out only where it is the point: on a loaded machine a TLS handshake can take a second.
    const auto timeout =
        options.contains(QStringLiteral("never_answer")) || options.contains(QStringLiteral("stall_after")) ? 1s : 60s;
    QVERIFY(download.initWithRequest(UrlRequest(url, 0, timeout), &recorder));
    download.setDestination(agentFolder() + '/' + destination, overwrite);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 2, 20000);
    QCOMPARE(recorder.events, events);
    QCOMPARE(readFile(imagePath()), QByteArray(events.last() == "finish" ? "" : "an older image"));
    QCOMPARE(QDir(agentFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"OrvoMac.dmg"});
}

void TestAgentDownload::resume_data()
{
    QTest::addColumn<QJsonObject>("cut");     // the first download's options; it is cut off
    QTest::addColumn<QByteArray>("padding");  // added to the kept part, as if it held more than the file
    QTest::addColumn<bool>("replaced");       // the server's image is a new one by the second download
    QTest::addColumn<QJsonObject>("options"); // the second download's options
    QTest::addColumn<QString>("asked");       // the second request's conditional headers, in part; empty: none
    QTest::addColumn<bool>("appended");
    const QJsonObject cut{{QStringLiteral("drop_after"), 1234567}};
    QTest::newRow("206: the rest appended") << cut << QByteArray() << false << QJsonObject{} << "If-Range: \"" << true;
    QTest::newRow("200: starts over") << cut << QByteArray() << false
                                      << QJsonObject{{QStringLiteral("ignore_range"), true}} << "If-Range: \"" << false;
    QTest::newRow("416: a kept part too long starts over")
        << cut << QByteArray(4 * 1024 * 1024, 'x') << false << QJsonObject{} << "If-Range: \"" << false;
    // A 206 whose range does not start where the kept part ends is not appended: the file is fetched whole.
    const QString whole = QStringLiteral("bytes 0-%1/%2").arg(m_image.size() - 1).arg(m_image.size());
    QTest::newRow("206 from elsewhere: starts over")
        << cut << QByteArray() << false
        << QJsonObject{{QStringLiteral("ignore_range"), true},
                       {QStringLiteral("status"), 206},
                       {QStringLiteral("headers"), QJsonObject{{QStringLiteral("Content-Range"), whole}}}}
        << "If-Range: \"" << false;
    // The server's If-Range sees another tag and sends the new image whole, never its tail after the old head.
    QTest::newRow("image replaced since the cut: the new one whole")
        << cut << QByteArray() << true << QJsonObject{} << "If-Range: \"" << false;
    // Without a validator nothing says which file the part began, so it is not resumed at all.
    QJsonObject unvalidated = cut;
    unvalidated.insert(QStringLiteral("validators"), false);
    QTest::newRow("no validator: fetched whole without Range")
        << unvalidated << QByteArray() << false << QJsonObject{} << QString() << false;
}

void TestAgentDownload::resume()
{
    QFETCH(QJsonObject, cut);
    QFETCH(QByteArray, padding);
    QFETCH(bool, replaced);
    QFETCH(QJsonObject, options);
    QFETCH(QString, asked);
    QFETCH(bool, appended);
    const QUrl url(QStringLiteral("https://%1/agent/OrvoMac.dmg").arg(m_service.host()));
    const QString part = imagePath() + QStringLiteral(".part");
    const QString served = m_dir.filePath(QStringLiteral("OrvoMac.dmg"));
    qint64 resumedFrom = -1;
    const auto fetch = [&](Recorder& recorder) {
        UrlDownload download;
        download.setKeepsPartialFile(true);
        // A download that cannot be set up is reported to the recorder, which the caller checks.
        static_cast<void>(download.initWithRequest(UrlRequest(url, 0, 60s), &recorder));
        download.setDestination(imagePath(), true);
        const bool ended = QTest::qWaitFor([&] { return recorder.events.size() == 2; }, 20000);
        resumedFrom = download.resumedFrom();
        return ended;
    };
    configure(cut);
    Recorder first;
    QVERIFY(fetch(first));
    QVERIFY(first.events.last().startsWith(QStringLiteral("fail -1005")));
    QVERIFY(!QFile::exists(imagePath()));
    QCOMPARE(first.expected, QList<qint64>{m_image.size()});
    if (!padding.isEmpty()) {
        QFile file(part);
        QVERIFY(file.open(QIODevice::Append) && file.write(padding) == padding.size());
    }
    const QByteArray kept = readFile(part);
    QCOMPARE(kept, m_image.left(kept.size() - padding.size()) + padding);

    QByteArray expected = m_image;
    if (replaced) {
        // A new file in its place, as a server's deployment does.
        std::reverse(expected.begin(), expected.end());
        QVERIFY(writeFile(served + QStringLiteral(".new"), expected) &&
                std::rename(QFile::encodeName(served + QStringLiteral(".new")).constData(),
                            QFile::encodeName(served).constData()) == 0);
    }
    configure(options);
    Recorder rest;
    const bool ended = fetch(rest);
    if (replaced) {
        QVERIFY(writeFile(served + QStringLiteral(".new"), m_image) &&
                std::rename(QFile::encodeName(served + QStringLiteral(".new")).constData(),
                            QFile::encodeName(served).constData()) == 0);
    }
    QVERIFY(ended);
    QCOMPARE(rest.events.last(), QStringLiteral("finish"));
    QCOMPARE(readFile(imagePath()), expected);
    QVERIFY(!QFile::exists(part));
    QVERIFY(!QFile::exists(part + QStringLiteral(".validator")));
    const QString record = m_service.record();
    QCOMPARE(record.contains(QStringLiteral("Range: bytes=%1-").arg(kept.size())), !asked.isEmpty());
    QVERIFY2(asked.isEmpty() ? !record.contains(QStringLiteral("If-Range")) : record.contains(asked),
             qPrintable(record));
    QCOMPARE(resumedFrom, appended ? kept.size() : 0);
    // Progress counts the whole file, a kept part included.
    QCOMPARE(rest.expected, QList<qint64>{m_image.size()});
    QCOMPARE(rest.received.last(), m_image.size());
}

QTEST_MAIN(TestAgentDownload)
#include "tst_agentdownload.moc"
