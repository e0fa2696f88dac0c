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
    void maximumLength_data();
    void maximumLength();

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

void TestUrlDownload::maximumLength_data()
{
    QTest::addColumn<qint64>("maximum");
    QTest::addColumn<bool>("chunked"); // sent without a Content-Length
    QTest::addColumn<qint64>("kept");  // bytes of an earlier part to resume from
    QTest::addColumn<bool>("finishes");
    const qint64 length = 64 * 1024;
    QTest::newRow("declared length over the cap") << length - 1 << false << qint64{0} << false;
    QTest::newRow("body grows past the cap") << length - 1 << true << qint64{0} << false;
    QTest::newRow("resumed whole over the cap") << length - 1 << false << qint64{1000} << false;
    QTest::newRow("declared length at the cap") << length << false << qint64{0} << true;
    QTest::newRow("body up to the cap") << length << true << qint64{0} << true;
}

void TestUrlDownload::maximumLength()
{
    QFETCH(qint64, maximum);
    QFETCH(bool, chunked);
    QFETCH(qint64, kept);
    QFETCH(bool, finishes);
    const QString source = m_dir.filePath(QStringLiteral("image.bin"));
    QFile file(source);
    const QByteArray body(qsizetype{64} * 1024, 'x');
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(body) == body.size());
    file.close();
    const QString destination = m_dir.filePath(QStringLiteral("capped.bin"));
    QFile::remove(destination);
    QFile part(UrlDownload::partialPathFor(destination));
    QVERIFY(part.open(QIODevice::WriteOnly) && part.write(body.left(kept)) == kept);
    part.close();
    m_service.configure(
        QJsonDocument(QJsonObject{{QStringLiteral("agentImage"), QJsonObject{{QStringLiteral("file"), source},
                                                                             {QStringLiteral("chunked"), chunked}}}})
            .toJson());
    bool checkReturned = true;
    DownloadReports reports;
    reports.checkReturned = &checkReturned;
    UrlDownload download;
    download.setKeepsPartialFile(true);
    download.setMaximumLength(maximum);
    const QString url = QStringLiteral("https://%1/agent/OrvoMac.dmg").arg(m_service.host());
    QVERIFY(download.initWithRequest(UrlRequest(QUrl(url), 0, 10s), &reports).ok());
    download.setDestination(destination, true);
    QTRY_COMPARE(reports.events.size(), 2);
    QCOMPARE(reports.events.last(),
             finishes ? QStringLiteral("finish")
                      : QStringLiteral("Error Domain=NSURLErrorDomain Code=-1103 \"resource exceeds maximum size\" "
                                       "UserInfo={NSErrorFailingURLStringKey=%1, NSLocalizedDescription=resource "
                                       "exceeds maximum size}")
                            .arg(url));
    QCOMPARE(QFile::exists(destination), finishes);
    // What a flooding server sent is not kept for a resume.
    QVERIFY(!part.exists());
}

QTEST_MAIN(TestUrlDownload)
#include "tst_urldownload.moc"
