#include "AppDelegate.h"
#include "Handlers/OrvoPluginUpdater.h"
#include "Objects/SessionDetails.h"
#include "Objects/VersionNumber.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/ResourceImages.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Log/TestHooks.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <signal.h>

using namespace ProvisioningFixtures;

namespace {

const QString bundleName = QStringLiteral("Orvo Wendra Customer Plugin.app");
const QString stagingPart = QStringLiteral("/Library/Application Support/OrvoCustomerPluginNativeFolder/");

// Whether the lines occur in log in this order; names the first one missing when they do not.
bool inOrder(const QString& log, const QStringList& lines, QString* missing)
{
    qsizetype at = 0;
    for (const QString& line : lines) {
        const qsizetype found = log.indexOf(line, at);
        if (found < 0) {
            *missing = line;
            return false;
        }
        at = found + line.size();
    }
    return true;
}

QString bundleVersion(const QString& bundle)
{
    return Bundle::infoDictionaryText(bundle, QStringLiteral("CFBundleShortVersionString")).value_or(QString());
}

} // namespace

class TestPluginUpdater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void latestVersionStartsNothing();
    void staging_data();
    void staging();
    void newerVersion_data();
    void newerVersion();
    void downloadFailures_data();
    void downloadFailures();
    void startUpStagesWhileTheJoinWindowIsUp();
    void selfUpdateAcrossProcesses();

private:
    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    QString stagingFolder() const { return home() + stagingPart; }
    QString root(const QString& path) const { return m_dir.filePath(QStringLiteral("root") + path); }
    QString image() const { return stagingFolder() + QStringLiteral("OrvoPlugin.dmg"); }
    QString fixture(const QString& name) const { return m_dir.filePath(QStringLiteral("fixtures/") + name); }
    // A plugin image of the built bundle with the version given, signed unless asked not to be.
    bool makePluginImage(const QString& name, const QString& version, bool sign);
    // Each run of the disk-image tool as "arg|arg|...".
    QStringList toolCalls() const
    {
        return QString::fromUtf8(readFile(root(QStringLiteral("/calls")))).split('\n', Qt::SkipEmptyParts);
    }
    void offer(bool update, const QString& path);
    // text with %1 as the service host and %2 as the test folder.
    QString placed(QString text) const
    {
        return text.replace(QStringLiteral("%1"), m_service.host()).replace(QStringLiteral("%2"), m_dir.path());
    }

    const HookGuard<QString> m_images{TestHooks::resourceFolder, QStringLiteral(ORVO_BUNDLE_DIR "/Contents/Resources")};
    QTemporaryDir m_dir;
    Standin m_service;
    QList<const void*> m_retries;
};

void TestPluginUpdater::initTestCase()
{
    QVERIFY(makeTestCertificates(m_dir.filePath(QStringLiteral("certs"))));
    qputenv("SSL_CERT_FILE", m_dir.filePath(QStringLiteral("certs/ca.pem")).toLocal8Bit());
    QVERIFY(m_service.start(m_dir.filePath(QStringLiteral("certs")), m_dir.path()));
    qputenv("HOME", home().toLocal8Bit());
    qputenv("ORVO_SYSTEM_ROOT", root(QString()).toLocal8Bit());
    // The stand-in tool behind a wrapper that records exactly what it was given.
    QVERIFY(writeFile(root(QStringLiteral("/usr/bin/hdiutil")),
                      "#!/bin/sh\n(IFS='|'; printf '%s\\n' \"$*\") >> \"$ORVO_SYSTEM_ROOT/calls\"\nexec '" +
                          QByteArray(ORVO_HDIUTIL_STANDIN) + "' \"$@\"\n",
                      0755));
    QVERIFY(writeFile(fixture(QStringLiteral("garbage")), QByteArray(70000, 'x')));
    QVERIFY(makePluginImage(QStringLiteral("0.9.0"), QStringLiteral("0.9.0"), true));
    QVERIFY(makePluginImage(QStringLiteral(ORVO_PLUGIN_VERSION), QStringLiteral(ORVO_PLUGIN_VERSION), true));
    QVERIFY(makePluginImage(QStringLiteral("unsigned"), QStringLiteral(ORVO_NEWER_PLUGIN_VERSION), false));
    // What a file URL would name, were it fetched.
    QVERIFY(QFile::copy(QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE), m_dir.filePath(QStringLiteral("plugin.dmg"))));
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("RetryDMGDownloadig"), nullptr,
                                                    [this](const Notification& n) { m_retries << n.object; });
}

bool TestPluginUpdater::makePluginImage(const QString& name, const QString& version, bool sign)
{
    const QString stage = fixture(name + QStringLiteral(".stage"));
    const QString bundle = stage + '/' + bundleName;
    const QString info = bundle + QStringLiteral("/Contents/Info.plist");
    bool ok = QDir().mkpath(stage) && FileManager::defaultManager().copyItem(QStringLiteral(ORVO_BUNDLE_DIR), bundle) &&
              QDir(bundle + QStringLiteral("/Contents/_CodeSignature")).removeRecursively();
    QByteArray text = readFile(info);
    text.replace("<string>" ORVO_PLUGIN_VERSION "</string>", "<string>" + version.toUtf8() + "</string>");
    return ok && writeFile(info, text) && (!sign || signBundleForTest(bundle)) &&
           makeImage(stage, QStringLiteral("OrvoPlugin"), fixture(name));
}

void TestPluginUpdater::init()
{
    m_retries.clear();
    SessionDetails* s = SessionDetails::getInstance();
    s->setWebServerName(m_service.host());
    s->setLocalOrvoPluginAppVersion(QStringLiteral(ORVO_PLUGIN_VERSION));
    s->setCxp_token(QString(QLatin1String("")));
    s->setCxPluginUpdateNeeded(true);
    s->setCxPluginDownloadUrl(std::nullopt);
    s->setIsAppReplaceFlag(false);
    offer(true, QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE));
}

void TestPluginUpdater::cleanup()
{
    if (QFile::exists(root(QStringLiteral("/Volumes/OrvoPlugin")))) {
        QProcess::execute(QStringLiteral(ORVO_HDIUTIL_STANDIN),
                          {QStringLiteral("detach"), QStringLiteral("/Volumes/OrvoPlugin")});
    }
    QDir(stagingFolder()).removeRecursively();
    QFile::remove(root(QStringLiteral("/calls")));
}

void TestPluginUpdater::offer(bool update, const QString& imageFile)
{
    const QJsonObject file{{QStringLiteral("file"), imageFile}};
    m_service.configure(
        QJsonDocument(QJsonObject{
                          {QStringLiteral("plugin"),
                           QJsonObject{{QStringLiteral("update"), update},
                                       {QStringLiteral("download_url"),
                                        QStringLiteral("https://%1/agent/OrvoPlugin.dmg").arg(m_service.host())}}},
                          {QStringLiteral("pluginImage"), file},
                          {QStringLiteral("files"), QJsonObject{{QStringLiteral("/cdn/new.dmg"), imageFile}}},
                      })
            .toJson());
}

void TestPluginUpdater::latestVersionStartsNothing()
{
    SessionDetails::getInstance()->setCxPluginUpdateNeeded(false);
    OrvoPluginUpdater updater;
    LogCapture capture;
    updater.checkOrvoPluginUpdate();
    QCOMPARE(capture.text().count('\n'), 1);
    QVERIFY(capture.text().endsWith(QStringLiteral(
        "-[OrvoPluginUpdater checkOrvoPluginUpdate] Orvo Wendra Customer Plugin has Latest Version.\n")));
    QCOMPARE(updater.request(), nullptr);
    QVERIFY(!QFile::exists(stagingFolder()));
}

void TestPluginUpdater::staging_data()
{
    QTest::addColumn<QString>("url"); // "absent", else the answered location (%1: the service host)
    QTest::addColumn<QString>("served");
    QTest::addColumn<bool>("earlier");    // an older image and a bundle staged by an earlier run
    QTest::addColumn<QString>("refusal"); // "" when staged, else the line that says why not
    const QString plugin = QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE);
    const QString notStaged = QStringLiteral("copyAppFile] : Orvo Wendra Customer Plugin.app not staged: ");
    const QString noMount = QStringLiteral(
        "mountingOrvoPluginDmg] : The image was not attached; nothing staged from /Volumes/OrvoPlugin\n");
    QTest::newRow("service location, nothing earlier") << "absent" << plugin << false << "";
    QTest::newRow("answered location, earlier image and bundle replaced")
        << "https://%1/cdn/new.dmg" << plugin << true << "";
    QTest::newRow("failed mount") << "absent" << fixture("garbage") << false << noMount;
    QTest::newRow("failed mount keeps an earlier bundle") << "absent" << fixture("garbage") << true << noMount;
    QTest::newRow("older plugin") << "absent" << fixture("0.9.0") << false
                                  << notStaged + "its version 0.9.0 is not newer than the running " ORVO_PLUGIN_VERSION
                                                 "\n";
    QTest::newRow("same plugin again") << "absent" << fixture(ORVO_PLUGIN_VERSION) << true
                                       << notStaged + "its version " ORVO_PLUGIN_VERSION
                                                      " is not newer than the running " ORVO_PLUGIN_VERSION "\n";
    QTest::newRow("unsigned newer plugin") << "absent" << fixture("unsigned") << false << notStaged;
}

void TestPluginUpdater::staging()
{
    QFETCH(QString, url);
    QFETCH(QString, served);
    QFETCH(bool, earlier);
    QFETCH(QString, refusal);
    SessionDetails* s = SessionDetails::getInstance();
    if (url != QLatin1String("absent")) {
        s->setCxPluginDownloadUrl(placed(url));
    }
    if (earlier) {
        QVERIFY(writeFile(image(), "an older image"));
        QVERIFY(makeBundle(stagingFolder() + bundleName, QStringLiteral("0.9"), QString(), "old"));
    }
    offer(true, served);
    const QString location =
        url == QLatin1String("absent") ? QStringLiteral("/agent/OrvoPlugin.dmg") : QStringLiteral("/cdn/new.dmg");
    const bool mounted = !refusal.contains(QStringLiteral("not attached"));
    const bool staged = refusal.isEmpty();

    OrvoPluginUpdater updater;
    LogCapture capture;
    updater.checkOrvoPluginUpdate();
    QVERIFY(updater.request());
    QCOMPARE(updater.request()->httpMethod(), QStringLiteral("GET"));
    QCOMPARE(updater.request()->timeoutInterval(), std::chrono::milliseconds(240000));
    QCOMPARE(updater.request()->cachePolicy(), 0);
    const QString name = QStringLiteral("-[OrvoPluginUpdater ");
    QStringList lines{
        name + QStringLiteral("downloadorvoPlugindmg] : OrvoPlugin Dmg Url : https://") + m_service.host() + location +
            '\n',
        name + QStringLiteral("downloadorvoPlugindmg] destination path : ") + image() + '\n',
        name + QStringLiteral("downloadDidBegin:] : downloadDidstarted\n"),
        name + QStringLiteral("downloadDidFinish:] : downloadDidFinish\n"),
        name + QStringLiteral("downloadDidFinish:] : served by 127.0.0.1\n"),
        name +
            QStringLiteral("mountingOrvoPluginDmg] : dmg mount task termination status : %1\n").arg(mounted ? 0 : 1)};
    if (mounted) {
        lines << name + QStringLiteral("copyAppFile] : ") +
                     (earlier ? QStringLiteral("Existing Updated Orvo Plugin Removed in folder ")
                              : QStringLiteral("No Existing Updated Orvo Plugin Present in folder ")) +
                     stagingFolder() + '\n';
    }
    if (staged) {
        lines << name + QStringLiteral(
                            "copyAppFile] : Orvo Wendra Customer Plugin.app file copied to  OrvoCustomerPluginNative "
                            "folder\n");
    } else {
        lines << name + refusal;
    }
    if (mounted) {
        lines << name + QStringLiteral("unMountingOrvoPluginDmg] : Dmg unmount task termination status : 0\n");
    }
    QTRY_VERIFY_WITH_TIMEOUT(capture.text().contains(lines.last()), 30000);
    const QString log = capture.text();

    QVERIFY(m_service.record().startsWith(QStringLiteral("GET ") + location + QStringLiteral(" HTTP/1.1")));
    QStringList calls{QStringLiteral("mount|") + image()};
    if (mounted) {
        calls << QStringLiteral("detach|/Volumes/OrvoPlugin");
    }
    QCOMPARE(toolCalls(), calls);
    QString missing;
    QVERIFY2(inOrder(log, lines, &missing), qPrintable(missing + QStringLiteral("\n---\n") + log));
    QCOMPARE(log.contains(QStringLiteral("file copied to")), staged);
    QVERIFY(!log.contains(QStringLiteral("EXCEPTION")));

    QCOMPARE(s->isAppReplaceFlag(), staged);
    if (!earlier) {
        // Made by the updater: owner only, as start-up makes it.
        QCOMPARE(permissionBits(stagingFolder()), 0700);
    }
    // A failed mount takes nothing away; a refused bundle is not left staged, nor anything hidden.
    QCOMPARE(QDir(stagingFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             staged || (earlier && !mounted) ? QStringList{bundleName} : QStringList{});
    QVERIFY(!QFile::exists(root(QStringLiteral("/Volumes/OrvoPlugin"))));
    if (staged) {
        QCOMPARE(bundleVersion(stagingFolder() + bundleName), QStringLiteral(ORVO_NEWER_PLUGIN_VERSION));
        QVERIFY(QFileInfo(stagingFolder() + bundleName + QStringLiteral("/Contents/MacOS/Orvo Wendra Customer Plugin"))
                    .isExecutable());
    }
    QVERIFY(m_retries.isEmpty());
}

void TestPluginUpdater::newerVersion_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("running");
    QTest::addColumn<bool>("newer");
    QTest::addColumn<bool>("notOlder"); // as an agent over the installed one: the same again may go in
    QTest::newRow("higher last place") << "1.0.1"
                                       << "1.0.0" << true << true;
    QTest::newRow("places compare as numbers") << "1.0.10"
                                               << "1.0.9" << true << true;
    QTest::newRow("lower") << "0.9.0"
                           << "1.0.0" << false << false;
    QTest::newRow("equal") << "1.0.0"
                           << "1.0.0" << false << true;
    QTest::newRow("missing places count as zero") << "1.0"
                                                  << "1.0.0" << false << true;
    QTest::newRow("an extra place") << "1.0.0.1"
                                    << "1.0" << true << true;
    QTest::newRow("leading zeros") << "1.010"
                                   << "1.9" << true << true;
    QTest::newRow("beyond any integer") << "1.99999999999999999999999"
                                        << "1.99999999999999999999998" << true << true;
    QTest::newRow("running plugin not found") << "1.0.1"
                                              << "0" << true << true;
    QTest::newRow("letters") << "1.1b"
                             << "1.0" << false << false;
    QTest::newRow("empty place") << "1..2"
                                 << "1.0" << false << false;
    QTest::newRow("missing version") << "(null)"
                                     << "1.0" << false << false;
    QTest::newRow("running version unreadable") << "2.0"
                                                << "(null)" << false << true;
}

void TestPluginUpdater::newerVersion()
{
    QFETCH(QString, offered);
    QFETCH(QString, running);
    QFETCH(bool, newer);
    QFETCH(bool, notOlder);
    QCOMPARE(VersionNumber::isNewer(offered, running), newer);
    QCOMPARE(VersionNumber::isNotOlder(offered, running), notOlder);
}

void TestPluginUpdater::downloadFailures_data()
{
    QTest::addColumn<QString>("url"); // "absent", else the answered location (%1: host, %2: test folder)
    QTest::addColumn<int>("status");  // what the service answers for the image
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("failing");
    QTest::newRow("not found") << "absent" << 404 << "The server answered with HTTP status 404."
                               << "https://%1/agent/OrvoPlugin.dmg";
    QTest::newRow("present but empty") << "" << 200 << "unsupported URL"
                                       << "(null)";
    // The plugin replaces itself with what it downloads: only an authenticated location is fetched.
    QTest::newRow("plain http") << "http://%1/agent/OrvoPlugin.dmg" << 200 << "unsupported URL"
                                << "http://%1/agent/OrvoPlugin.dmg";
    QTest::newRow("file URL") << "file://%2/plugin.dmg" << 200 << "unsupported URL"
                              << "file://%2/plugin.dmg";
}

void TestPluginUpdater::downloadFailures()
{
    QFETCH(QString, url);
    QFETCH(int, status);
    QFETCH(QString, description);
    QFETCH(QString, failing);
    m_service.configure(QJsonDocument(QJsonObject{{QStringLiteral("pluginImage"),
                                                   QJsonObject{{QStringLiteral("status"), status},
                                                               {QStringLiteral("file"), ORVO_NEWER_PLUGIN_IMAGE}}}})
                            .toJson());
    if (url != QLatin1String("absent")) {
        SessionDetails::getInstance()->setCxPluginDownloadUrl(placed(url));
    }
    failing = placed(failing);
    QVERIFY(writeFile(image(), "an older image"));

    OrvoPluginUpdater updater;
    LogCapture capture;
    updater.checkOrvoPluginUpdate();
    QTRY_VERIFY_WITH_TIMEOUT(!m_retries.isEmpty(), 20000);
    QCOMPARE(m_retries, QList<const void*>{&updater});
    const QString log = capture.text();
    const QString name = QStringLiteral("-[OrvoPluginUpdater download:didFailWithError:] : ");
    QString missing;
    QVERIFY2(inOrder(log,
                     {name + QStringLiteral("Download failed! Error - ") + description + ' ' + failing + " \n",
                      name + QStringLiteral("Download failed! Whole Error - Error Domain=NSURLErrorDomain")},
                     &missing),
             qPrintable(missing + QStringLiteral("\n---\n") + log));
    QCOMPARE(log.count(QStringLiteral("Download failed!")), 2);
    QVERIFY(!log.contains(QStringLiteral("downloadDidFinish")));
    QVERIFY(toolCalls().isEmpty());
    QCOMPARE(m_service.record().isEmpty(), url != QLatin1String("absent"));
    QCOMPARE(readFile(image()), QByteArray("an older image"));
    QCOMPARE(QDir(stagingFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"OrvoPlugin.dmg"});
    QVERIFY(!SessionDetails::getInstance()->isAppReplaceFlag());
}

void TestPluginUpdater::startUpStagesWhileTheJoinWindowIsUp()
{
    // The update check hands over to the single updater; the join window comes up before anything is staged.
    SessionDetails::getInstance()->setCxPluginUpdateNeeded(false);
    AppDelegate delegate;
    LogCapture capture;
    delegate.applicationDidFinishLaunching();
    const auto joinWindowShown = [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("OrvoPluginWindowHandler") && widget->isVisible()) {
                return true;
            }
        }
        return false;
    };
    QVERIFY(joinWindowShown());
    QVERIFY(!QFile::exists(stagingFolder() + bundleName));
    QVERIFY(capture.text().contains(QStringLiteral("+[OrvoPluginUpdater getInstance] : Update Info Object Allocated")));
    QTRY_VERIFY_WITH_TIMEOUT(SessionDetails::getInstance()->isAppReplaceFlag(), 30000);
    QVERIFY(joinWindowShown());
    QCOMPARE(bundleVersion(stagingFolder() + bundleName), QStringLiteral(ORVO_NEWER_PLUGIN_VERSION));
    // Started once per run: a second hand-over makes no second download.
    LogCapture again;
    OrvoPluginUpdater::getInstance()->checkOrvoPluginUpdate();
    QVERIFY(again.text().contains(QStringLiteral("-[OrvoPluginUpdater downloadorvoPlugindmg] : Download failed\n")));
    QVERIFY(SessionDetails::getInstance()->isAppReplaceFlag());
}

void TestPluginUpdater::selfUpdateAcrossProcesses()
{
    // A copy of the built bundle, run as the customer would: its own home, system root and service.
    const QString app = m_dir.filePath(QStringLiteral("Applications/") + bundleName);
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("Applications"))));
    QVERIFY(FileManager::defaultManager().copyItem(QStringLiteral(ORVO_BUNDLE_DIR), app));
    QCOMPARE(bundleVersion(app), QStringLiteral(ORVO_PLUGIN_VERSION));
    const QString processHome = m_dir.filePath(QStringLiteral("process-home"));
    QVERIFY(writeFile(processHome + stagingPart + QStringLiteral("info.plist"),
                      plist({{QStringLiteral("WebServer"), m_service.host()}})));
    const QString logFile = processHome + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/orvoPlugin.log");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), processHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const auto run = [&](const QString& awaited) {
        // Only this run's lines count.
        const qsizetype from = readFile(logFile).size();
        QProcess plugin;
        plugin.setProcessEnvironment(env);
        plugin.start(app + QStringLiteral("/Contents/MacOS/Orvo Wendra Customer Plugin"));
        const bool seen =
            QTest::qWaitFor([&] { return QString::fromUtf8(readFile(logFile).mid(from)).contains(awaited); }, 60000);
        if (plugin.processId() > 0) {
            ::kill(static_cast<pid_t>(plugin.processId()), SIGTERM);
        }
        const bool ended = plugin.waitForFinished(60000);
        if (!ended) {
            plugin.kill();
            plugin.waitForFinished();
        }
        return seen && ended && plugin.exitStatus() == QProcess::NormalExit && plugin.exitCode() == 0;
    };

    offer(true, QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE));
    QVERIFY(run(QStringLiteral("-[OrvoPluginUpdater unMountingOrvoPluginDmg] : Dmg unmount task termination status")));
    QVERIFY(m_service.record().contains(QStringLiteral("GET /agent/OrvoPlugin.dmg HTTP/1.1")));
    QCOMPARE(bundleVersion(app), QStringLiteral(ORVO_NEWER_PLUGIN_VERSION));
    const QString first = QString::fromUtf8(readFile(logFile));
    QString missing;
    QVERIFY2(
        inOrder(first,
                {QStringLiteral("local Orvo Wendra Customer Plugin App version : " ORVO_PLUGIN_VERSION "\n"),
                 QStringLiteral("file copied to  OrvoCustomerPluginNative folder\n"),
                 QStringLiteral("-[AppDelegate applicationWillTerminate:] Updated Customer Plugin app Copied to ") +
                     app + '\n',
                 QStringLiteral("OrvoPlugin App terminated")},
                &missing),
        qPrintable(missing + QStringLiteral("\n---\n") + first));

    offer(false, QStringLiteral(ORVO_NEWER_PLUGIN_IMAGE));
    QVERIFY(run(QStringLiteral("-[ApiHandler pluginUpdateCheckApi] : Status code :")));
    const QString second = QString::fromUtf8(readFile(logFile)).mid(first.size());
    QVERIFY2(second.contains(
                 QStringLiteral("local Orvo Wendra Customer Plugin App version : " ORVO_NEWER_PLUGIN_VERSION "\n")),
             qPrintable(second));
    QVERIFY(second.contains(QStringLiteral("There is No Updated App downloaded from server.")));
}

QTEST_MAIN(TestPluginUpdater)
#include "tst_pluginupdater.moc"
