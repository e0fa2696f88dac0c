#include "AppDelegate.h"
#include "Platform/App/Application.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/QuitCommand.h"
#include "Platform/Log/TestHooks.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <signal.h>

namespace {

const QString openingRule = QStringLiteral("-[AppDelegate awakeFromNib] : "
                                           "********************************************************* ");
const QString openingTitle = QStringLiteral("-[AppDelegate awakeFromNib] : ************************** OrvoPlugin "
                                            "App Started ******* ");
const QString closing = QStringLiteral("-[AppDelegate applicationWillTerminate:] : ************************** "
                                       "OrvoPlugin App terminated ******* ");

// The message of each log line, without the date and process prefix; continuation lines are kept as they are.
QStringList messages(const QString& log)
{
    static const QRegularExpression prefix(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} .*?\\[\\d+:\\d+\\] "));
    QStringList out;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        out << QString(line).remove(prefix);
    }
    return out;
}

// Index of the first message containing text at or after from; -1 when there is none.
int find(const QStringList& lines, const QString& text, int from = 0)
{
    for (int i = from; i < lines.size(); ++i) {
        if (lines[i].contains(text)) {
            return i;
        }
    }
    return -1;
}

class PluginRun
{
public:
    explicit PluginRun(const QString& home, const QStringList& arguments = {}, const QString& caFile = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        if (!caFile.isEmpty()) {
            env.insert(QStringLiteral("SSL_CERT_FILE"), caFile);
        }
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(ORVO_BUNDLE_EXECUTABLE), arguments);
    }
    ~PluginRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    bool stop(int signalNumber)
    {
        ::kill(static_cast<pid_t>(m_process.processId()), signalNumber);
        return m_process.waitForFinished(90000);
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
};

// An installer's info file in folder naming host as the service, for a start by the installer.
QStringList installerStart(const QString& folder, const QString& host, const QByteArray& more = {})
{
    QFile info(folder + QStringLiteral("/com.orvo.wendra.MacPlugin.plist"));
    if (!info.open(QIODevice::WriteOnly)) {
        qFatal("cannot write the info file");
    }
    info.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>WebServer</key><string>" + host.toUtf8() +
               "</string>" + more + "</dict></plist>");
    return {folder + QStringLiteral("/Setup.pkg"), QStringLiteral("Installer-Plugin")};
}

QString logFile(const QString& home)
{
    return home + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/orvoPlugin.log");
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void installerStartThenCustomerStart();
    void startUpCheckReachesTheService();
    void quitSignals_data();
    void quitSignals();
    void unwritableHomeStillStartsAndQuits();
    void quitNotificationTerminatesOnce();
    void quitShortcutTerminates();
    void quitCommandOwnsSignalsOnce();
};

void TestStartup::installerStartThenCustomerStart()
{
    QTemporaryDir home;
    QTemporaryDir installer;
    // A port just released refuses at once, so the start-up check ends quickly.
    const QString host = closedLoopbackHost();
    const QStringList arguments = installerStart(
        installer.path(), host, "<key>cxp_token</key><string>tok</string><key>DC</key><string>eu</string>");

    {
        PluginRun run(home.path(), arguments);
        QTRY_VERIFY_WITH_TIMEOUT(readText(logFile(home.path())).contains(QStringLiteral("Status code :")), 20000);
        QVERIFY(run.stop(SIGTERM));
        QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process().exitCode(), 0);
        const QString original = QString::fromUtf8(run.process().readAllStandardError());
        QVERIFY2(original.contains(QStringLiteral("-[AppDelegate createOrvoPluginLogFolder] Orvo Plugin Log Folder "
                                                  "Created...")),
                 qPrintable(original));

        const QString log = readText(logFile(home.path()));
        QVERIFY(!log.contains(QStringLiteral("Log Folder Created")));
        QVERIFY(log.endsWith(QStringLiteral("\n\n")));
        const QStringList lines = messages(log);
        QCOMPARE(lines.value(0), openingRule);
        QCOMPARE(lines.value(1), openingTitle);
        QCOMPARE(lines.value(2), openingRule);
        QCOMPARE(lines.value(lines.size() - 3), closing);
        int at = 3;
        for (const QString& step :
             {QStringLiteral("Orvo Meeting Native Folder Created..."),
              QStringLiteral("Orvo Customer Plugin Native Folder Created..."),
              QStringLiteral("Command line aruguments : ("), QStringLiteral("Invoked By Orvo Plugin Installer."),
              QStringLiteral("Info plist Filepath :  ") + installer.path(),
              QStringLiteral("PluginInfo File copied successfully to folder : "),
              QStringLiteral("Arguments Readed From Server => Websername : ") + host +
                  QStringLiteral(" , Cxp_Token : tok  , DC = eu"),
              QStringLiteral("Orvo Customer Plugin App path : ") + QStringLiteral(ORVO_BUNDLE_DIR),
              QStringLiteral("local Orvo Wendra Customer Plugin App version : ") + QStringLiteral(ORVO_PLUGIN_VERSION),
              QStringLiteral("Request Url URL : https://") + host +
                  QStringLiteral("/api/v1/customer_plugin/check_update?os=mac&format=dmg&version=") +
                  QStringLiteral(ORVO_PLUGIN_VERSION) + QStringLiteral("&cxp_token=tok"),
              QStringLiteral("Status code : 0"), closing}) {
            const int found = find(lines, step, at);
            QVERIFY2(found >= 0,
                     qPrintable(QStringLiteral("missing or out of order: ") + step + QLatin1Char('\n') + log));
            at = found + 1;
        }
    }

    // A later start by the customer: the folders are there, and the settings come from the staged copy. What a
    // killed install left hidden in them goes; nothing else does.
    const QString agentFolder = home.filePath(QStringLiteral("Library/Application Support/OrvoMeetingNative/"));
    const QString stagingFolder =
        home.filePath(QStringLiteral("Library/Application Support/OrvoCustomerPluginNativeFolder/"));
    const QStringList leftovers{agentFolder + QStringLiteral(".Orvo.app.install-a1B2c3/Orvo.app/Contents"),
                                agentFolder + QStringLiteral(".OWPreLogin.install-Zz09_x"),
                                stagingFolder + QStringLiteral(".Orvo Wendra Customer Plugin.app.install-q1w2e3")};
    for (const QString& leftover : leftovers) {
        QVERIFY(QDir().mkpath(leftover));
    }
    QVERIFY(QDir().mkpath(agentFolder + QStringLiteral(".not-ours.install-a1b2")));
    PluginRun run(home.path());
    QTRY_VERIFY_WITH_TIMEOUT(readText(logFile(home.path())).count(QStringLiteral("Status code :")) == 2, 20000);
    QVERIFY(run.stop(SIGTERM));
    QCOMPARE(run.process().exitCode(), 0);
    const QString log = readText(logFile(home.path()));
    const QString second = log.mid(log.lastIndexOf(openingTitle));
    QVERIFY(second.contains(QStringLiteral("Orvo Meeting Native folder Already Present")));
    QVERIFY(second.contains(QStringLiteral("Orvo Customer Plugin Native folder Already Present")));
    QVERIFY(second.contains(QStringLiteral("Invoked By User.")));
    QVERIFY(second.contains(QStringLiteral("Websername : ") + host + QStringLiteral(" , Cxp_Token : tok  , DC = eu")));
    QVERIFY(!second.contains(QStringLiteral("Created...")));
    QCOMPARE(QDir(agentFolder).entryList({QStringLiteral(".*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{".not-ours.install-a1b2"});
    QVERIFY(QDir(stagingFolder)
                .entryList({QStringLiteral(".*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
    QVERIFY(messages(log).value(messages(log).size() - 3) == closing);
}

void TestStartup::startUpCheckReachesTheService()
{
    QTemporaryDir dir;
    QVERIFY(makeTestCertificates(dir.filePath(QStringLiteral("certs"))));
    Standin service;
    QVERIFY(service.start(dir.filePath(QStringLiteral("certs")), dir.path()));
    service.configure("{\"plugin\":{\"update\":false,\"download_url\":\"\"}}");
    const QString stage =
        dir.filePath(QStringLiteral("home/Library/Application Support/OrvoCustomerPluginNativeFolder"));
    QVERIFY(QDir().mkpath(stage));
    QFile info(stage + QStringLiteral("/info.plist"));
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write(QStringLiteral("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>WebServer</key><string>%1"
                              "</string></dict></plist>")
                   .arg(service.host())
                   .toUtf8());
    info.close();

    const QString home = dir.filePath(QStringLiteral("home"));
    PluginRun run(home, {}, dir.filePath(QStringLiteral("certs/ca.pem")));
    QTRY_VERIFY_WITH_TIMEOUT(readText(logFile(home)).contains(QStringLiteral("Status code :")), 20000);
    QVERIFY(run.stop(SIGTERM));
    const QString log = readText(logFile(home));
    QVERIFY2(log.contains(QStringLiteral("-[ApiHandler pluginUpdateCheckApi] : Status code : 200\n")), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("-[ApiHandler pluginUpdateCheckApi] response :  {")));
    QVERIFY(service.record().startsWith(QStringLiteral("GET /api/v1/customer_plugin/check_update?os=mac&format=dmg&"
                                                       "version=") +
                                        QStringLiteral(ORVO_PLUGIN_VERSION) + QStringLiteral(" HTTP/1.1")));
}

void TestStartup::quitSignals_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("duringCheck"); // sent while the start-up check waits for a service that never answers
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGTERM during the start-up check") << int(SIGTERM) << true;
}

void TestStartup::quitSignals()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, duringCheck);
    QTemporaryDir home;
    QTemporaryDir installer;
    Standin service;
    QString host = closedLoopbackHost();
    QString caFile;
    if (duringCheck) {
        QVERIFY(makeTestCertificates(installer.filePath(QStringLiteral("certs"))));
        QVERIFY(service.start(installer.filePath(QStringLiteral("certs")), installer.path()));
        service.configure("{\"plugin\":{\"never_answer\":true}}");
        host = service.host();
        caFile = installer.filePath(QStringLiteral("certs/ca.pem"));
    }
    PluginRun run(home.path(), installerStart(installer.path(), host), caFile);
    if (duringCheck) {
        QTRY_VERIFY_WITH_TIMEOUT(service.record().contains(QStringLiteral("/api/v1/customer_plugin/check_update")),
                                 20000);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(readText(logFile(home.path())).contains(QStringLiteral("Plugin App version")), 20000);
    }
    QVERIFY(run.stop(signalNumber));
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);
    const QString log = readText(logFile(home.path()));
    QCOMPARE(log.count(QStringLiteral("OrvoPlugin App terminated")), 1);
    // Taken while the check waited, not once its minute-long time-out had passed.
    QVERIFY2(!duringCheck || !log.contains(QStringLiteral("Status code :")), qPrintable(log));
}

void TestStartup::unwritableHomeStillStartsAndQuits()
{
    QTemporaryDir base;
    QFile blocker(base.filePath(QStringLiteral("plain-file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTemporaryDir installer;
    PluginRun run(blocker.fileName() + QStringLiteral("/home"), installerStart(installer.path(), closedLoopbackHost()));
    // Nothing can be redirected, so every line stays on the standard error the process started with.
    QByteArray original;
    QTRY_VERIFY_WITH_TIMEOUT((original += run.process().readAllStandardError()).contains("Plugin App version"), 20000);
    QVERIFY(run.stop(SIGTERM));
    QCOMPARE(run.process().exitCode(), 0);
    original += run.process().readAllStandardError();
    QVERIFY(original.contains("Failed to Create Orvo Plugin Log Folder..."));
    QVERIFY(original.contains("Failed to Create Orvo Meeting Native Folder..."));
    QVERIFY(original.contains("OrvoPlugin App terminated"));
}

void TestStartup::quitNotificationTerminatesOnce()
{
    int exits = 0;
    int status = -1;
    const HookGuard exit(TestHooks::exitFunction, [&](int code) {
        ++exits;
        status = code;
    });
    AppDelegate delegate;
    Application::setDelegate(&delegate);
    LogCapture capture;
    delegate.addObservers();
    NotificationCenter::defaultCenter().post(QStringLiteral("OrvoPluginTerminate"), this);
    // The observer is gone: termination would run again, but a second post finds nobody.
    NotificationCenter::defaultCenter().post(QStringLiteral("OrvoPluginTerminate"), this);
    QCOMPARE(exits, 1);
    QCOMPARE(status, 0);
    QCOMPARE(capture.text().count(QStringLiteral("OrvoPlugin App terminated")), 1);
    Application::setDelegate(nullptr);
}

void TestStartup::quitShortcutTerminates()
{
    int exits = 0;
    const HookGuard exit(TestHooks::exitFunction, [&](int) { ++exits; });
    QuitCommand quitCommand;
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(exits, 1);
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(exits, 1);
}

namespace {

int signalsSeen = 0;
void countSignal(int)
{
    ++signalsSeen;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

sighandler_t currentHandler(int signalNumber)
{
    struct sigaction action = {};
    sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

void TestStartup::quitCommandOwnsSignalsOnce()
{
    int exits = 0;
    const HookGuard exit(TestHooks::exitFunction, [&](int) { ++exits; });
    signal(SIGTERM, countSignal);
    signal(SIGINT, countSignal);
    const int descriptors = openDescriptors();
    {
        QuitCommand first;
        const sighandler_t installed = currentHandler(SIGTERM);
        QVERIFY(installed != countSignal);
        {
            // A second one leaves the first one's signals and socket alone, also when it goes away.
            QuitCommand second;
        }
        QVERIFY(currentHandler(SIGTERM) == installed);
        ::raise(SIGTERM);
        QTRY_COMPARE(exits, 1);
    }
    // The earlier dispositions are back and the socket pair is closed.
    QCOMPARE(openDescriptors(), descriptors);
    ::raise(SIGINT);
    QCOMPARE(signalsSeen, 1);
    QVERIFY(currentHandler(SIGTERM) == &countSignal);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
