#include "Platform/Net/UrlConnection.h"
#include "Platform/Net/UrlDownload.h"
#include "Platform/Net/UrlDownloadDelegate.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

// Records what a download reports, marking a report that came while the update check was still waiting.
struct DownloadReports : UrlDownloadDelegate
{
    const bool* checkReturned = nullptr;
    QStringList events;
    void note(const QString& event) { events << event + QLatin1String(*checkReturned ? "" : " during the check"); }
    void downloadDidBegin(UrlDownload*) override { note(QStringLiteral("begin")); }
    void downloadDidFail(UrlDownload*, const UrlError& error) override { note(error.description()); }
    void downloadDidFinish(UrlDownload*) override { note(QStringLiteral("finish")); }
};

} // namespace

class TestUrlDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void setUpFailures_data();
    void setUpFailures();
    void downloadReportsWaitForTheCheck();

private:
    QTemporaryDir m_dir;
    Standin m_service;
};

void TestUrlDownload::initTestCase()
{
    QVERIFY(makeTestCertificates(m_dir.filePath(QStringLiteral("certs"))));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("work"))));
    qputenv("SSL_CERT_FILE", m_dir.filePath(QStringLiteral("certs/ca.pem")).toLocal8Bit());
    QVERIFY(m_service.start(m_dir.filePath(QStringLiteral("certs")), m_dir.filePath(QStringLiteral("work"))));
}

void TestUrlDownload::setUpFailures_data()
{
    QTest::addColumn<bool>("keepsPartialFile");
    QTest::addColumn<QString>("destination"); // relative to the test folder
    // A folder that is a file cannot be written to, whoever runs the test.
    QTest::newRow("temporary file, folder is a file") << false << "a-file/OrvoMac.dmg";
    QTest::newRow("kept part, folder is a file") << true << "a-file/OrvoMac.dmg";
    QTest::newRow("kept part, folder missing") << true << "missing/OrvoMac.dmg";
}

void TestUrlDownload::setUpFailures()
{
    QFETCH(bool, keepsPartialFile);
    QFETCH(QString, destination);
    QFile file(m_dir.filePath(QStringLiteral("a-file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_service.configure("{}");
    bool checkReturned = true;
    DownloadReports reports;
    reports.checkReturned = &checkReturned;
    UrlDownload download;
    download.setKeepsPartialFile(keepsPartialFile);
    const QString url = QStringLiteral("https://%1/agent/OrvoMac.dmg").arg(m_service.host());
    QVERIFY(download.initWithRequest(UrlRequest(QUrl(url), 0, 10s), &reports).ok());
    download.setDestination(m_dir.filePath(destination), true);
    // From the event loop, as every other report.
    QVERIFY(reports.events.isEmpty());
    QTRY_COMPARE(reports.events,
                 (QStringList{QStringLiteral("begin"),
                              QStringLiteral("Error Domain=NSURLErrorDomain Code=-3000 \"cannot create file\" "
                                             "UserInfo={NSErrorFailingURLStringKey=%1, NSLocalizedDescription=cannot "
                                             "create file}")
                                  .arg(url)}));
}

void TestUrlDownload::downloadReportsWaitForTheCheck()
{
    const QString source = m_dir.filePath(QStringLiteral("small.bin"));
    QFile file(source);
    const QByteArray body(qsizetype{64} * 1024, 'x');
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(body) == body.size());
    file.close();
    m_service.configure(
        QJsonDocument(QJsonObject{{QStringLiteral("agent"), QJsonObject{{QStringLiteral("delay_ms"), 1000}}},
                                  {QStringLiteral("files"), QJsonObject{{QStringLiteral("/small.bin"), source}}}})
            .toJson());
    bool checkReturned = false;
    DownloadReports reports;
    reports.checkReturned = &checkReturned;
    UrlDownload download;
    // Its first report is already posted when the check starts to wait, as a blocking call would find it.
    QVERIFY(download
                .initWithRequest(UrlRequest(QUrl(QStringLiteral("https://%1/small.bin").arg(m_service.host())), 0, 10s),
                                 &reports)
                .ok());
    download.setDestination(m_dir.filePath(QStringLiteral("fetched.bin")), true);
    const UrlResponse check = UrlConnection::sendSynchronousRequest(
        QUrl(QStringLiteral("https://%1/api/v2/agent/check_update").arg(m_service.host())));
    QCOMPARE(check.statusCode, 200L);
    checkReturned = true;
    QTRY_COMPARE(reports.events, (QStringList{QStringLiteral("begin"), QStringLiteral("finish")}));
}

QTEST_MAIN(TestUrlDownload)
#include "tst_urldownload.moc"
