#include "AppDelegate.h"
#include "Handlers/ApiHandler.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/Application.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Log/TestHooks.h"
#include "Platform/Signing/CodeSignature.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

using namespace ProvisioningFixtures;

namespace {

const QString volume = QStringLiteral("/Volumes/Orvo");

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
    void fromAttachedVolume_data();
    void fromAttachedVolume();
    void killAtAnyPoint();
    void wholeRoadAcrossProcesses();

private:
    QString agentFolder() const
    {
        return m_dir.filePath(QStringLiteral("home/Library/Application Support/OrvoMeetingNative"));
    }
    QString root(const QString& path) const { return m_dir.filePath(QStringLiteral("root") + path); }
    QString fixture(const QString& name) const { return m_dir.filePath(QStringLiteral("fixtures/") + name); }
    // Each run of the disk-image tool as "arg|arg|...".
    QStringList toolCalls() const
    {
        return QString::fromUtf8(readFile(root(QStringLiteral("/calls")))).split('\n', Qt::SkipEmptyParts);
    }
    QJsonObject agentReport() const
    {
        return QJsonDocument::fromJson(readFile(agentFolder() + QStringLiteral("/orvo-agent-report.json"))).object();
    }
    QStringList hiddenInAgentFolder() const
    {
        return QDir(agentFolder())
            .entryList({QStringLiteral(".*")}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // An image of the built agent, changed by change before it is made; signed unless change says otherwise.
    bool makeAgentImage(const QString& name, const std::function<bool(const QString&)>& change);

    QTemporaryDir m_dir;
    QList<const void*> m_terminatePosts;
    int m_exits = 0;
    const HookGuard<std::function<void(int)>> m_exit{TestHooks::exitFunction, [this](int) {
                                                         ++m_exits;
                                                     }};
};

bool TestAgentInstall::makeAgentImage(const QString& name, const std::function<bool(const QString&)>& change)
{
    const QString stage = fixture(name + QStringLiteral(".stage"));
    return stageAgent(stage) && change(stage) && makeImage(stage, QStringLiteral("Orvo"), fixture(name));
}

void TestAgentInstall::initTestCase()
{
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("ORVO_SYSTEM_ROOT", m_dir.filePath(QStringLiteral("root")).toLocal8Bit());
    // The stand-in tool behind a wrapper that records exactly what it was given; it runs under a lock, so a test
    // can wait for a run whose caller it killed.
    QVERIFY(writeFile(root(QStringLiteral("/usr/bin/hdiutil")),
                      "#!/bin/sh\n(IFS='|'; printf '%s\\n' \"$*\") >> \"$ORVO_SYSTEM_ROOT/calls\"\n"
                      "exec flock \"$ORVO_SYSTEM_ROOT/hdiutil.lock\" '" +
                          QByteArray(ORVO_HDIUTIL_STANDIN) + "' \"$@\"\n",
                      0755));
    QVERIFY(writeFile(fixture(QStringLiteral("garbage")), QByteArray(70000, 'x')));
    QVERIFY(makeAgentImage(QStringLiteral("unsigned"), [](const QString& stage) {
        return QDir(stage + QStringLiteral("/Orvo.app/Contents/_CodeSignature")).removeRecursively();
    }));
    QVERIFY(makeAgentImage(QStringLiteral("altered tool"), [](const QString& stage) {
        return signStagedAgent(stage) && writeFile(stage + QStringLiteral("/OWPreLogin"), "#!/bin/sh\n", 0755);
    }));
    QVERIFY(makeAgentImage(QStringLiteral("foreign"), [](const QString& stage) {
        const QString info = stage + QStringLiteral("/Orvo.app/Contents/Info.plist");
        QByteArray text = readFile(info);
        text.replace("<string>com.orvo.wendra.agent</string>", "<string>com.orvo.other</string>");
        return writeFile(info, text) && signStagedAgent(stage);
    }));
    // Signed by the build, as every bundle we ship.
    QVERIFY(makeAgentImage(QStringLiteral("plugin as agent"), [](const QString& stage) {
        const QString agent = stage + QStringLiteral("/Orvo.app");
        return FileManager::defaultManager().removeItem(agent).ok() &&
               FileManager::defaultManager().copyItem(QStringLiteral(ORVO_BUNDLE_DIR), agent).ok();
    }));
    QVERIFY(makeAgentImage(QStringLiteral("no tool"), [](const QString& stage) {
        return QFile::remove(stage + QStringLiteral("/OrvoPingAgent"));
    }));
    // Modes are not signed, but for the owner's executable bit.
    QVERIFY(makeAgentImage(QStringLiteral("wide modes"), [](const QString& stage) {
        bool ok = true;
        QDirIterator it(stage, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (ok && it.hasNext()) {
            const QFileInfo item(it.next());
            const mode_t mode = item.isDir() || item.isExecutable() ? 0777 : 0666;
            ok = item.isSymLink() || ::chmod(QFile::encodeName(item.filePath()).constData(), mode) == 0;
        }
        return ok;
    }));
    // What an earlier run may have left attached: an older agent.
    QVERIFY(makeAgentImage(QStringLiteral("older"), [](const QString& stage) {
        const QString info = stage + QStringLiteral("/Orvo.app/Contents/Info.plist");
        QByteArray text = readFile(info);
        text.replace("<string>" ORVO_AGENT_VERSION "</string>", "<string>1.0</string>");
        return writeFile(info, text) && signStagedAgent(stage);
    }));
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [this](const Notification& n) { m_terminatePosts << n.object; });
}

void TestAgentInstall::init()
{
    QVERIFY(QDir().mkpath(agentFolder()));
    m_terminatePosts.clear();
    m_exits = 0;
}

void TestAgentInstall::cleanup()
{
    if (QFile::exists(root(volume))) {
        QProcess::execute(QStringLiteral(ORVO_HDIUTIL_STANDIN), {QStringLiteral("detach"), volume});
        QDir(root(volume)).removeRecursively();
    }
    QDir(agentFolder()).removeRecursively();
    QFile::remove(root(QStringLiteral("/calls")));
}

void TestAgentInstall::install_data()
{
    QTest::addColumn<QString>("image");     // a file under fixtures/, or "agent" for the built image
    QTest::addColumn<QString>("present");   // what is in the agent folder beforehand
    QTest::addColumn<QString>("mounted");   // what is at the mount point beforehand: "", "older" or "folder"
    QTest::addColumn<QStringList>("calls"); // the disk-image tool's runs; %1 is the image
    QTest::addColumn<bool>("launched");
    QTest::addColumn<QString>("refusal"); // the start of the line a refusal writes
    const QString mount = QStringLiteral("mount|%1");
    const QString detach = QStringLiteral("detach|") + volume;
    // Outside a real run the plugin does not quit at the window's close, so the second detach runs too.
    const QStringList installed{mount, detach, detach};
    const QString name = QStringLiteral("-[OrvoDmgDownloader ");
    QTest::newRow("normal install") << "agent"
                                    << "" << QString() << installed << true << QString();
    QTest::newRow("older companion tool replaced") << "agent"
                                                   << "OrvoPingAgent" << QString() << installed << true << QString();
    QTest::newRow("unverifiable agent replaced") << "agent"
                                                 << "Orvo.app" << QString() << installed << true << QString();
    QTest::newRow("same agent again") << "agent"
                                      << "agent" << QString() << installed << true << QString();
    QTest::newRow("failed mount installs nothing")
        << "garbage"
        << "" << QString() << QStringList{mount} << false
        << name + "mountingOrvoMacDmg] : The image was not attached; nothing installed from /Volumes/Orvo\n";
    QTest::newRow("volume an earlier run left attached")
        << "agent"
        << ""
        << "older" << QStringList{detach, mount, detach, detach} << true << QString();
    QTest::newRow("folder in the way at the mount point")
        << "agent"
        << ""
        << "folder" << QStringList{detach} << false
        << name + "mountingOrvoMacDmg] : /Volumes/Orvo is still attached from an earlier run; nothing installed\n";
    QTest::newRow("unsigned agent") << "unsigned"
                                    << "" << QString() << QStringList{mount, detach} << false
                                    << name + "copyAppFileAndLaunch] : Orvo.app not installed: ";
    // A refused install changes nothing: no tool goes in without the agent, nor the agent without every tool.
    QTest::newRow("tool that does not match the agent")
        << "altered tool"
        << "OWPreLogin" << QString() << QStringList{mount, detach} << false
        << name + "copyAppFileAndLaunch] : OWPreLogin not installed: ";
    QTest::newRow("tool missing from the image")
        << "no tool"
        << "agent" << QString() << QStringList{mount, detach} << false
        << name + "copyAppFileAndLaunch] : OrvoPingAgent not installed: it is not in the image\n";
    QTest::newRow("older signed agent")
        << "older"
        << "agent" << QString() << QStringList{mount, detach} << false
        << name + "copyAppFileAndLaunch] : Orvo.app not installed: its version 1.0 is older than the installed " +
               ORVO_AGENT_VERSION + "\n";
    QTest::newRow("agent with another identifier")
        << "foreign"
        << "agent" << QString() << QStringList{mount, detach} << false
        << name + "copyAppFileAndLaunch] : Orvo.app not installed: it is com.orvo.other, not the agent "
                  "com.orvo.wendra.agent\n";
    QTest::newRow("plugin bundle as the agent")
        << "plugin as agent"
        << "" << QString() << QStringList{mount, detach} << false
        << name + "copyAppFileAndLaunch] : Orvo.app not installed: it is com.orvo.wendra.MacPlugin, not the agent "
                  "com.orvo.wendra.agent\n";
}

void TestAgentInstall::install()
{
    QFETCH(QString, image);
    QFETCH(QString, present);
    QFETCH(QString, mounted);
    QFETCH(QStringList, calls);
    QFETCH(bool, launched);
    QFETCH(QString, refusal);
    const QString imagePath = agentFolder() + QStringLiteral("/OrvoMac.dmg");
    QVERIFY(QFile::copy(image == "agent" ? QStringLiteral(ORVO_AGENT_IMAGE) : fixture(image), imagePath));
    const QString agent = agentFolder() + QStringLiteral("/Orvo.app");
    if (present == QLatin1String("agent")) {
        QVERIFY(stageAgent(agentFolder()));
    } else if (!present.isEmpty()) {
        QVERIFY(writeFile(agentFolder() + '/' + present + (present.endsWith(".app") ? "/old" : ""), "old"));
    }
    const QStringList agentBefore = treeListing(agent);
    if (mounted == QLatin1String("older")) {
        QCOMPARE(QProcess::execute(QStringLiteral(ORVO_HDIUTIL_STANDIN), {QStringLiteral("mount"), fixture(mounted)}),
                 0);
    } else if (mounted == QLatin1String("folder")) {
        QVERIFY(writeFile(root(volume) + QStringLiteral("/Orvo.app/Contents/Info.plist"), "not attached by the tool"));
    }

    OrvoDmgDownloader downloader;
    LogCapture capture;
    QCOMPARE(downloader.mountingOrvoMacDmg(), launched);
    const QString log = capture.text();

    QCOMPARE(toolCalls(), calls.replaceInStrings(QStringLiteral("%1"), imagePath));
    QVERIFY2(refusal.isEmpty() || log.contains(refusal), qPrintable(log));
    QVERIFY(hiddenInAgentFolder().isEmpty());
    // The plugin quits only with the agent started; every other end leaves the window offering Retry.
    QCOMPARE(m_terminatePosts.size(), launched ? 1 : 0);
    QCOMPARE(JoinProgressWindow::getInstance()->isShowingFailure(), !launched);
    // What this run attached is detached again; what it did not attach is left alone.
    QCOMPARE(QFile::exists(root(volume)), mounted == QLatin1String("folder"));
    // An image that gave no agent goes: Retry fetches it anew.
    QVERIFY(!QFile::exists(imagePath));
    QCOMPARE(m_exits, 0);
    // Installed whole and as built, not the older agent an earlier run left attached; or not at all, the installed
    // agent left as it was.
    if (launched) {
        QVERIFY(CodeSignature::verifyBundle(agent).ok());
        QCOMPARE(Bundle::infoDictionaryText(agent, QStringLiteral("CFBundleShortVersionString")),
                 OptionalString(QStringLiteral(ORVO_AGENT_VERSION)));
    } else {
        QCOMPARE(treeListing(agent), agentBefore);
    }
    QCOMPARE(log.contains(QStringLiteral("] orvo app file not launched\n")), refusal.contains(" not installed: "));
    const QString built = QFileInfo(QStringLiteral(ORVO_AGENT_BUNDLE)).absolutePath();
    for (const QString& tool : companionTools()) {
        const QByteArray copied = readFile(agentFolder() + '/' + tool);
        const bool kept = tool == present && !launched;
        QCOMPARE(copied, kept                                            ? QByteArray("old")
                         : launched || present == QLatin1String("agent") ? readFile(built + '/' + tool)
                                                                         : QByteArray());
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
        if (refusal.isEmpty() || !line.contains(refusal.section(QLatin1Char(' '), 3, 3))) {
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
    QCOMPARE(agentReport().value(QStringLiteral("arguments")).toVariant().toStringList(), agentArguments());
}

void TestAgentInstall::fromAttachedVolume_data()
{
    QTest::addColumn<QString>("image"); // a file under fixtures/, or "agent" for the built image
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("refusal"); // empty: installed
    QTest::newRow("modes of its own") << "wide modes"
                                      << "sticky and set-ID" << QString();
    // Hashing or copying it would take minutes; the names, kinds and sizes refuse it before either.
    QTest::newRow("unlisted 16 GB sparse file") << "agent"
                                                << "huge file"
                                                << "-[OrvoDmgDownloader copyAppFileAndLaunch] : Orvo.app not "
                                                   "installed: Contents/huge is not in the signature\n";
}

void TestAgentInstall::fromAttachedVolume()
{
    QFETCH(QString, image);
    QFETCH(QString, change);
    QFETCH(QString, refusal);
    QCOMPARE(QProcess::execute(
                 QStringLiteral(ORVO_HDIUTIL_STANDIN),
                 {QStringLiteral("mount"), image == "agent" ? QStringLiteral(ORVO_AGENT_IMAGE) : fixture(image)}),
             0);
    const QByteArray attached = QFile::encodeName(root(volume));
    if (change == QLatin1String("huge file")) {
        const int fd = ::open(attached + "/Orvo.app/Contents/huge", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, off_t{16} << 30), 0);
        ::close(fd);
    } else {
        QCOMPARE(::chmod(attached + "/Orvo.app/Contents", 01777), 0);
        QCOMPARE(::chmod(attached + "/Orvo.app/Contents/MacOS/Orvo", 04777), 0);
        QCOMPARE(::chmod(attached + "/OWPreLogin", 06777), 0);
        QCOMPARE(::chmod(attached + "/Orvo.app/Contents/Info.plist", 02666), 0);
    }

    OrvoDmgDownloader downloader;
    LogCapture capture;
    QCOMPARE(downloader.copyAppFileAndLaunch(), refusal.isEmpty());
    QVERIFY2(refusal.isEmpty() || capture.text().contains(refusal), qPrintable(capture.text()));
    QVERIFY(hiddenInAgentFolder().isEmpty());
    const QString agent = agentFolder() + QStringLiteral("/Orvo.app");
    if (!refusal.isEmpty()) {
        QVERIFY(!QFile::exists(agent));
        return;
    }
    // Folders and programs 0755, other files 0644: no group or other write, no set-ID, no sticky bit.
    QStringList items = treeListing(agent).replaceInStrings(QRegularExpression(QStringLiteral(" [0-9a-f]{40}$")), "");
    for (const QString& tool : companionTools()) {
        items << tool + QLatin1Char(' ') + treeListing(agentFolder() + '/' + tool).value(0).section(' ', 1, 1);
    }
    for (const QString& item : items) {
        const QString mode = item.section(QLatin1Char(' '), 1, 1);
        QVERIFY2(mode == "40755" || mode == "100755" || mode == "100644" || mode.startsWith("120"), qPrintable(item));
    }
    QVERIFY(items.contains(QStringLiteral(" 40755")));
    QVERIFY(items.contains(QStringLiteral("/Contents 40755")));
    QVERIFY(items.contains(QStringLiteral("/Contents/MacOS/Orvo 100755")));
    QVERIFY(items.contains(QStringLiteral("/Contents/Info.plist 100644")));
    QVERIFY(items.contains(QStringLiteral("OWPreLogin 100755")));
}

void TestAgentInstall::killAtAnyPoint()
{
    // A new agent of many files, so that copying and checking it take a while, over a small old one.
    QVERIFY(makeAgentImage(QStringLiteral("large"), [](const QString& stage) {
        bool ok = true;
        for (int i = 0; ok && i < 500; ++i) {
            ok = writeFile(stage + QStringLiteral("/Orvo.app/Contents/Resources/payload/%1").arg(i),
                           QByteArray(8192, char('a' + i % 26)));
        }
        return ok && signStagedAgent(stage);
    }));
    const QString oldAgent = fixture(QStringLiteral("older.stage/Orvo.app"));
    const QString agent = agentFolder() + QStringLiteral("/Orvo.app");
    const QStringList oldTree = treeListing(oldAgent);
    const QStringList newTree = treeListing(fixture(QStringLiteral("large.stage/Orvo.app")));
    for (const QString& tool : companionTools()) {
        QVERIFY(writeFile(agentFolder() + '/' + tool, "old"));
    }
    // One join's install over the old agent, killed killAfter ms after the image is attached (-1: never); the
    // milliseconds from then until the agent is in place.
    const auto run = [&](int killAfter) {
        if (treeListing(agent) != oldTree) {
            // A restore that fails leaves a tree the run's own checks refuse.
            static_cast<void>(FileManager::defaultManager().removeItem(agent));
            static_cast<void>(FileManager::defaultManager().copyItem(oldAgent, agent));
        }
        QFile::remove(agentFolder() + QStringLiteral("/OrvoMac.dmg"));
        QFile::copy(fixture(QStringLiteral("large")), agentFolder() + QStringLiteral("/OrvoMac.dmg"));
        QProcess helper;
        helper.start(QStringLiteral(ORVO_INSTALL_HELPER));
        QByteArray log;
        const auto readUntil = [&](const char* line) {
            for (QDeadlineTimer deadline(60000);
                 !log.contains(line) && helper.state() != QProcess::NotRunning && !deadline.hasExpired();) {
                helper.waitForReadyRead(100);
                log += helper.readAllStandardError();
            }
        };
        readUntil("dmg mount task termination status");
        QElapsedTimer clock;
        clock.start();
        if (killAfter >= 0 && !helper.waitForFinished(killAfter)) {
            ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
        }
        readUntil("Orvo.app file copied");
        const int installed = int(clock.elapsed());
        helper.waitForFinished(120000);
        // The disk-image tool it may have started runs to its end; wait for that before looking.
        const int lock = ::open(QFile::encodeName(root(QStringLiteral("/hdiutil.lock"))).constData(),
                                O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
        ::flock(lock, LOCK_EX);
        ::close(lock);
        return installed;
    };

    const int whole = run(-1);
    QCOMPARE(treeListing(agent), newTree);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    int ended[2] = {};
    for (int i = 0; i < 20; ++i) {
        run(int(random.bounded(quint32(whole) * 5 / 4 + 1)));
        const QStringList now = treeListing(agent);
        // Never without an agent: the old one stays until the new one is exchanged with it.
        QVERIFY2(now == oldTree || now == newTree, qPrintable(QStringLiteral("run %1, seed %2").arg(i).arg(seed)));
        ++ended[now == oldTree ? 0 : 1];
        for (const QString& tool : companionTools()) {
            const QByteArray content = readFile(agentFolder() + '/' + tool);
            QVERIFY(content == "old" || content == readFile(fixture(QStringLiteral("large.stage/")) + tool));
        }
    }
    qInfo("seed %u, install after the mount %d ms: %d kills left the old agent, %d the new", seed, whole, ended[0],
          ended[1]);

    // The next whole run clears what the killed ones left.
    run(-1);
    QCOMPARE(treeListing(agent), newTree);
    QVERIFY(hiddenInAgentFolder().isEmpty());
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
    QVERIFY(signBundleForTest(agentFolder() + QStringLiteral("/Orvo.app")));
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
    QVERIFY(OrvoAppUpgrader::getInstance()->verifyInstalledAgent());
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
    QCOMPARE(report.value(QStringLiteral("arguments")).toVariant().toStringList(), agentArguments());
    QCOMPARE(report.value(QStringLiteral("joinDetails")).toString(),
             QStringLiteral("ORVO_MEETING_IND\n&key=123456789&webServerName=%1&Cxp_token=tok&en&c_plugin=true&DC=com&")
                 .arg(standin.host()));
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
    QCOMPARE(s->localOrvoAppVersion(), OptionalString(QStringLiteral(ORVO_AGENT_VERSION)));
    QVERIFY(OrvoAppUpgrader::getInstance()->verifyInstalledAgent());
    QCOMPARE(toolCalls(),
             (QStringList{QStringLiteral("mount|") + agentFolder() + QStringLiteral("/OrvoMac.dmg"),
                          QStringLiteral("detach|/Volumes/Orvo"), QStringLiteral("detach|/Volumes/Orvo")}));
}

QTEST_MAIN(TestAgentInstall)
#include "tst_agentinstall.moc"
