#include "AppDelegate.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/ProcessInfo.h"
#include "Platform/Log/TestHooks.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString primaryName = QStringLiteral("com.orvo.wendra.MacPlugin.plist");
const QString copyName = QStringLiteral("info.plist");

QByteArray plist(const QString& body)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n") + body.toUtf8() +
           QByteArrayLiteral("\n</plist>\n");
}

QByteArray settings(const QString& host, const QString& token, const QString& dc)
{
    return plist(QStringLiteral("<dict><key>WebServer</key><string>%1</string><key>cxp_token</key><string>%2</string>"
                                "<key>DC</key><string>%3</string><key>Other</key><integer>7</integer></dict>")
                     .arg(host, token, dc));
}

// The contents an info file can have in a row of the table.
QByteArray contents(const QString& kind)
{
    if (kind == QLatin1String("install")) {
        return settings(QStringLiteral("install.example"), QStringLiteral("tok-install"), QStringLiteral("eu"));
    }
    if (kind == QLatin1String("staged")) {
        return settings(QStringLiteral("staged.example"), QStringLiteral("tok-staged"), QStringLiteral("com"));
    }
    if (kind == QLatin1String("primary")) {
        return settings(QStringLiteral("primary.example"), QStringLiteral("tok-primary"), QStringLiteral("lab"));
    }
    if (kind == QLatin1String("dconly")) {
        return plist(QStringLiteral("<dict><key>DC</key><string>in</string></dict>"));
    }
    if (kind == QLatin1String("truncated")) {
        return contents(QStringLiteral("install")).left(90);
    }
    if (kind == QLatin1String("binary")) {
        return QByteArray("bplist00\xd1\x01\x02\xff\xff\xff\x00\x13garbage", 24);
    }
    if (kind == QLatin1String("array")) {
        return plist(QStringLiteral("<array><string>WebServer</string></array>"));
    }
    if (kind == QLatin1String("numberhost")) {
        return plist(QStringLiteral("<dict><key>WebServer</key><integer>5</integer><key>DC</key><string>uk</string>"
                                    "</dict>"));
    }
    return QByteArrayLiteral("this is not a property list");
}

void write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

} // namespace

class TestLaunchArguments : public QObject
{
    Q_OBJECT

private slots:
    void startKinds_data();
    void startKinds();
};

void TestLaunchArguments::startKinds_data()
{
    QTest::addColumn<QStringList>("arguments");      // "@DIR@" is the installer's folder
    QTest::addColumn<QStringList>("installerFiles"); // "name=kind"
    QTest::addColumn<QStringList>("stagedFiles");
    QTest::addColumn<QStringList>("expected");    // webServerName, cxp_token, dcName
    QTest::addColumn<QString>("expectedLog");     // "@STAGE@" is the staging folder
    QTest::addColumn<QString>("stagedCopyAfter"); // kind of the staging info.plist afterwards, "" for none

    const QStringList none;
    const QStringList installer = {QStringLiteral("/opt/plugin"), QStringLiteral("@DIR@/Setup.pkg"),
                                   QStringLiteral("Installer-Plugin")};
    const QStringList installValues = {QStringLiteral("install.example"), QStringLiteral("tok-install"),
                                       QStringLiteral("eu")};
    const QStringList empties = {QString(), QString(), QString()};

    QTest::newRow("customer, nothing staged")
        << QStringList{QStringLiteral("/opt/plugin")} << none << none << empties
        << QStringLiteral("info.plist Not Present file at path :@STAGE@info.plist") << QString();
    QTest::newRow("customer, staged copy")
        << QStringList{QStringLiteral("/opt/plugin")} << none << QStringList{copyName + QStringLiteral("=staged")}
        << QStringList{QStringLiteral("staged.example"), QStringLiteral("tok-staged"), QStringLiteral("com")}
        << QStringLiteral("Invoked By User.") << QStringLiteral("staged");
    QTest::newRow("customer, both names: the primary name wins")
        << QStringList{QStringLiteral("/opt/plugin")} << none
        << QStringList{copyName + QStringLiteral("=staged"), primaryName + QStringLiteral("=primary")}
        << QStringList{QStringLiteral("primary.example"), QStringLiteral("tok-primary"), QStringLiteral("lab")}
        << QStringLiteral("Info plist Filepath :  @STAGE@com.orvo.wendra.MacPlugin.plist") << QStringLiteral("staged");
    QTest::newRow("installer, primary name")
        << installer << QStringList{primaryName + QStringLiteral("=install")} << none << installValues
        << QStringLiteral("PluginInfo File copied successfully to folder : "
                          "@STAGE@info.plist")
        << QStringLiteral("install");
    QTest::newRow("installer, info.plist name")
        << installer << QStringList{copyName + QStringLiteral("=install")} << none << installValues
        << QStringLiteral("Invoked By Orvo Plugin Installer.") << QStringLiteral("install");
    QTest::newRow("argument with a prefix is a customer start")
        << QStringList{QStringLiteral("/opt/plugin"), QStringLiteral("@DIR@/Setup.pkg"),
                       QStringLiteral("my-Installer-Plugin")}
        << QStringList{primaryName + QStringLiteral("=install")} << none << empties
        << QStringLiteral("Invoked By User.") << QString();
    QTest::newRow("only DC") << installer << QStringList{primaryName + QStringLiteral("=dconly")} << none
                             << QStringList{QString(), QString(), QStringLiteral("in")}
                             << QStringLiteral("Websername :  , Cxp_Token :   , DC = in") << QStringLiteral("dconly");
    for (const char* kind : {"garbage", "truncated", "binary", "array"}) {
        QTest::newRow(qPrintable(QStringLiteral("unreadable info file: %1").arg(QLatin1String(kind))))
            << installer << QStringList{primaryName + QLatin1Char('=') + QLatin1String(kind)} << none << empties
            << QStringLiteral("Failed to read the info.plist file at path :@DIR@/com.orvo.wendra.MacPlugin.plist")
            << QString::fromLatin1(kind);
    }
    QTest::newRow("installer, file missing")
        << installer << none << none << empties
        << QStringLiteral("PluginInfo file does not exist at path : @DIR@/info.plist") << QString();
    QTest::newRow("second installer start replaces the staged copy")
        << installer << QStringList{primaryName + QStringLiteral("=install")}
        << QStringList{copyName + QStringLiteral("=staged")} << installValues
        << QStringLiteral("PluginInfo File copied successfully") << QStringLiteral("install");
    QTest::newRow("a value that is not text is ignored")
        << installer << QStringList{primaryName + QStringLiteral("=numberhost")} << none
        << QStringList{QString(), QString(), QStringLiteral("uk")} << QStringLiteral("Ignoring the value of WebServer")
        << QStringLiteral("numberhost");
}

void TestLaunchArguments::startKinds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, installerFiles);
    QFETCH(QStringList, stagedFiles);
    QFETCH(QStringList, expected);
    QFETCH(QString, expectedLog);
    QFETCH(QString, stagedCopyAfter);

    QTemporaryDir home;
    QTemporaryDir installDir;
    qputenv("HOME", home.path().toLocal8Bit());
    const QString stage = home.path() + QStringLiteral("/Library/Application Support/OrvoCustomerPluginNativeFolder/");
    QVERIFY(QDir().mkpath(stage));
    for (const QString& entry : installerFiles) {
        write(installDir.filePath(entry.section(QLatin1Char('='), 0, 0)), contents(entry.section(QLatin1Char('='), 1)));
    }
    for (const QString& entry : stagedFiles) {
        write(stage + entry.section(QLatin1Char('='), 0, 0), contents(entry.section(QLatin1Char('='), 1)));
    }
    arguments.replaceInStrings(QStringLiteral("@DIR@"), installDir.path());
    const HookGuard launch(TestHooks::arguments, arguments);

    AppDelegate delegate;
    delegate.setDefaultValues();
    LogCapture capture;
    delegate.parseCommandLineArgs();
    const QString log = capture.text();

    SessionDetails* s = SessionDetails::getInstance();
    QCOMPARE(s->webServerName().value_or(QStringLiteral("<absent>")), expected[0]);
    QCOMPARE(s->cxp_token().value_or(QStringLiteral("<absent>")), expected[1]);
    QCOMPARE(s->dcName().value_or(QStringLiteral("<absent>")), expected[2]);
    QCOMPARE(s->plistWebServerName(), s->webServerName());
    QCOMPARE(s->plistDcName(), s->dcName());
    QVERIFY2(log.contains(QString(expectedLog)
                              .replace(QStringLiteral("@STAGE@"), stage)
                              .replace(QStringLiteral("@DIR@"), installDir.path())),
             qPrintable(log));
    // The summary line closes every parse.
    QVERIFY(log.trimmed().section(QLatin1Char('\n'), -1).contains(QStringLiteral("Arguments Readed From Server")));

    QFile copy(stage + copyName);
    if (stagedCopyAfter.isEmpty()) {
        QVERIFY(!copy.exists());
    } else {
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), contents(stagedCopyAfter));
        if (!installerFiles.isEmpty() && arguments.contains(QStringLiteral("Installer-Plugin"))) {
            QCOMPARE(permissionBits(copy.fileName()), 0600);
        }
    }
    // No temporary copy is left behind.
    QCOMPARE(QDir(stage).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".copy-")).size(), 0);
}

QTEST_GUILESS_MAIN(TestLaunchArguments)
#include "tst_launcharguments.moc"
