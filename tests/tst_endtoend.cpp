#include "ChildProcess.h"
#include "TestSupport.h"
#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

const QString started = QStringLiteral("OrvoPlugin App Started");
const QString closing = QStringLiteral("OrvoPlugin App terminated");
const QString checkAnswered = QStringLiteral("-[ApiHandler pluginUpdateCheckApi] : Status code : 200");
const QString noUpdates = QStringLiteral("{\"plugin\":{\"update\":false,\"download_url\":\"\"},"
                                         "\"agent\":{\"update_needed\":false,\"download_url\":\"\"}}");

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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

// One customer's machine: a home folder and a system root of its own.
class Sandbox
{
public:
    Sandbox() { QDir().mkpath(home()); }
    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString logFolder() const { return home() + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/"); }
    QString log() const { return readText(logFolder() + QStringLiteral("orvoPlugin.log")); }
    QString stagingFolder() const
    {
        return home() + QStringLiteral("/Library/Application Support/OrvoCustomerPluginNativeFolder/");
    }
    // The environment the plugin starts with on this machine, showing its windows on display.
    QProcessEnvironment environment(const XSession& display, const QString& caFile) const
    {
        QProcessEnvironment env = display.environment();
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("SSL_CERT_FILE"), caFile);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        return env;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startWithoutDisplay_data();
    void startWithoutDisplay();
    void customerStartAfterInstallerStart();
    void liveLogRotatesWhileRunning();

private:
    bool startPlugin(ChildProcess& plugin, const Sandbox& box, const QStringList& arguments = {});

    QTemporaryDir m_shared;
    XSession m_x;
    Standin m_service;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY(makeTestCertificates(m_shared.filePath(QStringLiteral("certs"))));
    QVERIFY(m_service.start(m_shared.filePath(QStringLiteral("certs")), m_shared.path()));
    QVERIFY(m_x.start());
}

bool TestEndToEnd::startPlugin(ChildProcess& plugin, const Sandbox& box, const QStringList& arguments)
{
    plugin.setEnvironment(box.environment(m_x, m_shared.filePath(QStringLiteral("certs/ca.pem"))));
    return plugin.start(QStringLiteral(ORVO_BUNDLE_EXECUTABLE), arguments);
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
    QVERIFY(plugin.start(QStringLiteral(ORVO_BUNDLE_EXECUTABLE), arguments));
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

void TestEndToEnd::customerStartAfterInstallerStart()
{
    Sandbox box;
    m_service.configure(noUpdates.toUtf8());
    const QString installerFile = box.path(QStringLiteral("installer/com.orvo.wendra.MacPlugin.plist"));
    QVERIFY(writeInfoFile(installerFile, m_service.host(), QStringLiteral("eu"), QStringLiteral("tok-6")));
    {
        ChildProcess plugin;
        QVERIFY(startPlugin(plugin, box,
                            {box.path(QStringLiteral("installer/Setup.pkg")), QStringLiteral("Installer-Plugin")}));
        QTRY_VERIFY_WITH_TIMEOUT(box.log().contains(checkAnswered), 30000);
        plugin.signal(SIGTERM);
        QVERIFY(plugin.waitForExit(30000));
    }
    QVERIFY(QFile::exists(box.stagingFolder() + QStringLiteral("info.plist")));
    // The installer's folder is gone by the time the customer starts the plugin again.
    QVERIFY(QFile::remove(installerFile));

    ChildProcess plugin;
    QVERIFY(startPlugin(plugin, box));
    QTRY_VERIFY_WITH_TIMEOUT(box.log().count(checkAnswered) == 2, 30000);
    const QString second = box.log().mid(box.log().lastIndexOf(started));
    QVERIFY(second.contains(QStringLiteral("Invoked By User.")));
    QVERIFY2(second.contains(QStringLiteral("Websername : %1 , Cxp_Token : tok-6  , DC = eu").arg(m_service.host())),
             qPrintable(second));
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
    QCOMPARE(file.write(marker + QByteArray(300 * 1024, '.')), qint64(marker.size() + 300 * 1024));
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

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
