#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/NotificationCenter.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <linux/fs.h>

using namespace ProvisioningFixtures;

namespace {

const QString agentFolderName = QStringLiteral("/Library/Application Support/OrvoMeetingNative");

// The immutable flag stops even root from removing a file; false where the file system lacks it.
bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL, true) &&
                    ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

} // namespace

class TestAgentUpgrader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void joinDetails_data();
    void joinDetails();
    void unremovableJoinDetailsKeepOldContent();
    void versionCheck_data();
    void versionCheck();
    void upgradeDecision_data();
    void upgradeDecision();

private:
    QString agentFolder() const { return m_home.path() + agentFolderName; }
    QString joinDetailsPath() const { return agentFolder() + QStringLiteral("/orvojoindetails.conf"); }

    QTemporaryDir m_home;
    int m_terminatePosts = 0;
    int m_retryPosts = 0;
};

void TestAgentUpgrader::initTestCase()
{
    qputenv("HOME", m_home.path().toLocal8Bit());
    // No disk-image tool and no system files: nothing from the machine leaks in.
    qputenv("ORVO_SYSTEM_ROOT", m_home.filePath(QStringLiteral("system-root")).toLocal8Bit());
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [this](const Notification&) { ++m_terminatePosts; });
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("RetryDMGDownloadig"), nullptr,
                                                    [this](const Notification&) { ++m_retryPosts; });
}

void TestAgentUpgrader::init()
{
    QVERIFY(QDir().mkpath(agentFolder()));
    m_terminatePosts = 0;
    m_retryPosts = 0;
    SessionDetails* s = SessionDetails::getInstance();
    s->setSessionKey(QStringLiteral("1234567890"));
    s->setWebServerName(QStringLiteral("eu.wendra.orvo.example"));
    s->setCxp_token(QString(QLatin1String("")));
    s->setDcName(QStringLiteral("eu"));
    s->setIsUpdateNeeded(false);
    s->setIsCdnAvailable(false);
}

void TestAgentUpgrader::cleanup()
{
    QDir(agentFolder()).removeRecursively();
}

void TestAgentUpgrader::joinDetails_data()
{
    QTest::addColumn<OptionalString>("key");
    QTest::addColumn<OptionalString>("host");
    QTest::addColumn<OptionalString>("token");
    QTest::addColumn<OptionalString>("dc");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QByteArray>("expected");
    const OptionalString empty(QString(QLatin1String("")));
    const OptionalString key(QStringLiteral("1234567890"));
    const OptionalString host(QStringLiteral("eu.wendra.orvo.example"));
    const OptionalString eu(QStringLiteral("eu"));
    QTest::newRow("no token") << key << host << empty << eu << false
                              << QByteArray("ORVO_MEETING_IND\n&key=1234567890&webServerName=eu.wendra.orvo.example"
                                            "&c_plugin=true&DC=eu&");
    QTest::newRow("absent token, older file replaced")
        << key << host << OptionalString() << eu << true
        << QByteArray("ORVO_MEETING_IND\n&key=1234567890&webServerName=eu.wendra.orvo.example&c_plugin=true&DC=eu&");
    QTest::newRow("token") << key << host << OptionalString(QStringLiteral("t0k")) << eu << false
                           << QByteArray("ORVO_MEETING_IND\n&key=1234567890&webServerName=eu.wendra.orvo.example"
                                         "&Cxp_token=t0k&c_plugin=true&DC=eu&");
    QTest::newRow("absent values") << OptionalString() << OptionalString()
                                   << OptionalString(QStringLiteral("secret-t0ken")) << OptionalString() << true
                                   << QByteArray(
                                          "ORVO_MEETING_IND\n&key=(null)&webServerName=(null)&Cxp_token=secret-t0ken"
                                          "&c_plugin=true&DC=(null)&");
    QTest::newRow("ampersands and percent signs unescaped")
        << OptionalString(QStringLiteral("12&x=1")) << OptionalString(QStringLiteral("h%@&"))
        << OptionalString(QStringLiteral("a&b=c")) << OptionalString(QStringLiteral("é")) << false
        << QByteArray("ORVO_MEETING_IND\n&key=12&x=1&webServerName=h%@&&Cxp_token=a&b=c&c_plugin=true&DC=\xc3\xa9&");
}

void TestAgentUpgrader::joinDetails()
{
    QFETCH(OptionalString, key);
    QFETCH(OptionalString, host);
    QFETCH(OptionalString, token);
    QFETCH(OptionalString, dc);
    QFETCH(bool, existing);
    QFETCH(QByteArray, expected);
    SessionDetails* s = SessionDetails::getInstance();
    s->setSessionKey(key);
    s->setWebServerName(host);
    s->setCxp_token(token);
    s->setDcName(dc);
    if (existing) {
        QVERIFY(writeFile(joinDetailsPath(), QByteArray(4096, 'o')));
    }
    LogCapture capture;
    OrvoAppUpgrader::getInstance()->modifyOrvoJoinDetails();
    QCOMPARE(readFile(joinDetailsPath()), expected);
    QCOMPARE(permissionBits(joinDetailsPath()), 0600);
    QCOMPARE(QDir(agentFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"orvojoindetails.conf"});
    const QString log = capture.text();
    const QString name = QStringLiteral("-[OrvoAppUpgrader modifyOrvoJoinDetails] : ");
    QVERIFY(log.contains(name +
                         (existing ? QStringLiteral("orvojoindetails.conf file already Present in folder ")
                                   : QStringLiteral("orvojoindetails.conf file Not Present in folder ")) +
                         joinDetailsPath() + QLatin1Char('\n')));
    QVERIFY(log.contains(
        name + QStringLiteral("New orvojoindetails.conf file has been created by customer plugin in folder %1 \n")
                   .arg(joinDetailsPath())));
    QVERIFY(log.contains(name + QStringLiteral("Orvo Joindetails Content : Session key=%1 webServerName=%2 DC=%3\n")
                                    .arg(key.value_or("(null)"), host.value_or("(null)"), dc.value_or("(null)"))));
    // The token is for the agent only.
    QVERIFY(!token || token->isEmpty() || !log.contains(*token));
}

void TestAgentUpgrader::unremovableJoinDetailsKeepOldContent()
{
    QVERIFY(writeFile(joinDetailsPath(), "old"));
    if (!setImmutable(joinDetailsPath(), true)) {
        QSKIP("the file system cannot make a file unremovable here");
    }
    LogCapture capture;
    OrvoAppUpgrader::getInstance()->modifyOrvoJoinDetails();
    setImmutable(joinDetailsPath(), false);
    QCOMPARE(readFile(joinDetailsPath()), QByteArray("old"));
    const QString log = capture.text();
    QVERIFY(
        log.contains(QStringLiteral("Unable to Remove old orvojoindetails.conf file by customer plugin in folder ") +
                     joinDetailsPath() + QLatin1Char('\n')));
    QVERIFY(!log.contains(QStringLiteral("New orvojoindetails.conf")));
}

void TestAgentUpgrader::versionCheck_data()
{
    QTest::addColumn<QString>("installed"); // "none", "folder missing", or the bundle's version
    QTest::addColumn<QString>("signature"); // "signed", "unsigned" or "altered" (a byte changed after signing)
    QTest::addColumn<QString>("stored");    // at start-up
    QTest::addColumn<QString>("sent");      // once Join has waited for the check
    QTest::newRow("no agent") << "none"
                              << "unsigned"
                              << "0"
                              << "0";
    QTest::newRow("no agent folder") << "folder missing"
                                     << "unsigned"
                                     << "0"
                                     << "0";
    QTest::newRow("installed") << "6.1.0"
                               << "signed"
                               << "6.1.0"
                               << "6.1.0";
    QTest::newRow("installed without a version") << ""
                                                 << "signed"
                                                 << "(null)"
                                                 << "(null)";
    QTest::newRow("installed unsigned") << "6.1.0"
                                        << "unsigned"
                                        << "6.1.0"
                                        << "0";
    QTest::newRow("installed, altered after signing") << "6.1.0"
                                                      << "altered"
                                                      << "6.1.0"
                                                      << "0";
}

void TestAgentUpgrader::versionCheck()
{
    QFETCH(QString, installed);
    QFETCH(QString, signature);
    QFETCH(QString, stored);
    QFETCH(QString, sent);
    const QString bundle = agentFolder() + QStringLiteral("/Orvo.app");
    if (installed == QLatin1String("folder missing")) {
        QVERIFY(QDir(agentFolder()).removeRecursively());
    } else if (installed != QLatin1String("none")) {
        const QList<QPair<QString, QString>> info =
            installed.isEmpty()
                ? QList<QPair<QString, QString>>{{QStringLiteral("CFBundleName"), QStringLiteral("O")}}
                : QList<QPair<QString, QString>>{{QStringLiteral("CFBundleShortVersionString"), installed}};
        QVERIFY(writeFile(bundle + QStringLiteral("/Contents/Info.plist"), plist(info)));
        QVERIFY(writeFile(bundle + QStringLiteral("/Contents/Resources/data"), "data"));
        QVERIFY(signature == QLatin1String("unsigned") || signBundleForTest(bundle));
        QVERIFY(signature != QLatin1String("altered") ||
                writeFile(bundle + QStringLiteral("/Contents/Resources/data"), "data!"));
    }
    SessionDetails::getInstance()->setLocalOrvoAppVersion(std::nullopt);
    LogCapture capture;
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
    QCOMPARE(SessionDetails::getInstance()->localOrvoAppVersion(), OptionalString(stored));
    QCOMPARE(OrvoAppUpgrader::getInstance()->verifyInstalledAgent(), installed != "none" && signature == "signed");
    QCOMPARE(SessionDetails::getInstance()->localOrvoAppVersion(), OptionalString(sent));
    // The version-check path carries a doubled separator before the bundle's name.
    const QString checked = agentFolder() + QStringLiteral("//Orvo.app");
    const QString line =
        stored == QLatin1String("0")
            ? QStringLiteral(" : Orvo app not found, Setting app version to zero ( default) ") + checked
            : QStringLiteral(" local Orvo App version : ") + stored + QLatin1Char(' ') + checked;
    QVERIFY2(capture.text().contains(QStringLiteral("-[OrvoAppUpgrader orvoAppVersionCheck]") + line + '\n'),
             qPrintable(capture.text()));
    // A refused agent is named once, with the reason.
    const QString refused = QStringLiteral("-[OrvoAppUpgrader verifyInstalledAgent] : Orvo app ") + checked +
                            QStringLiteral(" not used, Setting app version to zero: ");
    QCOMPARE(capture.text().count(refused), stored != sent ? 1 : 0);
    OrvoAppUpgrader::getInstance()->verifyInstalledAgent();
    QCOMPARE(capture.text().count(refused), stored != sent ? 1 : 0);
}

void TestAgentUpgrader::upgradeDecision_data()
{
    QTest::addColumn<bool>("updateNeeded");
    QTest::addColumn<QString>("installed"); // "none", "signed" or "unsigned"
    QTest::newRow("current agent is launched") << false << "signed";
    QTest::newRow("unverifiable agent is not launched") << false << "unsigned";
    QTest::newRow("missing agent: Retry offered") << false << "none";
    QTest::newRow("refused download keeps the agent") << true << "signed";
    QTest::newRow("refused download without an agent") << true << "none";
}

void TestAgentUpgrader::upgradeDecision()
{
    QFETCH(bool, updateNeeded);
    QFETCH(QString, installed);
    const QString bundle = agentFolder() + QStringLiteral("/Orvo.app");
    const QString tool = agentFolder() + QStringLiteral("/OrvoPingAgent");
    if (installed != QLatin1String("none")) {
        QVERIFY(makeRecordingAgent(bundle));
        QVERIFY(installed == QLatin1String("unsigned") || signBundleForTest(bundle));
    }
    QVERIFY(writeFile(tool, "old tool"));
    const QStringList agentBefore = treeListing(bundle);
    SessionDetails* s = SessionDetails::getInstance();
    s->setIsUpdateNeeded(updateNeeded);
    // A plain http location is refused, so the download fails at once without the network.
    s->setIsCdnAvailable(true);
    s->setCdnUrl(QStringLiteral("http://cdn.wendra.orvo.example/OrvoMac.dmg"));

    LogCapture capture;
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
    OrvoAppUpgrader::getInstance()->orvoAppUpdater();
    QVERIFY(QFile::exists(joinDetailsPath()));
    QCOMPARE(readFile(tool), QByteArray("old tool"));
    const QString log = capture.text();
    const QString name = QStringLiteral("-[OrvoAppUpgrader orvoAppUpdater] : ");
    if (!updateNeeded) {
        QVERIFY(log.contains(name + QStringLiteral("This mac has latest Orvo App\n")));
        // The plugin quits only once the agent has started; else the window stays, offering Retry.
        const bool launched = installed == QLatin1String("signed");
        QCOMPARE(m_terminatePosts, launched ? 1 : 0);
        QCOMPARE(JoinProgressWindow::getInstance()->isShowingFailure(), !launched);
        if (launched) {
            QTRY_COMPARE(recordedAgentArguments(bundle), agentArguments());
            QVERIFY(log.contains(QStringLiteral("LaunchApplication: Orvo.app launched successfully with args : (\n"
                                                "    \"-timestamps\",\n")));
        } else {
            QVERIFY(!log.contains(QStringLiteral("LaunchApplication:")));
            QCOMPARE(
                log.contains(QStringLiteral("] : Orvo app ") + agentFolder() + QStringLiteral("//Orvo.app not used")),
                installed == QLatin1String("unsigned"));
        }
        // The join details are written before the launch.
        QVERIFY(log.indexOf(QStringLiteral("modifyOrvoJoinDetails]")) <
                log.indexOf(launched ? QStringLiteral("closeWindow]") : QStringLiteral("showFailure:]")));
        return;
    }
    QVERIFY(log.contains(name + QStringLiteral("Updated Orvo App Version Available in Server..\n")));
    // The installed agent stays until a verified successor replaces it.
    QCOMPARE(treeListing(bundle), agentBefore);
    QVERIFY(QDir(agentFolder())
                .entryList({QStringLiteral(".*")}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
    QTRY_COMPARE(m_retryPosts, 1);
    QCOMPARE(m_terminatePosts, 0);
    // The window answers the failed download with its message and Retry.
    QVERIFY(JoinProgressWindow::getInstance()->isShowingFailure());
    const QString after = capture.text();
    QVERIFY(after.indexOf(QStringLiteral("modifyOrvoJoinDetails]")) <
            after.indexOf(QStringLiteral("startDownLoadingOrvoMacDmg] : Orvo Dmg Url : http://")));
    if (installed == QLatin1String("none")) {
        return;
    }
    // The next join, told the agent is current, launches the one that stayed.
    s->setIsUpdateNeeded(false);
    OrvoAppUpgrader::getInstance()->orvoAppVersionCheck();
    OrvoAppUpgrader::getInstance()->orvoAppUpdater();
    QCOMPARE(m_terminatePosts, 1);
    QTRY_COMPARE(recordedAgentArguments(bundle), agentArguments());
}

QTEST_MAIN(TestAgentUpgrader)
#include "tst_agentupgrader.moc"
