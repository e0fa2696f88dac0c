#include "Handlers/AutomaticRetry.h"

#include <QtTest>

using namespace std::chrono_literals;

class TestAutomaticRetry : public QObject
{
    Q_OBJECT

private slots:
    void waits_data();
    void waits();
    void transient_data();
    void transient();
};

void TestAutomaticRetry::waits_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<qint64>("waitedMs");
    QTest::addColumn<int>("retryAfter"); // seconds; -1: none asked
    QTest::addColumn<double>("jitter");
    QTest::addColumn<qint64>("expectedMs"); // -1: no attempt left
    QTest::newRow("first, no jitter") << 1 << qint64{0} << -1 << 0.0 << qint64{1000};
    QTest::newRow("first, a quarter less") << 1 << qint64{0} << -1 << -1.0 << qint64{750};
    QTest::newRow("first, a quarter more") << 1 << qint64{0} << -1 << 1.0 << qint64{1250};
    // The longest second wait is still shorter than the shortest third: the waits always grow.
    QTest::newRow("second, a quarter less") << 2 << qint64{1250} << -1 << -1.0 << qint64{1500};
    QTest::newRow("third, a quarter more") << 3 << qint64{3750} << -1 << 1.0 << qint64{5000};
    QTest::newRow("after the fourth: none") << 4 << qint64{7000} << -1 << 0.0 << qint64{-1};
    QTest::newRow("Retry-After longer than the backoff") << 1 << qint64{0} << 5 << 0.0 << qint64{5000};
    QTest::newRow("Retry-After shorter than the backoff") << 3 << qint64{3000} << 1 << 0.0 << qint64{4000};
    QTest::newRow("Retry-After of an hour: cut to 15 s") << 1 << qint64{0} << 3600 << 0.0 << qint64{15000};
    QTest::newRow("past half a minute in all: none") << 2 << qint64{16000} << 3600 << 0.0 << qint64{-1};
    QTest::newRow("jitter out of range is clamped") << 1 << qint64{0} << -1 << 9.0 << qint64{1250};
}

void TestAutomaticRetry::waits()
{
    QFETCH(int, failures);
    QFETCH(qint64, waitedMs);
    QFETCH(int, retryAfter);
    QFETCH(double, jitter);
    QFETCH(qint64, expectedMs);
    const auto wait = AutomaticRetry::waitAfter(
        failures, std::chrono::milliseconds(waitedMs),
        retryAfter < 0 ? std::nullopt : std::optional(std::chrono::seconds(retryAfter)), jitter);
    QCOMPARE(wait ? wait->count() : qint64{-1}, expectedMs);
}

void TestAutomaticRetry::transient_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("proxy");
    QTest::addColumn<bool>("transient");
    const auto code = [](UrlErrorCode c) {
        return static_cast<int>(c);
    };
    QTest::newRow("connection refused") << code(UrlErrorCode::CannotConnectToHost) << 0 << QString() << true;
    QTest::newRow("connection lost") << code(UrlErrorCode::NetworkConnectionLost) << 0 << QString() << true;
    QTest::newRow("timed out") << code(UrlErrorCode::TimedOut) << 0 << QString() << true;
    QTest::newRow("host not found") << code(UrlErrorCode::CannotFindHost) << 0 << QString() << true;
    QTest::newRow("408") << code(UrlErrorCode::BadServerResponse) << 408 << QString() << true;
    QTest::newRow("429") << code(UrlErrorCode::BadServerResponse) << 429 << QString() << true;
    QTest::newRow("500") << code(UrlErrorCode::BadServerResponse) << 500 << QString() << true;
    QTest::newRow("503") << code(UrlErrorCode::BadServerResponse) << 503 << QString() << true;
    QTest::newRow("404") << code(UrlErrorCode::BadServerResponse) << 404 << QString() << false;
    QTest::newRow("403") << code(UrlErrorCode::BadServerResponse) << 403 << QString() << false;
    QTest::newRow("certificate refused") << code(UrlErrorCode::SecureConnectionFailed) << 0 << QString() << false;
    QTest::newRow("too long") << code(UrlErrorCode::DataLengthExceedsMaximum) << 0 << QString() << false;
    QTest::newRow("disk full") << code(UrlErrorCode::CannotWriteToFile) << 0 << QString() << false;
    QTest::newRow("not https") << code(UrlErrorCode::UnsupportedUrl) << 0 << QString() << false;
    QTest::newRow("proxy wants credentials")
        << code(UrlErrorCode::NetworkConnectionLost) << 0 << QStringLiteral("proxy.example:3128") << false;
}

void TestAutomaticRetry::transient()
{
    QFETCH(int, code);
    QFETCH(int, status);
    QFETCH(QString, proxy);
    QFETCH(bool, transient);
    UrlError error{static_cast<UrlErrorCode>(code), QStringLiteral("x"), QString(), status, std::nullopt, proxy};
    QCOMPARE(error.isTransient(), transient);
    // A permanent fault is told at once; a passing one waits for another attempt.
    AutomaticRetry retry;
    int attempts = 0;
    QCOMPARE(retry.schedule("test", error, [&attempts] { ++attempts; }), transient);
    QCOMPARE(retry.isWaiting(), transient);
    retry.attemptNow();
    QCOMPARE(attempts, transient ? 1 : 0);
}

QTEST_MAIN(TestAutomaticRetry)
#include "tst_automaticretry.moc"
