#include "ChildProcess.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/FileManager.h"
#include "ProvisioningFixtures.h"
#include "ScreenReader.h"
#include "TestSupport.h"
#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

const QString started = QStringLiteral("OrvoPlugin App Started");
const QString closing = QStringLiteral("OrvoPlugin App terminated");
const QString handedOver = QStringLiteral("-[AppDelegate applicationDidReceiveAnotherStart:] : Another start handed "
                                          "over its arguments");
const QString checkAnswered = QStringLiteral("-[ApiHandler pluginUpdateCheckApi] : Status code : 200");
const QString noUpdates = QStringLiteral("{\"plugin\":{\"update\":false,\"download_url\":\"\"},"
                                         "\"agent\":{\"update_needed\":false,\"download_url\":\"\"}}");
const QString joinTitle = QStringLiteral("Orvo Wendra Customer Plugin");
const QString progressTitle = QStringLiteral("Orvo Wendra - CustomerPlugin");
const QStringList agentArguments{
    QStringLiteral("-timestamps"),
    QStringLiteral("{\"M3\":\"Agent downloaded time : 00:00:00 | Server : CDN\",\"M2\":\"Session Validated : "
                   "00:00:00\",\"M1\":\"Join Launched time : 00:00:00\",\"M4\":\"Agent launched time : 00:00:00\"}")};
const QStringList companionTools{QStringLiteral("OrvoCrashDetector"), QStringLiteral("WendraUserHandler"),
                                 QStringLiteral("OWPreLogin"), QStringLiteral("OrvoPingAgent")};

QString joinDetails(const QString& key, const QString& host, const QString& token, const QString& dc)
{
    return QStringLiteral("ORVO_MEETING_IND\n&key=%1&webServerName=%2&Cxp_token=%3&c_plugin=true&DC=%4&")
        .arg(key, host, token, dc);
}

// Whether the log's last line is the closing banner.
bool endsWithClosingBanner(const QString& log)
{
    return log.trimmed().section(QLatin1Char('\n'), -1).contains(closing);
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The waits the log's automatic attempts announced, in milliseconds, in order.
QList<qint64> attemptWaits(const QString& log)
{
    QList<qint64> waits;
    static const QRegularExpression line(QStringLiteral("Attempt \\d of 4 failed, trying again in (\\d+) ms"));
    for (auto it = line.globalMatch(log); it.hasNext();) {
        waits << it.next().captured(1).toLongLong();
    }
    return waits;
}

bool writeInfoFile(const QString& path, const QString& host, const QString& dc, const QString& token)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(QStringLiteral("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                     "<key>WebServer</key><string>%1</string><key>DC</key><string>%2</string>"
                                     "<key>cxp_token</key><string>%3</string></dict></plist>")
                          .arg(host, dc, token)
                          .toUtf8()) > 0;
}

// One customer's machine: a home folder, a runtime folder and a system root of its own, with the stand-in disk-image
// tool as "/usr/bin/hdiutil".
class Sandbox
{
public:
    Sandbox()
    {
        QDir().mkpath(home());
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir().mkpath(root(QStringLiteral("Volumes")));
        QDir().mkpath(root(QStringLiteral("usr/bin")));
        QDir().mkpath(root(QStringLiteral("System/Library/CoreServices")));
        QFile::copy(QStringLiteral(ORVO_HDIUTIL_STANDIN), root(QStringLiteral("usr/bin/hdiutil")));
        QFile version(root(QStringLiteral("System/Library/CoreServices/SystemVersion.plist")));
        if (version.open(QIODevice::WriteOnly)) {
            version.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>ProductName</key>"
                          "<string>macOS</string><key>ProductVersion</key><string>14.5</string></dict></plist>");
        }
    }
    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    // Where a running plugin keeps its lock and socket.
    QString runtime() const { return m_dir.filePath(QStringLiteral("runtime")); }
    // The plugin's lock and socket files there.
    QStringList guardFiles() const
    {
        return QDir(runtime()).entryList({QStringLiteral("orvo-wendra-plugin-*")}, QDir::Files | QDir::System);
    }
    QString root(const QString& path) const { return m_dir.filePath(QStringLiteral("root/") + path); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString logFolder() const { return home() + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/"); }
    QString log() const { return readText(logFolder() + QStringLiteral("orvoPlugin.log")); }
    QString agentFolder() const { return home() + QStringLiteral("/Library/Application Support/OrvoMeetingNative/"); }
    QString stagingFolder() const
    {
        return home() + QStringLiteral("/Library/Application Support/OrvoCustomerPluginNativeFolder/");
    }
    bool installAgent() const
    {
        return QDir().mkpath(agentFolder()) &&
               FileManager::defaultManager().copyItem(QStringLiteral(ORVO_AGENT_BUNDLE),
                                                      agentFolder() + QStringLiteral("Orvo.app"));
    }
    // A copy of the test bundle in the machine's Applications folder, which the plugin may replace at exit.
    QString installPlugin() const
    {
        const QString app = root(QStringLiteral("Applications/Orvo Wendra Customer Plugin.app"));
        return QDir().mkpath(root(QStringLiteral("Applications"))) &&
                       FileManager::defaultManager().copyItem(QStringLiteral(ORVO_TEST_BUNDLE_DIR), app)
                   ? app
                   : QString();
    }
    // What the stand-in agent found when it was launched: its arguments and the join-details file.
    QJsonObject agentReport() const
    {
        return QJsonDocument::fromJson(readText(agentFolder() + QStringLiteral("orvo-agent-report.json")).toUtf8())
            .object();
    }
    // The environment the plugin starts with on this machine, showing its windows on display.
    QProcessEnvironment environment(const XSession& display, const QString& caFile) const
    {
        QProcessEnvironment env = display.environment();
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        env.insert(QStringLiteral("ORVO_SYSTEM_ROOT"), m_dir.filePath(QStringLiteral("root")));
        env.insert(QStringLiteral("SSL_CERT_FILE"), caFile);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        return env;
    }

private:
    QTemporaryDir m_dir;
};

// tinyproxy on loopback, with a configuration and log of its own.
class Proxy
{
public:
    // Starts it; with credentials ("user password") it asks every client for Basic authentication.
    bool start(const QString& credentials)
    {
        m_port = closedLoopbackHost().section(QLatin1Char(':'), 1).toUShort();
        QString config = QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\nAllow 127.0.0.1\n"
                                        "LogLevel Connect\nLogFile \"%2\"\n")
                             .arg(m_port)
                             .arg(m_dir.filePath(QStringLiteral("tinyproxy.log")));
        if (!credentials.isEmpty()) {
            config += QStringLiteral("BasicAuth %1\n").arg(credentials);
        }
        QFile file(m_dir.filePath(QStringLiteral("tinyproxy.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) <= 0) {
            return false;
        }
        file.close();
        // In a mount namespace of its own the proxy reads a hosts file that names the service, so the service's
        // name resolves through the proxy and nowhere else. Where namespaces are not allowed, it runs plainly.
        QFile hosts(m_dir.filePath(QStringLiteral("hosts")));
        if (!hosts.open(QIODevice::WriteOnly) ||
            hosts.write(QByteArray("127.0.0.1 localhost ") + serviceName + "\n") <= 0) {
            return false;
        }
        hosts.close();
        const QString command = QStringLiteral("mount --bind '%1' /etc/hosts && exec tinyproxy -d -c '%2'")
                                    .arg(hosts.fileName(), file.fileName());
        m_resolvesServiceName =
            m_process.start(QStringLiteral("unshare"),
                            {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
                             QStringLiteral("sh"), QStringLiteral("-c"), command}) &&
            listening();
        if (m_resolvesServiceName) {
            return true;
        }
        m_process.stop();
        return m_process.start(QStringLiteral("tinyproxy"),
                               {QStringLiteral("-d"), QStringLiteral("-c"), file.fileName()}) &&
               listening();
    }
    // Whether the service's name resolves through the proxy alone.
    bool resolvesServiceName() const { return m_resolvesServiceName; }
    // A name no resolver but the proxy's knows (.test never resolves on a real network).
    static constexpr char serviceName[] = "orvo-service.test";
    // Its URL, with user information when given.
    QString url(const QString& userInfo) const
    {
        return QStringLiteral("http://") + (userInfo.isEmpty() ? QString() : userInfo + QLatin1Char('@')) +
               QStringLiteral("127.0.0.1:") + QString::number(m_port);
    }
    // The tunnels it was asked for to host.
    qsizetype tunnelsTo(const QString& host) const
    {
        return readText(m_dir.filePath(QStringLiteral("tinyproxy.log")))
            .count(QStringLiteral(": CONNECT %1 HTTP/1.1").arg(host));
    }

private:
    // Whether it answers on its port; false at once when it has exited.
    bool listening()
    {
        bool up = false;
        (void)QTest::qWaitFor(
            [this, &up] {
                if (m_process.process().state() == QProcess::NotRunning) {
                    return true;
                }
                QTcpSocket probe;
                probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
                up = probe.waitForConnected(1000);
                return up;
            },
            20000);
        return up;
    }

    QTemporaryDir m_dir;
    ChildProcess m_process;
    quint16 m_port = 0;
    bool m_resolvesServiceName = false;
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startWithoutDisplay_data();
    void startWithoutDisplay();
    void joinWithInstalledAgent_data();
    void joinWithInstalledAgent();
    void agentFetched();
    void failedDownloadKeepsProgressWindow();
    void failureThenRetry_data();
    void failureThenRetry();
    void healsByItself_data();
    void healsByItself();
    void closeBoxDuringSlowCheck();
    void selfUpdateAtExit();
    void customerStartAfterInstallerStart();
    void liveLogRotatesWhileRunning();
    void secondStartHandsOver_data();
    void secondStartHandsOver();
    void killedPluginsLockTakenOver();
    void pluginDownloadCutShortLeavesNothing_data();
    void pluginDownloadCutShortLeavesNothing();
    void startsWithoutGuard();
    void joinThroughProxy_data();
    void joinThroughProxy();
    void screenReaderJoinsAndRetries_data();
    void screenReaderJoinsAndRetries();
    void systemLanguage_data();
    void systemLanguage();

private:
    bool startPlugin(ChildProcess& plugin, const Sandbox& box, const QStringList& arguments = {},
                     const QString& executable = QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE),
                     const QStringList& variables = {});
    bool join(const ChildProcess& plugin, const QString& sessionId, const QString& name);

    QTemporaryDir m_shared;
    XSession m_x;
    Standin m_service;
    // The log of the English run, which every language's must repeat.
    QStringList m_englishLog;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY(makeTestCertificates(m_shared.filePath(QStringLiteral("certs"))));
    QVERIFY(m_service.start(m_shared.filePath(QStringLiteral("certs")), m_shared.path()));
    QVERIFY(m_x.start());
    // A newer agent image than the build's, for a server that replaces its image mid-download.
    const QString stage = m_shared.filePath(QStringLiteral("newer-stage"));
    const QString info = stage + QStringLiteral("/Orvo.app/Contents/Info.plist");
    QVERIFY(ProvisioningFixtures::stageAgent(stage));
    QByteArray text = ProvisioningFixtures::readFile(info);
    QVERIFY(text.contains("<string>" ORVO_AGENT_VERSION "</string>"));
    text.replace("<string>" ORVO_AGENT_VERSION "</string>", "<string>7.4.0</string>");
    QVERIFY(ProvisioningFixtures::writeFile(info, text) && ProvisioningFixtures::signStagedAgent(stage));
    QVERIFY(
        ProvisioningFixtures::makeImage(stage, QStringLiteral("Orvo"), m_shared.filePath(QStringLiteral("newer.dmg"))));
}

bool TestEndToEnd::startPlugin(ChildProcess& plugin, const Sandbox& box, const QStringList& arguments,
                               const QString& executable, const QStringList& variables)
{
    QProcessEnvironment env = box.environment(m_x, m_shared.filePath(QStringLiteral("certs/ca.pem")));
    for (const QString& variable : variables) {
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    }
    plugin.setEnvironment(env);
    return plugin.start(executable, arguments);
}

bool TestEndToEnd::join(const ChildProcess& plugin, const QString& sessionId, const QString& name)
{
    // As a customer does: the session-ID field has the focus, Tab leads to the name, Return joins.
    const QString window = m_x.findWindow(joinTitle, plugin.processId());
    return !window.isEmpty() && m_x.type(window, sessionId) && m_x.key(window, QStringLiteral("Tab")) &&
           m_x.type(window, name) && m_x.key(window, QStringLiteral("Return"));
}

void TestEndToEnd::startWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("refused");
    QTest::newRow("nothing set") << QStringList() << QStringList() << true;
    QTest::newRow("empty DISPLAY") << QStringList{QStringLiteral("DISPLAY")} << QStringList() << true;
    QTest::newRow("platform argument") << QStringList()
                                       << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")}
                                       << false;
}

void TestEndToEnd::startWithoutDisplay()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, arguments);
    QFETCH(bool, refused);
    Sandbox box;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QString::fromLatin1(name));
    }
    for (const QString& name : variables) {
        env.insert(name, QString());
    }
    env.insert(QStringLiteral("HOME"), box.home());
    ChildProcess plugin;
    plugin.setEnvironment(env);
    QVERIFY(plugin.start(QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE), arguments));
    if (!refused) {
        QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(started), 20000);
        return;
    }
    QVERIFY(plugin.waitForExit(20000));
    QCOMPARE(plugin.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(plugin.process().exitCode(), 1);
    const QByteArray said = plugin.output();
    QCOMPARE(said.count('\n'), 1);
    QVERIFY2(said.contains("QT_QPA_PLATFORM=offscreen") && said.contains("scripts/demo --headless"), said);
    QVERIFY(QDir(box.home()).isEmpty());
}

void TestEndToEnd::joinWithInstalledAgent_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("dc");
    QTest::addColumn<bool>("installerHost");
    QTest::newRow("9 digits: the installer's host") << "123 456 789"
                                                    << "123456789"
                                                    << "eu" << true;
    // The fourth digit names the data centre, whatever the installer said; the check then goes to that host,
    // where nothing answers in the tests: after its attempts the installed agent, which verified, takes the session.
    QTest::newRow("10 digits, fourth 2: in") << "123-245-6789"
                                             << "1232456789"
                                             << "in" << false;
}

void TestEndToEnd::joinWithInstalledAgent()
{
    QFETCH(QString, typed);
    QFETCH(QString, key);
    QFETCH(QString, dc);
    QFETCH(bool, installerHost);
    Sandbox box;
    QVERIFY(box.installAgent());
    m_service.configure(noUpdates.toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-1")));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QVERIFY(join(plugin, typed, QStringLiteral("Ada Customer")));

    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    const QJsonObject report = box.agentReport();
    QCOMPARE(report.value(QStringLiteral("arguments")).toVariant().toStringList(), agentArguments);
    // Data centre "in" of the tests' host table.
    QCOMPARE(report.value(QStringLiteral("joinDetails")).toString(),
             joinDetails(key, installerHost ? m_service.host() : QStringLiteral("127.0.0.4:0"), QStringLiteral("tok-1"),
                         dc));
    QCOMPARE(
        box.log().contains(QStringLiteral("No usable answer from the service; the installed Orvo App is launched")),
        !installerHost);
    QCOMPARE(m_service.record().count(QStringLiteral("GET /api/v2/agent/check_update?agent_version=") +
                                      QStringLiteral(ORVO_AGENT_VERSION) + QStringLiteral("&agent=mac%2032 HTTP")),
             installerHost ? 1 : 0);
    QVERIFY(endsWithClosingBanner(box.log()));
}

void TestEndToEnd::agentFetched()
{
    Sandbox box;
    m_service.configure(QStringLiteral("{\"plugin\":{\"update\":false},\"agent\":{\"update_needed\":true,"
                                       "\"download_url\":\"\"},\"agentImage\":{\"file\":\"%1\"}}")
                            .arg(QStringLiteral(ORVO_AGENT_IMAGE))
                            .toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-2")));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QVERIFY(join(plugin, QStringLiteral("987654321"), QStringLiteral("Bo")));

    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    QCOMPARE(box.agentReport().value(QStringLiteral("arguments")).toVariant().toStringList(), agentArguments);
    QCOMPARE(box.agentReport().value(QStringLiteral("joinDetails")).toString(),
             joinDetails(QStringLiteral("987654321"), m_service.host(), QStringLiteral("tok-2"), QStringLiteral("eu")));
    QVERIFY(m_service.record().contains(QStringLiteral("GET /agent/OrvoMac.dmg HTTP/1.1")));
    QVERIFY(m_service.record().contains(QStringLiteral("User-Agent: macOS 14.5")));
    for (const QString& tool : companionTools) {
        QVERIFY2(QFileInfo(box.agentFolder() + tool).isExecutable(), qPrintable(tool));
    }
    QVERIFY(!QFile::exists(box.agentFolder() + QStringLiteral("OrvoMac.dmg")));
    QVERIFY(QDir(box.root(QStringLiteral("Volumes"))).isEmpty());
    const QString log = box.log();
    QVERIFY(log.contains(QStringLiteral("dmg mount task termination status : 0")));
    QVERIFY(log.contains(QStringLiteral("Dmg unmount task termination status : 0")));
    QVERIFY(endsWithClosingBanner(log));
}

void TestEndToEnd::failedDownloadKeepsProgressWindow()
{
    Sandbox box;
    // The image is cut off after a few bytes: the download fails.
    m_service.configure(QStringLiteral("{\"plugin\":{\"update\":false},\"agent\":{\"update_needed\":true,"
                                       "\"download_url\":\"\"},\"agentImage\":{\"file\":\"%1\",\"drop_after\":100}}")
                            .arg(QStringLiteral(ORVO_AGENT_IMAGE))
                            .toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QString()));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QVERIFY(join(plugin, QStringLiteral("987654321"), QStringLiteral("Cy")));

    QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(QStringLiteral("Download failed! Whole Error")), 60000);
    const QString progress = m_x.findWindow(progressTitle, plugin.processId());
    QVERIFY(!progress.isEmpty());
    QVERIFY(m_x.findWindow(joinTitle, plugin.processId(), 0).isEmpty());
    QVERIFY(plugin.process().state() == QProcess::Running);
    QVERIFY(box.agentReport().isEmpty());

    QVERIFY(m_x.close(progress));
    QVERIFY2(plugin.waitForExit(30000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    QVERIFY(endsWithClosingBanner(box.log()));
    QCOMPARE(box.log().count(QStringLiteral("OrvoPlugin App terminated")), 1);
}

namespace {

// The service's answers on the download road, with options for the agent check and for the image.
QByteArray downloadRoad(const QJsonObject& check, const QJsonObject& image)
{
    QJsonObject agent{{QStringLiteral("update_needed"), true}, {QStringLiteral("download_url"), QString()}};
    QJsonObject agentImage{{QStringLiteral("file"), QStringLiteral(ORVO_AGENT_IMAGE)}};
    for (auto it = check.begin(); it != check.end(); ++it) {
        agent.insert(it.key(), it.value());
    }
    for (auto it = image.begin(); it != image.end(); ++it) {
        agentImage.insert(it.key(), it.value());
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("plugin"), QJsonObject{{QStringLiteral("update"), false}}},
                                     {QStringLiteral("agent"), agent},
                                     {QStringLiteral("agentImage"), agentImage}})
        .toJson();
}

} // namespace

void TestEndToEnd::failureThenRetry_data()
{
    QTest::addColumn<QJsonObject>("check");   // the agent check's fault until Retry
    QTest::addColumn<QJsonObject>("image");   // the image's fault until Retry
    QTest::addColumn<QJsonObject>("retried"); // the image's answer to Retry
    QTest::addColumn<bool>("hangingTool");    // a disk-image tool that never exits until Retry
    QTest::addColumn<QString>("message");     // what the window says, in part
    QTest::addColumn<QString>("range");       // the Range request Retry makes ("kept": from the kept part)
    QTest::addColumn<int>("automatic");       // the attempts made by themselves before the window told of it
    const qint64 size = QFileInfo(QStringLiteral(ORVO_AGENT_IMAGE)).size();
    // Each attempt gets a tenth further: the automatic ones end short of the whole.
    const QJsonObject cut{{QStringLiteral("drop_after"), size / 10}};
    const QString interrupted = QStringLiteral("The download of the support app was interrupted.");
    const QString unreachable = QStringLiteral("The Orvo Wendra service could not be reached");
    QTest::newRow("download cut: Retry resumes")
        << QJsonObject() << cut << QJsonObject() << false << interrupted << "kept" << 4;
    QTest::newRow("download cut: 200 to the Range starts over")
        << QJsonObject() << cut << QJsonObject{{QStringLiteral("ignore_range"), true}} << false << interrupted << "kept"
        << 4;
    // Another image is served by the time of Retry: If-Range fetches it whole, and the new agent goes in.
    QTest::newRow("download cut: image replaced before Retry")
        << QJsonObject() << cut << QJsonObject{{QStringLiteral("file"), m_shared.filePath(QStringLiteral("newer.dmg"))}}
        << false << interrupted << "kept" << 4;
    QTest::newRow("agent check 503") << QJsonObject{{QStringLiteral("status"), 503}} << QJsonObject() << QJsonObject()
                                     << false << unreachable << "" << 4;
    QTest::newRow("agent check not JSON") << QJsonObject{{QStringLiteral("body"), QStringLiteral("<html>busy</html>")}}
                                          << QJsonObject() << QJsonObject() << false << unreachable << "" << 1;
    // Refused, logged cut: it neither floods the log nor rotates it.
    QTest::newRow("agent check with a 3 MB download_url")
        << QJsonObject{{QStringLiteral("download_url"), QStringLiteral("https://%1/").arg(m_service.host()) +
                                                            QString(qsizetype{3} * 1024 * 1024, QLatin1Char('a'))}}
        << QJsonObject() << QJsonObject() << false << unreachable << "" << 1;
    QTest::newRow("disk-image tool hangs")
        << QJsonObject() << QJsonObject() << QJsonObject() << true << "The support app's package could not be opened."
        << "" << 1;
}

void TestEndToEnd::failureThenRetry()
{
    QFETCH(QJsonObject, check);
    QFETCH(QJsonObject, image);
    QFETCH(QJsonObject, retried);
    QFETCH(bool, hangingTool);
    QFETCH(QString, message);
    QFETCH(QString, range);
    QFETCH(int, automatic);
    Sandbox box;
    const QString tool = box.root(QStringLiteral("usr/bin/hdiutil"));
    if (hangingTool) {
        QFile::remove(tool);
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("#!/bin/sh\nexec sleep 600\n") > 0);
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
    }
    m_service.configure(downloadRoad(check, image));
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-7")));
    ChildProcess plugin;
    // The tool's bound, short so the row does not wait two minutes.
    QVERIFY(startPlugin(plugin, box, {}, QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE),
                        {QStringLiteral("ORVO_HDIUTIL_TIMEOUT_MS=%1").arg(hangingTool ? 1500 : 120000)}));
    const qint64 logged = box.log().toUtf8().size();
    QVERIFY(join(plugin, QStringLiteral("987654321"), QStringLiteral("Flo")));

    QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(QStringLiteral("-[JoinProgressWindow showFailure:] : ") + message),
                             60000);
    // The waits before the automatic attempts grow, each by about twice.
    const QList<qint64> waits = attemptWaits(box.log());
    QCOMPARE(waits.size(), automatic - 1);
    for (qsizetype i = 1; i < waits.size(); ++i) {
        QVERIFY2(waits[i] > waits[i - 1], qPrintable(box.log()));
    }
    QVERIFY(box.log().toUtf8().size() - logged < qint64{16} * 1024);
    QVERIFY(!QFile::exists(box.logFolder() + QStringLiteral("orvoPlugin0.log")));
    QCOMPARE(box.log().contains(QStringLiteral("did not exit in time and was stopped")), hangingTool);
    QVERIFY(plugin.process().state() == QProcess::Running);
    QVERIFY(box.agentReport().isEmpty());
    const QString part = box.agentFolder() + QStringLiteral("OrvoMac.dmg.part");
    const qint64 kept = QFileInfo(part).size();
    QCOMPARE(kept > 0, !range.isEmpty());

    // The service answers again (and the tool works); Return in the progress window presses Retry.
    m_service.configure(downloadRoad({}, retried));
    if (hangingTool) {
        QVERIFY(QFile::remove(tool) && QFile::copy(QStringLiteral(ORVO_HDIUTIL_STANDIN), tool));
    }
    const QString progress = m_x.findWindow(progressTitle, plugin.processId());
    QVERIFY(m_x.key(progress, QStringLiteral("Return")));
    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    QCOMPARE(box.agentReport().value(QStringLiteral("arguments")).toVariant().toStringList(), agentArguments);
    const QString record = m_service.record();
    QCOMPARE(record.contains(QStringLiteral("Range: ")), !range.isEmpty());
    if (!range.isEmpty()) {
        QVERIFY2(record.contains(QStringLiteral("Range: bytes=%1-").arg(kept)), qPrintable(record));
        QVERIFY2(record.contains(QStringLiteral("If-Range: \"")), qPrintable(record));
    }
    if (retried.contains(QStringLiteral("file"))) {
        QCOMPARE(Bundle::infoDictionaryText(box.agentFolder() + QStringLiteral("Orvo.app"),
                                            QStringLiteral("CFBundleShortVersionString")),
                 QStringLiteral("7.4.0"));
    }
    QVERIFY(!QFile::exists(part));
    QVERIFY(!QFile::exists(box.agentFolder() + QStringLiteral("OrvoMac.dmg")));
    QVERIFY(endsWithClosingBanner(box.log()));
}

void TestEndToEnd::healsByItself_data()
{
    QTest::addColumn<QJsonObject>("check");
    QTest::addColumn<QJsonObject>("image");
    QTest::addColumn<bool>("agentInstalled");
    QTest::addColumn<QStringList>("logged"); // lines of the log, in part
    QTest::addColumn<QStringList>("asked");  // request headers the service received, in part
    const qint64 cut = QFileInfo(QStringLiteral(ORVO_AGENT_IMAGE)).size() * 2 / 5;
    const QString checkAttempt = QStringLiteral("-[OrvoAppUpgrader agentCheckThenUpdate] : Attempt %1 of 4 failed");
    const QString downloadAttempt = QStringLiteral("-[OrvoAppUpgrader continueAgentDownload:] : Attempt 1 of 4 failed");
    QTest::newRow("download cut once: resumed")
        << QJsonObject() << QJsonObject{{QStringLiteral("drop_after"), cut}, {QStringLiteral("times"), 1}} << false
        << QStringList{downloadAttempt, QStringLiteral("downloaded from download_url")}
        << QStringList{QStringLiteral("Range: bytes=%1-").arg(cut), QStringLiteral("If-Range: \"")};
    QTest::newRow("agent check 503 once")
        << QJsonObject{{QStringLiteral("status"), 503}, {QStringLiteral("times"), 1}} << QJsonObject() << false
        << QStringList{checkAttempt.arg(1)} << QStringList();
    QTest::newRow("download_url not found: fallback_url serves")
        << QJsonObject{{QStringLiteral("download_url"),
                        QStringLiteral("https://%1/cdn/gone.dmg").arg(m_service.host())},
                       {QStringLiteral("fallback_url"),
                        QStringLiteral("https://%1/agent/OrvoMac.dmg").arg(m_service.host())}}
        << QJsonObject() << false
        << QStringList{QStringLiteral("download_url failed, trying fallback_url"),
                       QStringLiteral("downloaded from fallback_url")}
        << QStringList();
    // The check only decides whether a newer agent is needed: the installed one takes the session.
    QTest::newRow("agent check 503, verified agent installed")
        << QJsonObject{{QStringLiteral("status"), 503}} << QJsonObject() << true
        << QStringList{checkAttempt.arg(3),
                       QStringLiteral("No usable answer from the service; the installed Orvo App is launched"),
                       QStringLiteral("This mac has latest Orvo App")}
        << QStringList();
}

void TestEndToEnd::healsByItself()
{
    QFETCH(QJsonObject, check);
    QFETCH(QJsonObject, image);
    QFETCH(bool, agentInstalled);
    QFETCH(QStringList, logged);
    QFETCH(QStringList, asked);
    Sandbox box;
    QVERIFY(!agentInstalled || box.installAgent());
    m_service.configure(downloadRoad(check, image));
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-8")));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QVERIFY(join(plugin, QStringLiteral("987654321"), QStringLiteral("Hal")));
    // No key is pressed after Join.
    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    const QString log = box.log();
    for (const QString& line : logged) {
        QVERIFY2(log.contains(line), qPrintable(line + QStringLiteral("\n---\n") + log));
    }
    QVERIFY(!log.contains(QStringLiteral("-[JoinProgressWindow showFailure:]")));
    const QString record = m_service.record();
    for (const QString& header : asked) {
        QVERIFY2(record.contains(header), qPrintable(header + QStringLiteral("\n---\n") + record));
    }
    QVERIFY(!QFile::exists(box.agentFolder() + QStringLiteral("OrvoMac.dmg.part")));
    QVERIFY(endsWithClosingBanner(log));
}

void TestEndToEnd::closeBoxDuringSlowCheck()
{
    Sandbox box;
    m_service.configure(downloadRoad({{QStringLiteral("delay_ms"), 60000}}, {}));
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QString()));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QVERIFY(join(plugin, QStringLiteral("987654321"), QStringLiteral("Gus")));
    QTRY_VERIFY_WITH_TIMEOUT(m_service.record().contains(QStringLiteral("GET /api/v2/agent/check_update")), 30000);
    const QString progress = m_x.findWindow(progressTitle, plugin.processId());
    QVERIFY(m_x.close(progress));
    // Well inside the minute the service holds its answer back.
    QVERIFY2(plugin.waitForExit(20000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    QVERIFY(endsWithClosingBanner(box.log()));
}

void TestEndToEnd::selfUpdateAtExit()
{
    Sandbox box;
    QVERIFY(box.installAgent());
    const QString app = box.installPlugin();
    QVERIFY(!app.isEmpty());
    const QString executable = app + QStringLiteral("/Contents/MacOS/Orvo Wendra Customer Plugin");
    m_service.configure(
        QStringLiteral("{\"plugin\":{\"update\":true,\"download_url\":\"https://%1/agent/OrvoPlugin.dmg\"},"
                       "\"agent\":{\"update_needed\":false},\"pluginImage\":{\"file\":\"%2\"}}")
            .arg(m_service.host(), QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE))
            .toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-5")));
    {
        ChildProcess plugin;
        QVERIFY(startPlugin(plugin, box, {}, executable));
        // The newer plugin is staged in the background while the join window is up.
        QTRY_VERIFY_WITH_TIMEOUT(
            box.log().contains(QStringLiteral("Plugin.app file copied to  OrvoCustomerPluginNative")), 60000);
        QVERIFY(join(plugin, QStringLiteral("111 222 333"), QStringLiteral("Ed")));
        QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    }
    QVERIFY(box.log().contains(QStringLiteral("Updated Customer Plugin app Copied to ") + app));
    QCOMPARE(Bundle::infoDictionaryText(app, QStringLiteral("CFBundleShortVersionString")).value_or(QString()),
             QStringLiteral(ORVO_NEWER_PLUGIN_VERSION));

    // The next start runs the new version and says so to the service.
    m_service.configure(noUpdates.toUtf8());
    ChildProcess next;
    QVERIFY(startPlugin(next, box, {}, executable));
    const QString window = m_x.findWindow(joinTitle, next.processId());
    QVERIFY(!window.isEmpty());
    const QString log = box.log().mid(box.log().lastIndexOf(started));
    QVERIFY(log.contains(QStringLiteral("local Orvo Wendra Customer Plugin App version : ") +
                         QStringLiteral(ORVO_NEWER_PLUGIN_VERSION)));
    QVERIFY(m_service.record().contains(QStringLiteral("&version=") + QStringLiteral(ORVO_NEWER_PLUGIN_VERSION) +
                                        QStringLiteral("&cxp_token=tok-5 HTTP/1.1")));
    QVERIFY(m_x.close(window));
    QVERIFY(next.waitForExit(30000));
}

void TestEndToEnd::customerStartAfterInstallerStart()
{
    Sandbox box;
    QVERIFY(box.installAgent());
    m_service.configure(noUpdates.toUtf8());
    const QString installerFile = box.path(QStringLiteral("installer/com.orvo.wendra.MacPlugin.plist"));
    QVERIFY(writeInfoFile(installerFile, m_service.host(), QStringLiteral("eu"), QStringLiteral("tok-6")));
    {
        // The installer's start: the customer closes the join window without joining.
        ChildProcess plugin;
        QVERIFY(startPlugin(plugin, box,
                            {box.path(QStringLiteral("installer/Setup.pkg")), QStringLiteral("Installer-Plugin")}));
        const QString window = m_x.findWindow(joinTitle, plugin.processId());
        QVERIFY(!window.isEmpty());
        QVERIFY(m_x.close(window));
        QVERIFY2(plugin.waitForExit(30000), qPrintable(box.log()));
        QVERIFY(endsWithClosingBanner(box.log()));
    }
    // The installer's folder is gone by the time the customer starts the plugin again.
    QVERIFY(QFile::remove(installerFile));

    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QVERIFY(join(plugin, QStringLiteral("555 444 333"), QStringLiteral("Di")));
    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    QCOMPARE(box.agentReport().value(QStringLiteral("joinDetails")).toString(),
             joinDetails(QStringLiteral("555444333"), m_service.host(), QStringLiteral("tok-6"), QStringLiteral("eu")));
    const QString second = box.log().mid(box.log().lastIndexOf(started));
    QVERIFY(second.contains(QStringLiteral("Invoked By User.")));
    QCOMPARE(m_service.record().count(QStringLiteral("&cxp_token=tok-6 HTTP/1.1")), 2);
}

void TestEndToEnd::liveLogRotatesWhileRunning()
{
    Sandbox box;
    m_service.configure(noUpdates.toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QString()));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(checkAnswered), 30000);

    const QString live = box.logFolder() + QStringLiteral("orvoPlugin.log");
    const QByteArray marker = QByteArrayLiteral("appended by the rotation test\n");
    QFile file(live);
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(marker + QByteArray(qsizetype{300} * 1024, '.')), marker.size() + qint64{300} * 1024);
    file.close();

    // The plugin checks its log ten times a second; the bound only keeps a stuck timer from hanging the test.
    const QString first = box.logFolder() + QStringLiteral("orvoPlugin0.log");
    QTRY_VERIFY_WITH_TIMEOUT(readText(first).contains(QString::fromLatin1(marker)), 10000);
    QVERIFY(QFileInfo(first).size() > 262144);
    QVERIFY(readText(first).contains(started));
    QTRY_VERIFY_WITH_TIMEOUT(!box.log().contains(QString::fromLatin1(marker)), 10000);
    QVERIFY(QFileInfo(live).size() < 1024);
    QVERIFY(!QFile::exists(box.logFolder() + QStringLiteral("orvoPlugin1.log")));
}

void TestEndToEnd::secondStartHandsOver_data()
{
    QTest::addColumn<bool>("installer"); // the second start is the installer's
    QTest::newRow("customer double-click") << false;
    QTest::newRow("installer start") << true;
}

void TestEndToEnd::secondStartHandsOver()
{
    QFETCH(bool, installer);
    Sandbox box;
    QVERIFY(box.installAgent());
    m_service.configure(noUpdates.toUtf8());
    const QString staged = box.stagingFolder() + QStringLiteral("info.plist");
    QVERIFY(writeInfoFile(staged, m_service.host(), QStringLiteral("eu"), QStringLiteral("tok-1")));
    QVERIFY(writeInfoFile(box.path(QStringLiteral("installer/com.orvo.wendra.MacPlugin.plist")), m_service.host(),
                          QStringLiteral("eu"), QStringLiteral("tok-8")));
    const QStringList arguments =
        installer ? QStringList{box.path(QStringLiteral("installer/Setup.pkg")), QStringLiteral("Installer-Plugin")}
                  : QStringList();
    ChildProcess first;
    ChildProcess second;
    QVERIFY(startPlugin(first, box));
    QTest::qWait(50);
    QVERIFY(startPlugin(second, box, arguments));
    const auto ended = [](ChildProcess& plugin) {
        return plugin.process().state() == QProcess::NotRunning;
    };
    QVERIFY2(QTest::qWaitFor([&] { return ended(first) || ended(second); }, 30000), qPrintable(box.log()));
    // On a busy machine the later start may still take the lock first; then the earlier one hands over.
    ChildProcess& gone = ended(second) ? second : first;
    ChildProcess& running = &gone == &second ? first : second;
    QCOMPARE(gone.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(gone.process().exitCode(), 0);
    QVERIFY(!ended(running));

    const QString window = m_x.findWindow(joinTitle, running.processId());
    QVERIFY(!window.isEmpty());
    QByteArray windows;
    QCOMPARE(m_x.run(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                      QStringLiteral("^Orvo Wendra Customer Plugin$")},
                     &windows),
             0);
    QCOMPARE(windows.trimmed().split('\n').size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(box.log().count(handedOver), 1, 10000);
    QCOMPARE(box.log().count(started), 1);
    // What the installer passed is where the next start reads it.
    QCOMPARE(readText(staged).contains(QStringLiteral("tok-8")), installer);

    QVERIFY(join(running, QStringLiteral("123 456 789"), QStringLiteral("Ada")));
    QVERIFY2(running.waitForExit(120000), qPrintable(box.log()));
    QCOMPARE(running.process().exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    // The running session keeps the settings it started with.
    const QString token = installer && &running == &second ? QStringLiteral("tok-8") : QStringLiteral("tok-1");
    QCOMPARE(box.agentReport().value(QStringLiteral("joinDetails")).toString(),
             joinDetails(QStringLiteral("123456789"), m_service.host(), token, QStringLiteral("eu")));
    QVERIFY(endsWithClosingBanner(box.log()));
    QVERIFY(box.guardFiles().isEmpty());
}

void TestEndToEnd::killedPluginsLockTakenOver()
{
    Sandbox box;
    m_service.configure(noUpdates.toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QString()));
    {
        ChildProcess killed;
        QVERIFY(startPlugin(killed, box));
        QVERIFY(!m_x.findWindow(joinTitle, killed.processId()).isEmpty());
        killed.signal(SIGKILL);
        QVERIFY(killed.waitForExit(30000));
    }
    QCOMPARE(box.guardFiles().size(), 2);

    ChildProcess next;
    QVERIFY(startPlugin(next, box));
    const QString window = m_x.findWindow(joinTitle, next.processId());
    QVERIFY2(!window.isEmpty(), qPrintable(box.log()));
    // The socket it made in place of the killed one's answers the start after it.
    ChildProcess third;
    QVERIFY(startPlugin(third, box));
    QVERIFY2(third.waitForExit(30000), qPrintable(box.log()));
    QCOMPARE(third.process().exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(box.log().count(handedOver), 1, 10000);
    QCOMPARE(box.log().count(started), 2);

    QVERIFY(m_x.close(window));
    QVERIFY2(next.waitForExit(30000), qPrintable(box.log()));
    QCOMPARE(next.process().exitCode(), 0);
    QVERIFY(box.guardFiles().isEmpty());
}

void TestEndToEnd::pluginDownloadCutShortLeavesNothing_data()
{
    QTest::addColumn<QString>("ending"); // how the plugin ends while the background download is under way
    QTest::newRow("SIGKILL") << "SIGKILL";
    QTest::newRow("SIGTERM") << "SIGTERM";
    QTest::newRow("close box") << "close box";
    QTest::newRow("join, agent launched") << "join";
}

void TestEndToEnd::pluginDownloadCutShortLeavesNothing()
{
    QFETCH(QString, ending);
    Sandbox box;
    QVERIFY(box.installAgent());
    // The plugin image goes silent after 64 KiB, so the download is still under way when the plugin ends.
    m_service.configure(
        QStringLiteral("{\"plugin\":{\"update\":true,\"download_url\":\"https://%1/agent/OrvoPlugin.dmg\"},"
                       "\"agent\":{\"update_needed\":false},\"pluginImage\":{\"file\":\"%2\",\"stall_after\":65536}}")
            .arg(m_service.host(), QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE))
            .toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-3")));
    const auto staged = [&box] {
        return QDir(box.stagingFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList onlyInfo{QStringLiteral("info.plist")};
    {
        ChildProcess plugin;
        QVERIFY(startPlugin(plugin, box));
        const QString window = m_x.findWindow(joinTitle, plugin.processId());
        QVERIFY(!window.isEmpty());
        const auto partLength = [&] {
            const QStringList parts = staged().filter(QStringLiteral(".OrvoPlugin.dmg.part-"));
            return parts.size() == 1 ? QFileInfo(box.stagingFolder() + parts.constFirst()).size() : qint64{-1};
        };
        QTRY_COMPARE_WITH_TIMEOUT(partLength(), qint64{65536}, 30000);
        if (ending == QLatin1String("SIGKILL") || ending == QLatin1String("SIGTERM")) {
            plugin.signal(ending == QLatin1String("SIGKILL") ? SIGKILL : SIGTERM);
        } else if (ending == QLatin1String("close box")) {
            QVERIFY(m_x.close(window));
        } else {
            QVERIFY(join(plugin, QStringLiteral("123 456 789"), QStringLiteral("Ada")));
        }
        QVERIFY2(plugin.waitForExit(60000), qPrintable(box.log()));
        if (ending != QLatin1String("SIGKILL")) {
            // A quit takes its download's file with it.
            QCOMPARE(plugin.process().exitCode(), 0);
            QCOMPARE(staged(), onlyInfo);
            QVERIFY(endsWithClosingBanner(box.log()));
        }
    }

    // The next start clears whatever the last one left.
    m_service.configure(noUpdates.toUtf8());
    ChildProcess next;
    QVERIFY(startPlugin(next, box));
    const QString window = m_x.findWindow(joinTitle, next.processId());
    QVERIFY2(!window.isEmpty(), qPrintable(box.log()));
    QCOMPARE(staged(), onlyInfo);
    QVERIFY(m_x.close(window));
    QVERIFY2(next.waitForExit(30000), qPrintable(box.log()));
}

void TestEndToEnd::startsWithoutGuard()
{
    Sandbox box;
    m_service.configure(noUpdates.toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QString()));
    // Too long a path for a local socket.
    const QString runtime = box.path(QString(120, QLatin1Char('r')));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box, {}, QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE),
                        {QStringLiteral("XDG_RUNTIME_DIR=") + runtime}));
    const QString window = m_x.findWindow(joinTitle, plugin.processId());
    QVERIFY2(!window.isEmpty(), qPrintable(box.log()));
    const QString log = box.log();
    QCOMPARE(log.count(QStringLiteral("+[Application main] : Running without the guard against a second start: ")), 1);
    QVERIFY(log.indexOf(started) < log.indexOf(QStringLiteral("Running without the guard")));
    QVERIFY(m_x.close(window));
    QVERIFY2(plugin.waitForExit(30000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
}

void TestEndToEnd::joinThroughProxy_data()
{
    QTest::addColumn<QString>("required"); // the proxy's BasicAuth ("user password"), none when empty
    QTest::addColumn<QString>("variable"); // the variable naming the proxy
    QTest::addColumn<QString>("userInfo"); // in the proxy's URL
    QTest::addColumn<QString>("noProxy");
    QTest::addColumn<int>("tunnels"); // the tunnels to the service the proxy is asked for
    QTest::addColumn<bool>("byName"); // the service by a name only the proxy resolves, else by its address
    const QString auth = QStringLiteral("ada pr0xy-s3cret");
    const QString good = QStringLiteral("ada:pr0xy-s3cret");
    QTest::newRow("https_proxy") << QString() << "https_proxy" << QString() << QString() << 2 << true;
    QTest::newRow("https_proxy, Basic authentication") << auth << "https_proxy" << good << QString() << 2 << true;
    QTest::newRow("all_proxy, Basic authentication") << auth << "all_proxy" << good << QString() << 2 << true;
    QTest::newRow("no_proxy names the service") << QString() << "https_proxy" << QString() << "127.0.0.1" << 0 << false;
    // Refused by the proxy: nothing reaches the service, so nothing went around the proxy.
    QTest::newRow("wrong proxy password") << auth << "https_proxy"
                                          << "ada:wrong-s3cret" << QString() << 2 << true;
}

void TestEndToEnd::joinThroughProxy()
{
    QFETCH(QString, required);
    QFETCH(QString, variable);
    QFETCH(QString, userInfo);
    QFETCH(QString, noProxy);
    QFETCH(int, tunnels);
    QFETCH(bool, byName);
    Proxy proxy;
    QVERIFY(proxy.start(required));
    if (byName && !proxy.resolvesServiceName()) {
        QSKIP("this machine lets no process have a hosts file of its own, so no name resolves through the proxy alone");
    }
    const QString host = byName ? QStringLiteral("%1:%2").arg(QLatin1String(Proxy::serviceName),
                                                              m_service.host().section(QLatin1Char(':'), 1))
                                : m_service.host();
    QStringList variables{variable + QLatin1Char('=') + proxy.url(userInfo)};
    if (!noProxy.isEmpty()) {
        variables << QStringLiteral("no_proxy=") + noProxy;
    }
    const bool refused = userInfo.contains(QStringLiteral("wrong"));
    Sandbox box;
    // Without an agent to fall back on, the refusal ends in the window.
    QVERIFY(refused || box.installAgent());
    m_service.configure(noUpdates.toUtf8());
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), host, QStringLiteral("eu"),
                          QStringLiteral("tok-9")));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box, {}, QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE), variables));
    QVERIFY(join(plugin, QStringLiteral("123 456 789"), QStringLiteral("Ada")));
    if (refused) {
        // Named without its credentials; not a passing fault, so asked once.
        QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(QStringLiteral("-[JoinProgressWindow showFailure:] : The proxy "
                                                                   "server %1 refused the connection")
                                                        .arg(proxy.url(QString()).mid(7))),
                                 30000);
        QVERIFY(m_x.close(m_x.findWindow(progressTitle, plugin.processId())));
    }
    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    const QString record = m_service.record();
    QCOMPARE(record.count(QStringLiteral("GET /api/v1/customer_plugin/check_update")), refused ? 0 : 1);
    QCOMPARE(record.count(QStringLiteral("GET /api/v2/agent/check_update")), refused ? 0 : 1);
    QCOMPARE(attemptWaits(box.log()).size(), 0);
    QCOMPARE(proxy.tunnelsTo(host), tunnels);
    QTRY_COMPARE_WITH_TIMEOUT(box.agentReport().isEmpty(), refused, refused ? 0 : 30000);
    QVERIFY2(!box.log().contains(QStringLiteral("s3cret")), qPrintable(box.log()));
}

void TestEndToEnd::screenReaderJoinsAndRetries_data()
{
    // What a screen reader says, in the language of LANG.
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("sessionField");
    QTest::addColumn<QString>("nameField");
    QTest::addColumn<QString>("joinButton");
    QTest::addColumn<QString>("message"); // the progress window's
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("retryButton");
    QTest::newRow("English") << "C.UTF-8"
                             << "Session ID"
                             << "Your name"
                             << "Join Session"
                             << "Please wait while establishing connection ..."
                             << "The download of the support app was interrupted. Check your internet connection, "
                                "then press Retry."
                             << "Retry";
    QTest::newRow("Japanese")
        << "ja_JP.UTF-8"
        << "セッションID"
        << "お名前"
        << "セッションに参加"
        << "接続しています。しばらくお待ちください…"
        << "サポートアプリのダウンロードが中断されました。インターネット接続を確認してから、「再試行」を押"
           "してください。"
        << "再試行";
    QTest::newRow("Simplified Chinese") << "zh_CN.UTF-8"
                                        << "会话 ID"
                                        << "您的姓名"
                                        << "加入会话"
                                        << "正在建立连接，请稍候…"
                                        << "支持应用的下载中断了。请检查网络连接，然后点击“重试”。"
                                        << "重试";
    QTest::newRow("Arabic") << "ar_SA.UTF-8"
                            << "معرّف الجلسة"
                            << "اسمك"
                            << "انضمام إلى الجلسة"
                            << "يُرجى الانتظار حتى يتم الاتصال..."
                            << "انقطع تنزيل تطبيق الدعم. تحقّق من اتصالك بالإنترنت، ثم اضغط «إعادة المحاولة»."
                            << "إعادة المحاولة";
    QTest::newRow("Hindi") << "hi_IN.UTF-8"
                           << "सत्र ID"
                           << "आपका नाम"
                           << "सत्र में जुड़ें"
                           << "कृपया प्रतीक्षा करें, कनेक्शन बनाया जा रहा है..."
                           << "सहायता ऐप का डाउनलोड बीच में रुक गया। अपना इंटरनेट कनेक्शन जाँचें, फिर “फिर से कोशिश "
                              "करें” दबाएँ।"
                           << "फिर से कोशिश करें";
    QTest::newRow("German") << "de_DE.UTF-8"
                            << "Sitzungs-ID"
                            << "Ihr Name"
                            << "Sitzung beitreten"
                            << "Bitte warten, die Verbindung wird aufgebaut ..."
                            << "Der Download der Support-App wurde unterbrochen. Prüfen Sie Ihre Internetverbindung "
                               "und klicken Sie dann auf „Erneut versuchen“."
                            << "Erneut versuchen";
    QTest::newRow("French") << "fr_FR.UTF-8"
                            << "ID de session"
                            << "Votre nom"
                            << "Rejoindre la session"
                            << "Veuillez patienter, connexion en cours ..."
                            << "Le téléchargement de l’application d’assistance a été interrompu. Vérifiez votre "
                               "connexion Internet, puis cliquez sur « Réessayer »."
                            << "Réessayer";
    QTest::newRow("Spanish") << "es_ES.UTF-8"
                             << "ID de sesión"
                             << "Su nombre"
                             << "Unirse a la sesión"
                             << "Espere, por favor, se está estableciendo la conexión ..."
                             << "La descarga de la aplicación de soporte se interrumpió. Compruebe su conexión a "
                                "Internet y pulse «Reintentar»."
                             << "Reintentar";
}

void TestEndToEnd::screenReaderJoinsAndRetries()
{
    QFETCH(QString, lang);
    QFETCH(QString, sessionField);
    QFETCH(QString, nameField);
    QFETCH(QString, joinButton);
    QFETCH(QString, message);
    QFETCH(QString, failure);
    QFETCH(QString, retryButton);
    ScreenReader reader;
    QVERIFY(reader.start(m_x));
    Sandbox box;
    const qint64 size = QFileInfo(QStringLiteral(ORVO_AGENT_IMAGE)).size();
    // A tenth at each attempt: the automatic ones end short of the whole.
    m_service.configure(downloadRoad({}, {{QStringLiteral("drop_after"), size / 10}}));
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QStringLiteral("tok-4")));
    ChildProcess plugin;
    QVERIFY(
        startPlugin(plugin, box, {}, QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE),
                    {QStringLiteral("LANG=") + lang, QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + reader.sessionBus(),
                     QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")}));

    // Found by what it says, filled in and pressed as a screen reader's user does, without the keyboard.
    const ScreenReader::Node session = reader.find(plugin.processId(), ScreenReader::Text, sessionField);
    const ScreenReader::Node name = reader.find(plugin.processId(), ScreenReader::Text, nameField, 0);
    const ScreenReader::Node join = reader.find(plugin.processId(), ScreenReader::PushButton, joinButton, 0);
    QVERIFY2(!session.isEmpty() && !name.isEmpty() && !join.isEmpty(), qPrintable(box.log()));
    QVERIFY(reader.setText(session, QStringLiteral("987654321")) && reader.setText(name, QStringLiteral("Hal")));
    QVERIFY(reader.press(join));

    // The failure is spoken as an alert shows: an alert named by the message.
    const auto announced = [&] {
        for (const ScreenReader::Event& event : reader.events()) {
            if (event.signal == QLatin1String("StateChanged") && event.kind == QLatin1String("showing") &&
                event.detail == 1 && reader.role(event.source) == ScreenReader::Alert) {
                return reader.name(event.source);
            }
        }
        return QString();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(!announced().isEmpty(), qPrintable(box.log()), 60000);
    QCOMPARE(announced(), failure);
    QVERIFY(!reader.find(plugin.processId(), ScreenReader::Alert, failure, 0).isEmpty());
    QVERIFY(!reader.find(plugin.processId(), ScreenReader::Label, message, 0).isEmpty());
    QVERIFY(box.log().contains(QStringLiteral("Download failed! Whole Error")));

    m_service.configure(downloadRoad({}, {}));
    const ScreenReader::Node retry = reader.find(plugin.processId(), ScreenReader::PushButton, retryButton, 0);
    QVERIFY(!retry.isEmpty());
    QVERIFY(reader.press(retry));
    QVERIFY2(plugin.waitForExit(120000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!box.agentReport().isEmpty(), 30000);
    QCOMPARE(box.agentReport().value(QStringLiteral("joinDetails")).toString(),
             joinDetails(QStringLiteral("987654321"), m_service.host(), QStringLiteral("tok-4"), QStringLiteral("eu")));
}

namespace {

// The log's lines without their time, process and the sandbox's paths: what stays the same from run to run.
QStringList comparableLines(const QString& log, const Sandbox& box)
{
    static const QRegularExpression prefix(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d [\\d:.]+ .*?\\[\\d+:\\d+\\] "));
    // The waits between automatic attempts are random by design.
    static const QRegularExpression wait(QStringLiteral("trying again in \\d+ ms"));
    // The sandbox's own folder, of which home is one part.
    const QString sandbox = box.home().chopped(QStringLiteral("/home").size());
    QStringList lines;
    for (QString line : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        lines << line.remove(prefix)
                     .replace(sandbox, QStringLiteral("SANDBOX"))
                     .replace(wait, QStringLiteral("trying again in N ms"));
    }
    return lines;
}

// The shown window of pid titled title, compared here: xdotool's own name search knows no UTF-8.
QString windowTitled(const XSession& x, qint64 pid, const QString& title)
{
    QByteArray ids;
    x.run(QStringLiteral("xdotool"),
          {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
           QString::number(pid)},
          &ids);
    for (const QByteArray& id : ids.split('\n')) {
        QByteArray name;
        if (!id.isEmpty() &&
            x.run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::fromLatin1(id)}, &name) == 0 &&
            QString::fromUtf8(name).trimmed() == title) {
            return QString::fromLatin1(id);
        }
    }
    return QString();
}

} // namespace

void TestEndToEnd::systemLanguage_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("about"); // the About window's title
    QTest::addColumn<bool>("mirrored");
    // English first: the others' logs are compared with its log.
    QTest::newRow("C") << "C.UTF-8"
                       << "About" << false;
    QTest::newRow("ja") << "ja_JP.UTF-8"
                        << "バージョン情報" << false;
    QTest::newRow("ar") << "ar_SA.UTF-8"
                        << "حول" << true;
    QTest::newRow("zh_CN") << "zh_CN.UTF-8"
                           << "关于" << false;
    QTest::newRow("hi") << "hi_IN.UTF-8"
                        << "परिचय" << false;
    QTest::newRow("de") << "de_DE.UTF-8"
                        << "Über" << false;
    QTest::newRow("fr") << "fr_FR.UTF-8"
                        << "À propos" << false;
    QTest::newRow("es") << "es_ES.UTF-8"
                        << "Acerca de" << false;
}

void TestEndToEnd::systemLanguage()
{
    QFETCH(QString, lang);
    QFETCH(QString, about);
    QFETCH(bool, mirrored);
    const QString shots =
        QStringLiteral(ORVO_SCREENSHOT_DIR "/process-%1-").arg(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(QStringLiteral(ORVO_SCREENSHOT_DIR)));
    Sandbox box;
    m_service.configure(downloadRoad({}, {{QStringLiteral("drop_after"), 100}}));
    QVERIFY(writeInfoFile(box.stagingFolder() + QStringLiteral("info.plist"), m_service.host(), QStringLiteral("eu"),
                          QString()));
    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box, {}, QStringLiteral(ORVO_TEST_BUNDLE_EXECUTABLE),
                        {QStringLiteral("LANG=") + lang, QStringLiteral("LC_ALL="), QStringLiteral("LC_MESSAGES="),
                         QStringLiteral("LANGUAGE=")}));

    // The About button sits at the header's trailing end: on the right, or on the left in a mirrored window. A click
    // there opens About in the language (the header is one or two lines high, so two heights are tried).
    const QString window = m_x.findWindow(joinTitle, plugin.processId());
    QVERIFY(!window.isEmpty());
    QString aboutWindow;
    for (const int y : {32, 45}) {
        QVERIFY(m_x.run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                                    QString::number(mirrored ? 37 : 363), QString::number(y),
                                                    QStringLiteral("click"), QStringLiteral("1")}) == 0);
        (void)QTest::qWaitFor([&] { return !(aboutWindow = windowTitled(m_x, plugin.processId(), about)).isEmpty(); },
                              3000);
        if (!aboutWindow.isEmpty()) {
            break;
        }
    }
    QVERIFY2(!aboutWindow.isEmpty(), qPrintable(box.log().right(2000)));
    QVERIFY(m_x.close(aboutWindow));
    // The session ID reads left to right in every language; the image is cut off after a few bytes.
    QVERIFY(m_x.type(window, QStringLiteral("987654321")) && m_x.key(window, QStringLiteral("Tab")) &&
            m_x.type(window, QStringLiteral("Cy")));
    QVERIFY(m_x.screenshot(window, shots + QStringLiteral("join.png")));
    QVERIFY(m_x.key(window, QStringLiteral("Return")));
    QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(QStringLiteral("-[JoinProgressWindow showFailure:] : The download of "
                                                               "the support app was interrupted.")),
                             60000);
    const QString progress = m_x.findWindow(progressTitle, plugin.processId());
    QVERIFY(!progress.isEmpty());
    QVERIFY(m_x.screenshot(progress, shots + QStringLiteral("failure.png")));
    QVERIFY(m_x.close(progress));
    QVERIFY2(plugin.waitForExit(30000), qPrintable(box.log()));
    QCOMPARE(plugin.process().exitCode(), 0);

    // Every log line is the English run's, whatever the language (when that row ran).
    const QStringList lines = comparableLines(box.log(), box);
    if (lang == QLatin1String("C.UTF-8")) {
        m_englishLog = lines;
    } else if (!m_englishLog.isEmpty()) {
        QCOMPARE(lines, m_englishLog);
    }
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
