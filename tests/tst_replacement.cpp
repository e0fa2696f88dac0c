#include "Platform/Files/FileManager.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
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

using ProvisioningFixtures::treeListing;

namespace {

const QString bundleName = QStringLiteral("Orvo Wendra Customer Plugin.app");
const QString executableName = QStringLiteral("/Contents/MacOS/Orvo Wendra Customer Plugin");
const QString stagingFolder = QStringLiteral("/Library/Application Support/OrvoCustomerPluginNativeFolder/");
const QString exitName = QStringLiteral("-[AppDelegate applicationWillTerminate:] ");
// Root ignores permission bits, so as root the helper runs as this ordinary user (no account needed).
const QString otherUser = QStringLiteral("65534:65534");

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// A startable, signed bundle: the plugin's own executable, its Info.plist with version (and identifier, when
// given), and payload files whose contents differ between versions.
bool makeBundle(const QString& path, const QString& version, int payloadFiles, const QByteArray& identifier = {})
{
    const QString payload = path + QStringLiteral("/Contents/Resources/payload");
    QByteArray info = readText(QStringLiteral(ORVO_BUNDLE_DIR "/Contents/Info.plist")).toUtf8();
    info.replace("<string>" ORVO_PLUGIN_VERSION "</string>", "<string>" + version.toUtf8() + "</string>");
    if (!identifier.isEmpty()) {
        info.replace("<string>com.orvo.wendra.MacPlugin</string>", "<string>" + identifier + "</string>");
    }
    bool ok = QDir().mkpath(payload) && QDir().mkpath(path + QStringLiteral("/Contents/MacOS")) &&
              QFile::copy(QStringLiteral(ORVO_BUNDLE_EXECUTABLE), path + executableName) &&
              writeFile(path + QStringLiteral("/Contents/Info.plist"), info) &&
              ::symlink("payload", QFile::encodeName(path + QStringLiteral("/Contents/Resources/current"))) == 0;
    for (int i = 0; ok && i < payloadFiles; ++i) {
        ok = writeFile(payload + QStringLiteral("/f%1").arg(i),
                       QByteArray(16384, char('a' + i % 26)) + version.toUtf8());
    }
    return ok && signBundleForTest(path);
}

// Starts the bundle as the customer would and returns the version it reports ("" when it does not start).
QString startedVersion(const QString& app, const QString& home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    process.setProcessEnvironment(env);
    process.start(app + executableName);
    static const QRegularExpression reported(QStringLiteral("local Orvo Wendra Customer Plugin App version : (\\S+)"));
    const QString log = home + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/orvoPlugin.log");
    QString version;
    for (QDeadlineTimer deadline(20000); version.isEmpty() && !deadline.hasExpired();) {
        const bool finished = process.waitForFinished(20);
        version = reported.match(readText(log)).captured(1);
        if (finished || process.state() == QProcess::NotRunning) {
            break;
        }
    }
    process.kill();
    process.waitForFinished();
    return version;
}

bool chownTree(const QString& path, uid_t uid, gid_t gid)
{
    bool ok = ::lchown(QFile::encodeName(path).constData(), uid, gid) == 0;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (ok && it.hasNext()) {
        ok = ::lchown(QFile::encodeName(it.next()).constData(), uid, gid) == 0;
    }
    return ok;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Unsorted);
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

enum Setup
{
    Plain = 0,
    NothingStaged = 1,
    ReadOnlyParent = 2,
    UnreadableStagedFile = 4,
    NoRunningBundle = 8,
    Leftovers = 16,
    NoExchange = 32,
    AnotherReplacementRuns = 64,
    AlteredStaged = 128,
    ForeignStaged = 256,
    OlderStaged = 512,
    // The staged bundle's folders 0777 (one sticky), its files 0666, its executable set-user-ID.
    ModesOfItsOwn = 1024,
};

// A home with a staged new bundle (2.0), and the running old bundle (1.0) in a folder of its own.
class Fixture
{
public:
    Fixture(const QString& appName, int payloadFiles, const QByteArray& stagedIdentifier = {},
            const QString& stagedVersion = QStringLiteral("2.0"))
        : home(dir.filePath(QStringLiteral("home"))), staged(home + stagingFolder + bundleName),
          apps(dir.filePath(QStringLiteral("apps"))), app(apps + QLatin1Char('/') + appName),
          old(dir.filePath(QStringLiteral("old.app")))
    {
        ok = makeBundle(old, QStringLiteral("1.0"), payloadFiles) &&
             makeBundle(staged, stagedVersion, payloadFiles, stagedIdentifier) && QDir().mkpath(apps) && restoreOld();
        oldTree = treeListing(old);
        newTree = treeListing(staged);
    }
    bool restoreOld()
    {
        // Nothing may be there yet; the copy, which refuses to overwrite, says whether the old bundle is back.
        static_cast<void>(FileManager::defaultManager().removeItem(app));
        return FileManager::defaultManager().copyItem(old, app).ok();
    }
    QProcess* startHelper(const QStringList& options = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        helper.setProcessEnvironment(env);
        helper.start(QStringLiteral(ORVO_REPLACE_HELPER), options + QStringList{app});
        return &helper;
    }

    QTemporaryDir dir;
    QString home, staged, apps, app, old;
    QStringList oldTree, newTree;
    QProcess helper;
    bool ok = false;
};

} // namespace

class TestReplacement : public QObject
{
    Q_OBJECT

private slots:
    void atExit_data();
    void atExit();
    void programOutsideABundleReplacesNothing();
    void earlierStagedBundleIsNotInstalled();
    void killAtAnyPoint();
};

void TestReplacement::atExit_data()
{
    QTest::addColumn<QString>("appName");
    QTest::addColumn<int>("setup");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("outcome");

    const QString copied = QStringLiteral("Updated Customer Plugin app Copied to %APP%");
    QTest::newRow("success") << bundleName << int(Plain) << copied << "new";
    QTest::newRow("bundle renamed by the user") << "My Plugin.app" << int(Plain) << copied << "new";
    QTest::newRow("leftovers of a cut-short run") << bundleName << int(Leftovers) << copied << "new";
    QTest::newRow("another replacement at work beside it")
        << bundleName << int(Leftovers | AnotherReplacementRuns) << copied << "new";
    QTest::newRow("file system without the swap") << bundleName << int(NoExchange) << copied << "new";
    QTest::newRow("staged bundle gone") << bundleName << int(NothingStaged)
                                        << "There is No Updated Plugin App Present in %HOME%" + stagingFolder << "old";
    QTest::newRow("read-only parent") << bundleName << int(ReadOnlyParent)
                                      << "Failed to Remove Existing old Customer plugin app (1.0) in folder %APP%"
                                      << "old";
    QTest::newRow("running bundle gone") << bundleName << int(NoRunningBundle)
                                         << "Not replacing %APP%: %APP% is no application bundle with an executable"
                                         << "missing";
    QTest::newRow("staged bundle altered after signing") << bundleName << int(AlteredStaged) << "Not replacing %APP%: "
                                                         << "old";
    QTest::newRow("staged bundle of another program")
        << bundleName << int(ForeignStaged)
        << "Not replacing %APP%: the staged bundle is com.orvo.other, the running one com.orvo.wendra.MacPlugin"
        << "old";
    QTest::newRow("staged bundle older than the running one")
        << bundleName << int(OlderStaged) << "Not replacing %APP%: its version 0.9 is not newer than the running 1.0"
        << "old";
    QTest::newRow("staged bundle with modes of its own") << bundleName << int(ModesOfItsOwn) << copied << "new";
    QTest::newRow("unreadable file in the staged bundle")
        << bundleName << int(UnreadableStagedFile) << "Failed to copy Updated Customer plugin app to folder %APP%"
        << "old";
}

void TestReplacement::atExit()
{
    QFETCH(QString, appName);
    QFETCH(int, setup);
    QFETCH(QString, line);
    QFETCH(QString, outcome);
    Fixture f(appName, 4, setup & ForeignStaged ? QByteArray("com.orvo.other") : QByteArray(),
              setup & OlderStaged ? QStringLiteral("0.9") : QStringLiteral("2.0"));
    QVERIFY(f.ok);
    QVERIFY(!(setup & AlteredStaged) ||
            writeFile(f.staged + QStringLiteral("/Contents/Resources/payload/f1"), "changed after signing"));
    QByteArray leftover = QFile::encodeName(f.apps + QStringLiteral("/.") + appName + QStringLiteral(".replace-"));
    QVERIFY(!(setup & Leftovers) || (QDir().mkpath(QString::fromUtf8(leftover + "a1b2c3/Contents")) &&
                                     writeFile(QString::fromUtf8(leftover + "Zz09_x"), "cut short")));
    QVERIFY(!(setup & NothingStaged) || FileManager::defaultManager().removeItem(f.staged).ok());
    QVERIFY(!(setup & NoRunningBundle) || FileManager::defaultManager().removeItem(f.app).ok());
    QVERIFY(!(setup & UnreadableStagedFile) ||
            ::chmod(QFile::encodeName(f.staged + QStringLiteral("/Contents/Resources/payload/f3")), 0) == 0);
    QVERIFY(!(setup & ReadOnlyParent) || ::chmod(QFile::encodeName(f.apps), 0555) == 0);
    QStringList options;
    if (::geteuid() == 0) {
        QVERIFY(chownTree(f.dir.path(), 65534, 65534));
        options << QStringLiteral("--as") << otherUser;
    }
    if (setup & NoExchange) {
        options << QStringLiteral("--no-exchange");
    }
    if (setup & ModesOfItsOwn) {
        // Set after any change of owner, which clears set-ID bits. The signature covers the owner's executable bit
        // only; the copy in place must have our modes all the same.
        const QByteArray contents = QFile::encodeName(f.staged + QStringLiteral("/Contents"));
        for (const auto& [path, mode] :
             QList<QPair<QByteArray, mode_t>>{{contents, 0777},
                                              {contents + "/Resources/payload", 01777},
                                              {contents + "/Info.plist", 0666},
                                              {contents + "/Resources/payload/f0", 02666},
                                              {QFile::encodeName(f.staged + executableName), 04777}}) {
            QCOMPARE(::chmod(path.constData(), mode), 0);
        }
    }

    // A replacement in progress holds a shared lock on the folder; its hidden copy must survive ours.
    const int lock = ::open(QFile::encodeName(f.apps).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(!(setup & AnotherReplacementRuns) || ::flock(lock, LOCK_SH) == 0);
    QProcess* helper = f.startHelper(options);
    QVERIFY(helper->waitForFinished(60000));
    ::close(lock);
    ::chmod(QFile::encodeName(f.apps), 0755);
    if (helper->exitCode() == 3) {
        QSKIP("cannot run the helper as an ordinary user here");
    }
    const QString log = QString::fromUtf8(helper->readAllStandardError());
    line.replace(QStringLiteral("%APP%"), f.app).replace(QStringLiteral("%HOME%"), f.home);
    const qsizetype initiated = log.indexOf(exitName + QStringLiteral("Updated Customer Plugin Downloaded from server "
                                                                      "and Initiate to Copy \n"));
    // A refusal's reason is whatever the check found; the rest of each line is as given.
    QVERIFY2(initiated >= 0 && log.indexOf(exitName + line + (line.endsWith(' ') ? "" : "\n")) > initiated,
             qPrintable(log));
    // The decision line, the outcome line and the closing banner, nothing more.
    QCOMPARE(log.count(exitName), 3);

    QCOMPARE(treeListing(f.app), outcome == "new" ? f.newTree : outcome == "old" ? f.oldTree : QStringList{"missing"});
    if ((outcome == "new" && !(setup & ModesOfItsOwn)) || (setup & ForeignStaged)) {
        QCOMPARE(treeListing(f.staged), f.newTree);
    }
    // Nothing hidden is left beside the bundle, and no bundle appears under the staged name.
    QStringList left = outcome == "missing" ? QStringList() : QStringList{appName};
    if (setup & AnotherReplacementRuns) {
        left << "." + appName + ".replace-Zz09_x"
             << "." + appName + ".replace-a1b2c3";
    }
    QCOMPARE(sorted(entries(f.apps)), sorted(left));
    if (outcome != "missing") {
        QCOMPARE(startedVersion(f.app, f.dir.filePath(QStringLiteral("start"))), outcome == "new" ? "2.0" : "1.0");
    }
}

void TestReplacement::programOutsideABundleReplacesNothing()
{
    // The program lies in a plain folder beside a file of the customer's; its "bundle" is that folder.
    Fixture f(bundleName, 4);
    QVERIFY(f.ok);
    const QString folder = f.dir.filePath(QStringLiteral("customer"));
    QVERIFY(QDir().mkpath(folder) && writeFile(folder + QStringLiteral("/letter.txt"), "Dear Sir,") &&
            QFile::copy(QStringLiteral(ORVO_REPLACE_HELPER), folder + QStringLiteral("/program")));
    QVERIFY(QFile::setPermissions(folder + QStringLiteral("/program"), QFile::ReadOwner | QFile::ExeOwner));
    const QStringList before = treeListing(folder);
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), f.home);
    helper.setProcessEnvironment(env);
    helper.start(folder + QStringLiteral("/program"));
    QVERIFY(helper.waitForFinished(60000));
    const QString log = QString::fromUtf8(helper.readAllStandardError());
    QVERIFY2(
        log.contains(exitName +
                     QStringLiteral("Not replacing %1: %1 is no application bundle with an executable\n").arg(folder)),
        qPrintable(log));
    QCOMPARE(treeListing(folder), before);
    QCOMPARE(sorted(entries(f.dir.path())), sorted({"apps", "customer", "home", "old.app"}));
}

void TestReplacement::earlierStagedBundleIsNotInstalled()
{
    Fixture f(bundleName, 4);
    QVERIFY(f.ok);
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), f.home);
    run.setProcessEnvironment(env);
    run.start(f.app + executableName);
    const QString log = f.home + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/orvoPlugin.log");
    QTRY_VERIFY_WITH_TIMEOUT(readText(log).contains(QStringLiteral("Plugin App version : 1.0")), 20000);
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    QVERIFY(run.waitForFinished(90000));
    QVERIFY2(readText(log).contains(exitName + QStringLiteral("There is No Updated App downloaded from server.\n")),
             qPrintable(readText(log)));
    QCOMPARE(treeListing(f.app), f.oldTree);
    QCOMPARE(treeListing(f.staged), f.newTree);
}

void TestReplacement::killAtAnyPoint()
{
    // Enough data that copying and removing take a while.
    Fixture f(bundleName, 200);
    QVERIFY(f.ok);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(f.startHelper()->waitForFinished(60000));
    const int whole = int(clock.elapsed());
    QCOMPARE(treeListing(f.app), f.newTree);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    QStringList versions{QStringLiteral("1.0"), QStringLiteral("2.0")};
    int endedOld = 0;
    int endedNew = 0;
    bool isNew = true;
    for (int run = 0; run < 30; ++run) {
        // Never back to the older bundle: the old one is put in place again for each run that ended with the new.
        if (isNew) {
            QVERIFY(f.restoreOld());
        }
        QProcess* helper = f.startHelper();
        // Whatever point the replacement has reached by then.
        if (!helper->waitForFinished(int(random.bounded(quint32(whole) + 1)))) {
            ::kill(static_cast<pid_t>(helper->processId()), SIGKILL);
            QVERIFY(helper->waitForFinished(10000));
        }
        const QStringList now = treeListing(f.app);
        QVERIFY2(now == f.oldTree || now == f.newTree,
                 qPrintable(QStringLiteral("run %1, seed %2").arg(run).arg(seed)));
        isNew = now == f.newTree;
        (isNew ? endedNew : endedOld)++;
        QCOMPARE(startedVersion(f.app, f.dir.filePath(QStringLiteral("start%1").arg(run))), versions[isNew ? 1 : 0]);
    }
    qInfo("seed %u, whole run %d ms: %d kills left the old bundle, %d the new", seed, whole, endedOld, endedNew);

    // The next whole run clears what the killed ones left.
    QVERIFY(f.restoreOld());
    QVERIFY(f.startHelper()->waitForFinished(60000));
    QCOMPARE(treeListing(f.app), f.newTree);
    QCOMPARE(entries(f.apps), QStringList{bundleName});
}

QTEST_MAIN(TestReplacement)
#include "tst_replacement.moc"
