#include "Handlers/ApiHandler.h"
#include "Objects/SessionDetails.h"
#include "Platform/Log/TestHooks.h"
#include "Platform/Net/UrlConnection.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

QByteArray routeWithBody(const char* route, const QByteArray& body)
{
    QJsonObject options{{QStringLiteral("body"), QString::fromUtf8(body)}};
    return QJsonDocument(QJsonObject{{QString::fromLatin1(route), options}}).toJson();
}

} // namespace

class TestApiHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void requestForms_data();
    void requestForms();
    void statusCodes_data();
    void statusCodes();
    void noExchange_data();
    void noExchange();
    void agentReplies_data();
    void agentReplies();
    void pluginReplies_data();
    void pluginReplies();
    void hostileReplies_data();
    void hostileReplies();
    void failedCheckStillHandsOverAnAnnouncedUpdate();
    void mainServiceHostWhenNoneWasGiven_data();
    void mainServiceHostWhenNoneWasGiven();
    void redirects();

private:
    // A check that gets no answer fails in moments, not the default minute.
    const HookGuard<std::optional<std::chrono::milliseconds>> m_timeout{TestHooks::checkTimeout, 1500ms};
    QTemporaryDir m_dir;
    Standin m_service;
    Standin m_untrusted;
};

void TestApiHandler::initTestCase()
{
    for (const char* name : {"trusted", "untrusted"}) {
        QVERIFY(makeTestCertificates(m_dir.filePath(QString::fromLatin1(name))));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("work-") + QString::fromLatin1(name))));
    }
    qputenv("SSL_CERT_FILE", m_dir.filePath(QStringLiteral("trusted/ca.pem")).toLocal8Bit());
    // An announced update starts the plugin download, which stages into the home folder.
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
    QVERIFY(m_service.start(m_dir.filePath(QStringLiteral("trusted")), m_dir.filePath(QStringLiteral("work-trusted"))));
    QVERIFY(m_untrusted.start(m_dir.filePath(QStringLiteral("untrusted")),
                              m_dir.filePath(QStringLiteral("work-untrusted"))));
}

void TestApiHandler::init()
{
    SessionDetails* s = SessionDetails::getInstance();
    s->setWebServerName(m_service.host());
    s->setLocalOrvoAppVersion(QStringLiteral("0"));
    s->setLocalOrvoPluginAppVersion(QStringLiteral("1.0.0"));
    s->setCxp_token(QString(QLatin1String("")));
    s->setIsUpdateNeeded(false);
    s->setCdnUrl(std::nullopt);
    s->setIsCdnAvailable(false);
    s->setFallbackUrl(std::nullopt);
    s->setCxPluginDownloadUrl(std::nullopt);
    s->setCxPluginUpdateNeeded(false);
    m_service.configure("{}");
}

void TestApiHandler::requestForms_data()
{
    QTest::addColumn<bool>("agentCheck");
    QTest::addColumn<OptionalString>("value"); // the token, or the agent's version
    QTest::addColumn<QString>("target");
    QTest::newRow("plugin, empty token") << false << OptionalString(QString(QLatin1String("")))
                                         << "/api/v1/customer_plugin/check_update?os=mac&format=dmg&version=1.0.0 ";
    QTest::newRow("plugin, absent token")
        << false << OptionalString() << "/api/v1/customer_plugin/check_update?os=mac&format=dmg&version=1.0.0 ";
    QTest::newRow("plugin, token") << false << OptionalString(QStringLiteral("a1-b2"))
                                   << "/api/v1/customer_plugin/check_update?os=mac&format=dmg&version=1.0.0&cxp_token="
                                      "a1-b2 ";
    QTest::newRow("agent, none installed")
        << true << OptionalString(QStringLiteral("0")) << "/api/v2/agent/check_update?agent_version=0&agent=mac%2032 ";
    QTest::newRow("agent, version with a blank and a percent")
        << true << OptionalString(QStringLiteral("5.1 b%"))
        << "/api/v2/agent/check_update?agent_version=5.1%20b%25&agent=mac%2032 ";
}

void TestApiHandler::requestForms()
{
    QFETCH(bool, agentCheck);
    QFETCH(OptionalString, value);
    QFETCH(QString, target);
    SessionDetails* s = SessionDetails::getInstance();
    if (agentCheck) {
        s->setLocalOrvoAppVersion(value);
        QVERIFY(ApiHandler::getInstance()->agentCheckUpdate());
    } else {
        s->setCxp_token(value);
        QVERIFY(ApiHandler::getInstance()->pluginUpdateCheckApi());
    }
    const QString record = m_service.record();
    QVERIFY2(record.startsWith(QStringLiteral("GET ") + target + QStringLiteral("HTTP/1.1")), qPrintable(record));
}

void TestApiHandler::statusCodes_data()
{
    QTest::addColumn<bool>("agentCheck");
    QTest::addColumn<int>("status");
    // Whatever the code, a reply with a status line is an exchange that succeeded; 301 comes without a Location.
    for (const int status : {200, 201, 204, 301, 400, 401, 403, 404, 407, 418, 429, 500, 502, 503}) {
        QTest::addRow("agent %d", status) << true << status;
        QTest::addRow("plugin %d", status) << false << status;
    }
}

void TestApiHandler::statusCodes()
{
    QFETCH(bool, agentCheck);
    QFETCH(int, status);
    const QByteArray reply = agentCheck
                                 ? "{\"representation\":{\"AGENT\":{\"update_needed\":true,\"download_url\":"
                                   "\"https://cdn.example/a.dmg\"}}}"
                                 : "{\"representation\":{\"update\":false,\"download_url\":\"https://x/p.dmg\"}}";
    m_service.configure(QJsonDocument(QJsonObject{{QLatin1String(agentCheck ? "agent" : "plugin"),
                                                   QJsonObject{{QStringLiteral("status"), status},
                                                               {QStringLiteral("body"), QString::fromUtf8(reply)}}}})
                            .toJson());
    LogCapture capture;
    const bool result = agentCheck ? ApiHandler::getInstance()->agentCheckUpdate().usable
                                   : ApiHandler::getInstance()->pluginUpdateCheckApi();
    const QString log = capture.text();
    SessionDetails* s = SessionDetails::getInstance();
    QCOMPARE(result, status == 200);
    QVERIFY(log.contains(QStringLiteral(" : Status code : %1\n").arg(status)));
    QCOMPARE(
        log.contains(QStringLiteral("NSURLConnection failed for this request : https://%1/").arg(m_service.host())),
        status != 200);
    QCOMPARE(log.contains(QStringLiteral("and status code : %1\n").arg(status)), status != 200);
    // A reply that is not a success is not read.
    QCOMPARE(s->isUpdateNeeded(), agentCheck && status == 200);
    QCOMPARE(s->cxPluginDownloadUrl().has_value(), !agentCheck && status == 200);
    QVERIFY2(!log.contains(QStringLiteral("Error in the HTTP Request")), qPrintable(log));
    QVERIFY(!log.contains(QStringLiteral("Check Update failed")));
    if (!agentCheck) {
        // The connection hands back the status and the body as they came, with no error.
        const UrlResponse direct = UrlConnection::sendSynchronousRequest(
            QUrl(QStringLiteral("https://%1/api/v1/customer_plugin/check_update").arg(m_service.host())));
        QCOMPARE(direct.statusCode, long(status));
        QVERIFY(!direct.error);
        // A redirect it cannot follow comes back as it is; only "no content" has no body.
        const bool noBody = status == 204;
        QCOMPARE(direct.body, std::optional<QByteArray>(noBody ? QByteArray() : reply));
    }
}

void TestApiHandler::noExchange_data()
{
    QTest::addColumn<bool>("agentCheck");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("description");
    for (const bool agent : {true, false}) {
        const char* which = agent ? "agent" : "plugin";
        QTest::addRow("%s: refused", which) << agent << "refused"
                                            << "Could not connect to the server.";
        QTest::addRow("%s: never answers", which) << agent << "silent"
                                                  << "The request timed out.";
        QTest::addRow("%s: untrusted certificate", which)
            << agent << "untrusted"
            << "An SSL error has occurred and a secure connection to the server cannot be made.";
        QTest::addRow("%s: dropped mid-body", which) << agent << "dropped"
                                                     << "The network connection was lost.";
        QTest::addRow("%s: reply too large", which) << agent << "large"
                                                    << "resource exceeds maximum size";
    }
}

void TestApiHandler::noExchange()
{
    QFETCH(bool, agentCheck);
    QFETCH(QString, how);
    QFETCH(QString, description);
    SessionDetails* s = SessionDetails::getInstance();
    if (how == QLatin1String("refused")) {
        s->setWebServerName(closedLoopbackHost());
    } else if (how == QLatin1String("untrusted")) {
        s->setWebServerName(m_untrusted.host());
    } else if (how == QLatin1String("large")) {
        QFile big(m_dir.filePath(QStringLiteral("large.json")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(UrlConnection::maximumBodySize + 1));
        big.close();
        m_service.configure(
            QJsonDocument(
                QJsonObject{
                    {QLatin1String(agentCheck ? "agent" : "plugin"),
                     QJsonObject{{QStringLiteral("status"), 302},
                                 {QStringLiteral("headers"),
                                  QJsonObject{{QStringLiteral("Location"),
                                               QStringLiteral("https://%1/large.json").arg(m_service.host())}}}}},
                    {QStringLiteral("files"), QJsonObject{{QStringLiteral("/large.json"), big.fileName()}}}})
                .toJson());
    } else {
        const QByteArray body = "{\"representation\":{\"AGENT\":{\"update_needed\":true},\"update\":true}}";
        QJsonObject options{{QStringLiteral("body"), QString::fromUtf8(body)}};
        options.insert(how == QLatin1String("silent") ? QStringLiteral("never_answer") : QStringLiteral("drop_after"),
                       how == QLatin1String("silent") ? QJsonValue(true) : QJsonValue(20));
        m_service.configure(
            QJsonDocument(QJsonObject{{QLatin1String(agentCheck ? "agent" : "plugin"), options}}).toJson());
    }
    LogCapture capture;
    const bool result = agentCheck ? ApiHandler::getInstance()->agentCheckUpdate().usable
                                   : ApiHandler::getInstance()->pluginUpdateCheckApi();
    const QString log = capture.text();
    QVERIFY(!result);
    QVERIFY2(log.contains(QStringLiteral("Error in the HTTP Request(URL: https://") + *s->webServerName()) &&
                 log.contains(QStringLiteral(") : ") + description + QLatin1Char('\n')),
             qPrintable(log));
    QCOMPARE(log.contains(QStringLiteral("Check Update failed : Error Domain=")), agentCheck);
    QVERIFY(log.contains(QStringLiteral(" : Status code : 0\n")));
    QVERIFY(log.contains(QStringLiteral("and status code : 0\n")));
    QVERIFY(!s->isUpdateNeeded());
    QVERIFY(!s->cxPluginUpdateNeeded());
}

void TestApiHandler::agentReplies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("updateNeeded");
    QTest::addColumn<OptionalString>("cdnUrl");
    QTest::addColumn<OptionalString>("fallbackUrl");
    const OptionalString none;
    const OptionalString cdn(QStringLiteral("https://cdn.example/OrvoMac.dmg"));
    const OptionalString fallback(QStringLiteral("https://fb.example/OrvoMac.dmg"));

    QTest::newRow("all three") << QByteArray("{\"representation\":{\"AGENT\":{\"update_needed\":true,\"download_url\":"
                                             "\"https://cdn.example/OrvoMac.dmg\",\"fallback_url\":\"https://fb."
                                             "example/OrvoMac.dmg\",\"other\":[1]}}}")
                               << true << true << cdn << fallback;
    QTest::newRow("empty urls change nothing")
        << QByteArray(
               "{\"representation\":{\"AGENT\":{\"update_needed\":1,\"download_url\":\"\",\"fallback_url\":\"\"}}}")
        << true << true << none << none;
    QTest::newRow("string truth value") << QByteArray("{\"representation\":{\"AGENT\":{\"update_needed\":\" yes\"}}}")
                                        << true << true << none << none;
    QTest::newRow("string zero is false")
        << QByteArray("{\"representation\":{\"AGENT\":{\"update_needed\":\"00\"}}}") << true << false << none << none;
    QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << false << false << none << none;
    QTest::newRow("no representation") << QByteArray("{\"AGENT\":{\"update_needed\":true}}") << false << false << none
                                       << none;
    QTest::newRow("no AGENT") << QByteArray("{\"representation\":{\"update_needed\":true}}") << false << false << none
                              << none;
    QTest::newRow("array at the top") << QByteArray("[{\"representation\":{}}]") << false << false << none << none;
    QTest::newRow("representation is text")
        << QByteArray("{\"representation\":\"AGENT\"}") << false << false << none << none;
    QTest::newRow("representation is null")
        << QByteArray("{\"representation\":null}") << false << false << none << none;
    QTest::newRow("AGENT is an array") << QByteArray("{\"representation\":{\"AGENT\":[true]}}") << false << false
                                       << none << none;
    // Keys are examined in the document's order: what came before the bad value stays, what follows is not read.
    QTest::newRow("wrong kind after good keys")
        << QByteArray("{\"representation\":{\"AGENT\":{\"update_needed\":true,\"download_url\":\"https://cdn.example/"
                      "OrvoMac.dmg\",\"fallback_url\":7}}}")
        << false << true << cdn << none;
    QTest::newRow("wrong kind before good keys")
        << QByteArray("{\"representation\":{\"AGENT\":{\"update_needed\":null,\"download_url\":\"https://cdn.example/"
                      "OrvoMac.dmg\"}}}")
        << false << false << none << none;
    QTest::newRow("download_url not text")
        << QByteArray("{\"representation\":{\"AGENT\":{\"download_url\":{}}}}") << false << false << none << none;
}

void TestApiHandler::agentReplies()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(bool, updateNeeded);
    QFETCH(OptionalString, cdnUrl);
    QFETCH(OptionalString, fallbackUrl);
    m_service.configure(routeWithBody("agent", body));
    LogCapture capture;
    QCOMPARE(ApiHandler::getInstance()->agentCheckUpdate().usable, result);
    const QString log = capture.text();
    SessionDetails* s = SessionDetails::getInstance();
    QCOMPARE(s->isUpdateNeeded(), updateNeeded);
    QCOMPARE(s->cdnUrl(), cdnUrl);
    QCOMPARE(s->isCdnAvailable(), cdnUrl.has_value());
    QCOMPARE(s->fallbackUrl(), fallbackUrl);
    // A reply without the agent's details is a refusal of its own, not an exception.
    const bool withoutDetails = log.contains(QStringLiteral("-[ApiHandler agentCheckUpdate] : Reply without the "
                                                            "agent's details\n"));
    QCOMPARE(log.contains(QStringLiteral("-[ApiHandler agentCheckUpdate] : ************************ EXCEPTION "
                                         "************************ \n Description :  ")),
             !result && !withoutDetails);
    QVERIFY(!withoutDetails || !result);
    // Only the value under "representation" is logged, never the whole reply.
    QVERIFY(!log.contains(QStringLiteral("representation =")));
}

void TestApiHandler::pluginReplies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("updateNeeded");
    QTest::addColumn<OptionalString>("downloadUrl");
    const OptionalString none;
    const OptionalString url(QStringLiteral("https://127.0.0.1:0/p.dmg?a=1"));

    QTest::newRow("update with url") << QByteArray("{\"representation\":{\"update\":true,\"download_url\":\"https://"
                                                   "127.0.0.1:0/p.dmg?a=1\"}}")
                                     << true << true << url;
    QTest::newRow("no update, empty url stored as it is")
        << QByteArray("{\"representation\":{\"update\":0,\"download_url\":\"\"}}") << true << false
        << OptionalString(QString(QLatin1String("")));
    QTest::newRow("not JSON") << QByteArray("update=true") << true << false << none;
    QTest::newRow("no representation") << QByteArray("{\"update\":true}") << true << false << none;
    QTest::newRow("representation is an array") << QByteArray("{\"representation\":[]}") << false << false << none;
    QTest::newRow("update null after the url")
        << QByteArray("{\"representation\":{\"download_url\":\"https://127.0.0.1:0/p.dmg?a=1\",\"update\":null}}")
        << false << false << url;
}

void TestApiHandler::pluginReplies()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(bool, updateNeeded);
    QFETCH(OptionalString, downloadUrl);
    m_service.configure(routeWithBody("plugin", body));
    LogCapture capture;
    QCOMPARE(ApiHandler::getInstance()->pluginUpdateCheckApi(), result);
    const QString log = capture.text();
    SessionDetails* s = SessionDetails::getInstance();
    QCOMPARE(s->cxPluginUpdateNeeded(), updateNeeded);
    QCOMPARE(s->cxPluginDownloadUrl(), downloadUrl);
    QCOMPARE(log.contains(QStringLiteral("Orvo Customer Plugin Updated Version Available ....")), updateNeeded);
    if (result && body.startsWith("{\"representation\"")) {
        // The plugin check logs the whole reply.
        QVERIFY2(log.contains(QStringLiteral("-[ApiHandler pluginUpdateCheckApi] response :  {\n    representation =")),
                 qPrintable(log));
    }
}

void TestApiHandler::hostileReplies_data()
{
    QTest::addColumn<bool>("agentCheck");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("line"); // what the log shows of it
    const QByteArray controls = "https://cdn.example/a\\u001b[2J\\u000b\\u000c\\u0085\\u2028.dmg";
    const QString shown =
        QStringLiteral("\"download_url\" = \"https://cdn.example/a\\x1b[2J\\x0b\\x0c\\x85\\u2028.dmg\";\n");
    QTest::newRow("agent: controls escaped")
        << true << "{\"representation\":{\"AGENT\":{\"update_needed\":false,\"download_url\":\"" + controls + "\"}}}"
        << true << shown;
    QTest::newRow("plugin: controls escaped")
        << false << "{\"representation\":{\"update\":false,\"download_url\":\"" + controls + "\"}}" << true << shown;
    const QByteArray huge = "https://cdn.example/" + QByteArray(3 * 1024 * 1024 - 20, 'a');
    const QString cut = QStringLiteral("https://cdn.example/") + QString(1004, QLatin1Char('a')) +
                        QStringLiteral("... (3145728 characters)");
    QTest::newRow("agent: 3 MB download_url refused")
        << true << "{\"representation\":{\"AGENT\":{\"update_needed\":true,\"download_url\":\"" + huge + "\"}}}"
        << false
        << QStringLiteral("-[ApiHandler agentCheckUpdate] : Reply refused, download_url is too long : ") + cut + '\n';
    QTest::newRow("plugin: 3 MB download_url refused")
        << false << "{\"representation\":{\"update\":true,\"download_url\":\"" + huge + "\"}}" << false
        << QStringLiteral("-[ApiHandler pluginUpdateCheckApi] : Reply refused, download_url is too long : ") + cut +
               '\n';
    const QByteArray longest = "https://cdn.example/" + QByteArray(8 * 1024 - 20, 'a');
    QTest::newRow("agent: 8 KiB download_url taken")
        << true << "{\"representation\":{\"AGENT\":{\"update_needed\":true,\"download_url\":\"" + longest + "\"}}}"
        << true << QStringLiteral("-[ApiHandler agentCheckUpdate] : Response : {\n");
}

void TestApiHandler::hostileReplies()
{
    QFETCH(bool, agentCheck);
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(QString, line);
    m_service.configure(routeWithBody(agentCheck ? "agent" : "plugin", body));
    LogCapture capture;
    QCOMPARE(agentCheck ? ApiHandler::getInstance()->agentCheckUpdate().usable
                        : ApiHandler::getInstance()->pluginUpdateCheckApi(),
             result);
    const QString log = capture.text();
    QVERIFY2(log.contains(line), qPrintable(log.left(4096)));
    for (const char16_t raw : {u'\x1b', u'\x0b', u'\x0c', u'\x85', u'\x2028'}) {
        QVERIFY(!log.contains(QChar(raw)));
    }
    // Nothing of a refused reply is used, and it cannot flood the log.
    SessionDetails* s = SessionDetails::getInstance();
    QCOMPARE(s->isUpdateNeeded() || s->cxPluginUpdateNeeded(), result && body.contains("true"));
    QCOMPARE(s->cdnUrl().has_value() || s->cxPluginDownloadUrl().has_value(), result);
    QVERIFY(log.size() < 16 * 1024);
}

void TestApiHandler::failedCheckStillHandsOverAnAnnouncedUpdate()
{
    SessionDetails::getInstance()->setCxPluginUpdateNeeded(true);
    m_service.configure("{\"plugin\":{\"status\":500}}");
    LogCapture capture;
    QVERIFY(!ApiHandler::getInstance()->pluginUpdateCheckApi());
    QVERIFY(capture.text().contains(QStringLiteral("Orvo Customer Plugin Updated Version Available ....")));
}

void TestApiHandler::mainServiceHostWhenNoneWasGiven_data()
{
    QTest::addColumn<OptionalString>("host");
    QTest::newRow("empty") << OptionalString(QString(QLatin1String("")));
    QTest::newRow("absent") << OptionalString();
}

void TestApiHandler::mainServiceHostWhenNoneWasGiven()
{
    QFETCH(OptionalString, host);
    SessionDetails::getInstance()->setWebServerName(host);
    LogCapture capture;
    ApiHandler::getInstance()->pluginUpdateCheckApi();
    // The main host of the tests' host table.
    QCOMPARE(SessionDetails::getInstance()->webServerName(), OptionalString(QStringLiteral("127.0.0.1:0")));
    QVERIFY(capture.text().contains(
        QStringLiteral("Request Url URL : https://127.0.0.1:0/api/v1/customer_plugin/check_update?")));
}

void TestApiHandler::redirects()
{
    const QString reply = m_dir.filePath(QStringLiteral("reply.json"));
    QFile file(reply);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\"representation\":{\"update\":false,\"download_url\":\"https://127.0.0.1/moved.dmg\"}}");
    file.close();
    const auto redirectTo = [&](const QString& scheme) {
        m_service.configure(
            QJsonDocument(
                QJsonObject{{QStringLiteral("plugin"),
                             QJsonObject{{QStringLiteral("status"), 302},
                                         {QStringLiteral("headers"),
                                          QJsonObject{{QStringLiteral("Location"),
                                                       scheme + QStringLiteral("://") + m_service.host() +
                                                           QStringLiteral("/moved/reply.json")}}}}},
                            {QStringLiteral("files"), QJsonObject{{QStringLiteral("/moved/reply.json"), reply}}}})
                .toJson());
    };
    redirectTo(QStringLiteral("https"));
    QVERIFY(ApiHandler::getInstance()->pluginUpdateCheckApi());
    QCOMPARE(SessionDetails::getInstance()->cxPluginDownloadUrl(),
             OptionalString(QStringLiteral("https://127.0.0.1/moved.dmg")));

    // Never from https down to plain http.
    SessionDetails::getInstance()->setCxPluginDownloadUrl(std::nullopt);
    redirectTo(QStringLiteral("http"));
    LogCapture capture;
    QVERIFY(!ApiHandler::getInstance()->pluginUpdateCheckApi());
    QVERIFY(!SessionDetails::getInstance()->cxPluginDownloadUrl());
    QVERIFY(capture.text().contains(QStringLiteral("Status code : 0")));
}

QTEST_MAIN(TestApiHandler)
#include "tst_apihandler.moc"
