#include "AppDelegate.h"
#include "Objects/SessionDetails.h"

#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

class TestSessionDetails : public QObject
{
    Q_OBJECT

private slots:
    void creationStateBeforeDefaults();
    void startUpDefaults();
    void absentAndEmptyStayApart();
    void concurrentWritersNeverTearValues();
};

// Runs first: nothing in this process has touched the record yet.
void TestSessionDetails::creationStateBeforeDefaults()
{
    SessionDetails* s = SessionDetails::getInstance();
    QVERIFY(!s->webServerName());
    QVERIFY(!s->cxp_token());
    QVERIFY(!s->dcName());
    QVERIFY(!s->sessionKey());
    QVERIFY(!s->localOrvoAppVersion());
    QCOMPARE(s->isAppReplaceFlag(), false);
    QCOMPARE(s->retryCounter(), 0);
    QCOMPARE(s->isvalidSessionKey(), nullptr);
}

void TestSessionDetails::startUpDefaults()
{
    SessionDetails* s = SessionDetails::getInstance();
    s->setIsAppReplaceFlag(true);
    s->setCxPluginUpdateNeeded(true);
    s->setIsUpdateNeeded(true);
    AppDelegate().setDefaultValues();

    const QList<OptionalString> emptyDefaults = {
        s->webServerName(),      s->cxp_token(),     s->dcName(),
        s->infoPlistPath(),      s->pluginAppPath(), s->localOrvoPluginAppVersion(),
        s->plistWebServerName(), s->plistDcName()};
    for (const OptionalString& value : emptyDefaults) {
        QVERIFY(value.has_value());
        QVERIFY(value->isEmpty());
    }
    QCOMPARE(s->isAppReplaceFlag(), false);
    QCOMPARE(s->cxPluginUpdateNeeded(), false);
    // Not part of the defaults: keeps what it had.
    QCOMPARE(s->isUpdateNeeded(), true);
    QVERIFY(!s->localOrvoAppVersion());
    QVERIFY(!s->cdnUrl());
}

void TestSessionDetails::absentAndEmptyStayApart()
{
    SessionDetails* s = SessionDetails::getInstance();
    s->setCdnUrl(QString(QLatin1String("")));
    QVERIFY(s->cdnUrl().has_value());
    QCOMPARE(*s->cdnUrl(), QString());
    s->setCdnUrl(std::nullopt);
    QVERIFY(!s->cdnUrl().has_value());
    // A null QString handed in as a value is still a value, not absent.
    s->setFallbackUrl(QString());
    QVERIFY(s->fallbackUrl().has_value());
    s->setName(QStringLiteral("Ana"));
    QCOMPARE(SessionDetails::getInstance()->name(), OptionalString(QStringLiteral("Ana")));
}

void TestSessionDetails::concurrentWritersNeverTearValues()
{
    const QString a(1000, QLatin1Char('a'));
    const QString b(1000, QLatin1Char('b'));
    SessionDetails* s = SessionDetails::getInstance();
    auto writer = [&](const QString& value) {
        for (int i = 0; i < 2000; ++i) {
            s->setWebServerName(value);
        }
    };
    auto reader = [&] {
        for (int i = 0; i < 2000; ++i) {
            const OptionalString value = s->webServerName();
            if (!value || (*value != a && *value != b)) {
                return false;
            }
        }
        return true;
    };
    s->setWebServerName(a);
    QFuture<void> w1 = QtConcurrent::run(writer, a);
    QFuture<void> w2 = QtConcurrent::run(writer, b);
    QFuture<bool> r = QtConcurrent::run(reader);
    w1.waitForFinished();
    w2.waitForFinished();
    QVERIFY(r.result());
}

QTEST_GUILESS_MAIN(TestSessionDetails)
#include "tst_sessiondetails.moc"
