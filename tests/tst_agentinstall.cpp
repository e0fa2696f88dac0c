#include "AppDelegate.h"
#include "Handlers/ApiHandler.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/SessionDetails.h"
#include "Platform/Application.h"
#include "Platform/NotificationCenter.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace ProvisioningFixtures;

namespace {

const QStringList tools{"OrvoCrashDetector", "WendraUserHandler", "OWPreLogin", "OrvoPingAgent"};

} // namespace

class TestAgentInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void install_data();
    void install();
    void wholeRoadAcrossProcesses();

private:
    QString agentFolder() const
    {
        return m_dir.filePath(QStringLiteral("home/Library/Application Support/OrvoMeetingNative"));
    }
    QString root(const QString& path) const { return m_dir.filePath(QStringLiteral("root") + path); }
    // Each run of the disk-image tool as "arg|arg|...".
    QStringList toolCalls() const
    {
        return QString::fromUtf8(readFile(root(QStringLiteral("/calls")))).split('\n', Qt::SkipEmptyParts);
    }
    QJsonObject agentReport() const
    {
        return QJsonDocument::fromJson(readFile(agentFolder() + QStringLiteral("/orvo-agent-report.json"))).object();
    }

    QTemporaryDir m_dir;
    QList<const void*> m_terminatePosts;
    int m_exits = 0;
};

void TestAgentInstall::initTestCase()
{
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("ORVO_SYSTEM_ROOT", m_dir.filePath(QStringLiteral("root")).toLocal8Bit());
    // The stand-in tool behind a wrapper that records exactly what it was given.
    QVERIFY(writeFile(root(QStringLiteral("/usr/bin/hdiutil")),
                      "#!/bin/sh\n(IFS='|'; printf '%s\\n' \"$*\") >> \"$ORVO_SYSTEM_ROOT/calls\"\nexec '" +
                          QByteArray(ORVO_HDIUTIL_STANDIN) + "' \"$@\"\n",
                      0755));
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [this](const Notification& n) { m_terminatePosts << n.object; });
    Application::setExitFunction([this](int) { ++m_exits; });
}

void TestAgentInstall::init()
{
    QVERIFY(QDir().mkpath(agentFolder()));
    m_terminatePosts.clear();
    m_exits = 0;
    Application::resetTermination();
}

void TestAgentInstall::cleanup()
{
    if (QFile::exists(root(QStringLiteral("/Volumes/Orvo")))) {
        QProcess::execute(QStringLiteral(ORVO_HDIUTIL_STANDIN),
                          {QStringLiteral("detach"), QStringLiteral("/Volumes/Orvo")});
    }
    QDir(agentFolder()).removeRecursively();
    QFile::remove(root(QStringLiteral("/calls")));
}

void TestAgentInstall::install_data()
{
    QTest::addColumn<QString>("image");     // "agent" or "garbage"
    QTest::addColumn<QString>("installed"); // what is in the agent folder beforehand
    QTest::addColumn<int>("detaches");
    QTest::addColumn<bool>("launched");
    // Outside a real run the plugin does not quit at the window's close, so the second detach runs too.
    QTest::newRow("normal install") << "agent"
                                    << "" << 2 << true;
    QTest::newRow("companion tool already present") << "agent"
                                                    << "OrvoPingAgent" << 2 << true;
    QTest::newRow("failed mount") << "garbage"
                                  << "" << 2 << false;
    QTest::newRow("agent already present") << "agent"
                                           << "Orvo.app" << 0 << false;
}

void TestAgentInstall::install()
{
    QFETCH(QString, image);
    QFETCH(QString, installed);
    QFETCH(int, detaches);
    QFETCH(bool, launched);
    const QString imagePath = agentFolder() + QStringLiteral("/OrvoMac.dmg");
    QVERIFY(image == QLatin1String("agent") ? QFile::copy(QStringLiteral(ORVO_AGENT_IMAGE), imagePath)
                                            : writeFile(imagePath, QByteArray(70000, 'x')));
    if (!installed.isEmpty()) {
        QVERIFY(writeFile(agentFolder() + '/' + installed + (installed.endsWith(".app") ? "/old" : ""), "old"));
    }

    OrvoDmgDownloader downloader;
    LogCapture capture;
    downloader.mountingOrvoMacDmg();
    const QString log = capture.text();

    QStringList expectedCalls{QStringLiteral("mount|") + imagePath};
    for (int i = 0; i < detaches; ++i) {
        expectedCalls << QStringLiteral("detach|/Volumes/Orvo");
    }
    QCOMPARE(toolCalls(), expectedCalls);
    QVERIFY(log.contains(QStringLiteral("dmg mount task termination status : %1\n").arg(image == "agent" ? 0 : 1)));
    if (installed == QLatin1String("Orvo.app")) {
        // The install stops: image kept, volume still attached, window left open.
        QVERIFY(QFile::exists(imagePath));
        QVERIFY(QFile::exists(root(QStringLiteral("/Volumes/Orvo/Orvo.app"))));
        QVERIFY(m_terminatePosts.isEmpty());
        QCOMPARE(readFile(agentFolder() + QStringLiteral("/Orvo.app/old")), QByteArray("old"));
        return;
    }
    // Nothing is attached after a failed mount, so its detach fails too.
    QVERIFY(log.contains(QStringLiteral("Dmg unmount task termination status : %1\n").arg(launched ? 0 : 1)));
    QVERIFY(!QFile::exists(root(QStringLiteral("/Volumes/Orvo"))));
    QVERIFY(!QFile::exists(imagePath));
    QCOMPARE(m_terminatePosts.size(), 1);
    QCOMPARE(m_exits, 0);
    QCOMPARE(QFile::exists(agentFolder() + QStringLiteral("/Orvo.app/Contents/Info.plist")), launched);
    QCOMPARE(log.contains(QStringLiteral("] orvo app file not launched\n")), !launched);
    for (const QString& tool : tools) {
        const QByteArray copied = readFile(agentFolder() + '/' + tool);
        QCOMPARE(copied == "old", tool == installed);
        QCOMPARE(!copied.isEmpty(), launched || tool == installed);
    }
    if (!launched) {
        return;
    }
    // Tools only after the launch, each logged as it was copied.
    const QString name = QStringLiteral("-[OrvoDmgDownloader copyAppFileAndLaunch] : ");
    QStringList order{name + QStringLiteral("Orvo.app file copied\n"),
                      name + QStringLiteral("App Path : %1/Orvo.app orvo app file launched!\n").arg(agentFolder())};
    for (const QString& line :
         {QStringLiteral(" : OrvoCrashDetector file copied\n"), QStringLiteral(" : WendraUserHandler file copied\n"),
          QStringLiteral(" :OWPreLogin file copied\n"), QStringLiteral(" :OrvoPingAgent file copied\n")}) {
        if (!line.contains(installed) || installed.isEmpty()) {
            order << QStringLiteral("-[OrvoDmgDownloader copyAppFileAndLaunch]") + line;
        }
    }
    qsizetype at = -1;
    for (const QString& line : order) {
        const qsizetype next = log.indexOf(line);
        QVERIFY2(next > at, qPrintable(line));
        at = next;
    }
    QTRY_VERIFY(!agentReport().isEmpty());
    QCOMPARE(agentReport().value(QStringLiteral("arguments")).toVariant().toStringList(),
             OrvoDmgDownloader::agentLaunchArguments());
}

void TestAgentInstall::wholeRoadAcrossProcesses()
{
    QTemporaryDir service;
    QVERIFY(makeTestCertificates(service.filePath(QStringLiteral("certs"))));
    qputenv("SSL_CERT_FILE", service.filePath(QStringLiteral("certs/ca.pem")).toLocal8Bit());
    Standin standin;
    QVERIFY(standin.start(service.filePath(QStringLiteral("certs")), service.path()));
    const QString cdn = QStringLiteral("https://%1/cdn/OrvoMac.dmg").arg(standin.host());
    standin.configure(QJsonDocument(QJsonObject{
                                        {QStringLiteral("agent"), QJsonObject{{QStringLiteral("update_needed"), true},
                                                                              {QStringLiteral("download_url"), cdn}}},
                                        {QStringLiteral("files"), QJsonObject{{QStringLiteral("/cdn/OrvoMac.dmg"),
                                                                               QStringLiteral(ORVO_AGENT_IMAGE)}}},
                                    })
                          .toJson());
    // An older agent, which the road replaces.
    QVERIFY(makeRecordingAgent(agentFolder() + QStringLiteral("/Orvo.app"), QStringLiteral("1.0")));
    AppDelegate delegate;
    Application::setDelegate(&delegate);
    delegate.addObservers();
    SessionDetails* s = SessionDetails::getInstance();
    s->setWebServerName(standin.host());
    s->setSessionKey(QStringLiteral("123456789"));
    s->setCxp_token(QStringLiteral("tok&en"));
    s->setDcName(QStringLiteral("com"));

    JoinProgressWindow::getInstance()->showWindow(nullptr);
    LogCapture capture;
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
    QCOMPARE(s->localOrvoAppVersion(), OptionalString(QStringLiteral("1.0")));
    QVERIFY(ApiHandler::getInstance()->agentCheckUpdate());
    QCOMPARE(s->cdnUrl(), OptionalString(cdn));
    OrvoAppUpgrader::getInstance()->orvoAppUpdater();
    QTRY_COMPARE_WITH_TIMEOUT(m_exits, 1, 60000);
    delegate.removeObservers();
    Application::setDelegate(nullptr);

    QVERIFY(
        standin.record().contains(QStringLiteral("GET /api/v2/agent/check_update?agent_version=1.0&agent=mac%2032")));
    QVERIFY(standin.record().contains(QStringLiteral("GET /cdn/OrvoMac.dmg HTTP/1.1")));
    QCOMPARE(m_terminatePosts.size(), 1);
    QVERIFY(!JoinProgressWindow::getInstance()->loadedWindow()->isVisible());
    QVERIFY(capture.text().contains(QStringLiteral("OrvoPlugin App terminated")));
    QTRY_VERIFY(!agentReport().isEmpty());
    const QJsonObject report = agentReport();
    QCOMPARE(report.value(QStringLiteral("arguments")).toVariant().toStringList(),
             OrvoDmgDownloader::agentLaunchArguments());
    QCOMPARE(report.value(QStringLiteral("joinDetails")).toString(),
             QStringLiteral("ORVO_MEETING_IND\n&key=123456789&webServerName=%1&Cxp_token=tok&en&c_plugin=true&DC=com&")
                 .arg(standin.host()));
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
    QCOMPARE(s->localOrvoAppVersion(), OptionalString(QStringLiteral(ORVO_AGENT_VERSION)));
    QCOMPARE(toolCalls(),
             (QStringList{QStringLiteral("mount|") + agentFolder() + QStringLiteral("/OrvoMac.dmg"),
                          QStringLiteral("detach|/Volumes/Orvo"), QStringLiteral("detach|/Volumes/Orvo")}));
}

QTEST_MAIN(TestAgentInstall)
#include "tst_agentinstall.moc"
