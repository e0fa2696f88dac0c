#include "Platform/Net/Tls.h"
#include "Platform/Net/UrlConnection.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestUrlConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void trustFromEnvironment_data();
    void trustFromEnvironment();

private:
    QTemporaryDir m_dir;
    Standin m_service;
};

void TestUrlConnection::initTestCase()
{
    for (const char* name : {"trusted", "untrusted"}) {
        QVERIFY(makeTestCertificates(m_dir.filePath(QString::fromLatin1(name))));
    }
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("work"))));
    qputenv("SSL_CERT_FILE", m_dir.filePath(QStringLiteral("trusted/ca.pem")).toLocal8Bit());
    QVERIFY(m_service.start(m_dir.filePath(QStringLiteral("trusted")), m_dir.filePath(QStringLiteral("work"))));
    m_service.configure("{}");
}

void TestUrlConnection::trustFromEnvironment_data()
{
    // Paths in the test folder; an empty one leaves the variable unset.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<bool>("reported");
    QTest::newRow("file of the service's authority") << "trusted/ca.pem"
                                                     << "" << true << false;
    QTest::newRow("file of another authority") << "untrusted/ca.pem"
                                               << "" << false << false;
    QTest::newRow("file missing") << "missing.pem"
                                  << "" << false << true;
    QTest::newRow("folder of the service's authority") << ""
                                                       << "hashed-trusted" << true << false;
    QTest::newRow("folder of another authority") << ""
                                                 << "hashed-untrusted" << false << false;
}

void TestUrlConnection::trustFromEnvironment()
{
    QFETCH(QString, file);
    QFETCH(QString, folder);
    QFETCH(bool, trusted);
    QFETCH(bool, reported);
    for (const QString& name : {QStringLiteral("trusted"), QStringLiteral("untrusted")}) {
        const QString hashed = m_dir.filePath(QStringLiteral("hashed-") + name);
        if (!QDir(hashed).exists()) {
            QVERIFY(QDir().mkpath(hashed));
            QVERIFY(QFile::copy(m_dir.filePath(name + QStringLiteral("/ca.pem")), hashed + QStringLiteral("/ca.pem")));
            QCOMPARE(QProcess::execute(QStringLiteral("openssl"), {QStringLiteral("rehash"), hashed}), 0);
        }
    }
    const auto setPath = [this](const char* name, const QString& path) {
        if (path.isEmpty()) {
            qunsetenv(name);
        } else {
            qputenv(name, m_dir.filePath(path).toLocal8Bit());
        }
    };
    setPath("SSL_CERT_FILE", file);
    setPath("SSL_CERT_DIR", folder);
    LogCapture capture;
    Tls::reportUnreadableTrust();
    const UrlResponse response = UrlConnection::sendSynchronousRequest(
        QUrl(QStringLiteral("https://%1/api/v1/customer_plugin/check_update").arg(m_service.host())));
    const QString log = capture.text();
    setPath("SSL_CERT_FILE", QStringLiteral("trusted/ca.pem"));
    setPath("SSL_CERT_DIR", QString());
    QCOMPARE(response.statusCode, trusted ? 200L : 0L);
    QCOMPARE(response.error ? response.error->number() : 0, trusted ? 0 : -1200);
    QCOMPARE(log.contains(QStringLiteral("cannot be read: no HTTPS server will be trusted")), reported);
}

QTEST_MAIN(TestUrlConnection)
#include "tst_urlconnection.moc"
