#include "Handlers/OrvoDmgDownloader.h"
#include "Platform/App/Workspace.h"
#include "Platform/Files/Task.h"
#include "Platform/Log/PlatformException.h"
#include "ProvisioningFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

#include <algorithm>

using namespace ProvisioningFixtures;

class TestTaskAndWorkspace : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void waitKeepsMainThreadTimerFiring();
    void programThatCannotStart_data();
    void programThatCannotStart();
    void boundedWait_data();
    void boundedWait();
    void launch_data();
    void launch();

private:
    QTemporaryDir m_dir;
};

void TestTaskAndWorkspace::initTestCase()
{
    qputenv("ORVO_SYSTEM_ROOT", m_dir.filePath(QStringLiteral("root")).toLocal8Bit());
}

void TestTaskAndWorkspace::waitKeepsMainThreadTimerFiring()
{
    // The tool waits for a file that only a main-thread timer creates: a blocking wait could never end well.
    const QString flag = m_dir.filePath(QStringLiteral("flag"));
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("root/usr/bin/waiter")),
                      "#!/bin/sh\ni=0\nwhile [ ! -e \"$1\" ]; do i=$((i+1)); [ $i -gt 3000 ] && exit 9; sleep 0.01; "
                      "done\nexit 0\n",
                      0755));
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        if (++ticks == 3) {
            writeFile(flag, "");
        }
    });
    timer.start(5);
    Task task;
    task.setLaunchPath(QStringLiteral("/usr/bin/waiter"));
    task.setArguments({flag});
    task.launch();
    task.waitUntilExit();
    QCOMPARE(task.terminationStatus(), 0);
    QVERIFY(ticks >= 3);
}

void TestTaskAndWorkspace::programThatCannotStart_data()
{
    QTest::addColumn<int>("mode"); // -1: missing
    QTest::newRow("missing") << -1;
    QTest::newRow("not executable") << 0644;
}

void TestTaskAndWorkspace::programThatCannotStart()
{
    QFETCH(int, mode);
    const QString tool = m_dir.filePath(QStringLiteral("root/usr/bin/hdiutil"));
    QFile::remove(tool);
    if (mode >= 0) {
        QVERIFY(writeFile(tool, "#!/bin/sh\nexit 0\n", mode));
    }
    Task task;
    task.setLaunchPath(QStringLiteral("/usr/bin/hdiutil"));
    QVERIFY_THROWS_EXCEPTION(PlatformException, task.launch());
    task.waitUntilExit(); // returns at once
    QVERIFY_THROWS_EXCEPTION(PlatformException, task.terminationStatus());
}

void TestTaskAndWorkspace::boundedWait_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("inTime");
    QTest::addColumn<int>("status");
    QTest::newRow("exits in time") << QByteArray("exit 3") << true << 3;
    // exec, so the shell's own child does not outlive the stop.
    QTest::newRow("hangs, stops on SIGTERM") << QByteArray("touch \"$0.ready\"\nexec sleep 600") << false << SIGTERM;
    QTest::newRow("hangs, ignores SIGTERM")
        << QByteArray("trap '' TERM\ntouch \"$0.ready\"\nwhile :; do sleep 0.05; done") << false << SIGKILL;
}

void TestTaskAndWorkspace::boundedWait()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, inTime);
    QFETCH(int, status);
    const QString tool = m_dir.filePath(QStringLiteral("root/usr/bin/tool"));
    QFile::remove(tool + QStringLiteral(".ready"));
    QVERIFY(writeFile(tool, "#!/bin/sh\n" + script + '\n', 0755));
    Task task;
    task.setLaunchPath(QStringLiteral("/usr/bin/tool"));
    task.launch();
    if (!inTime) {
        // Stopped only once it has set itself up, so the row tests the stop and not the start.
        QTRY_VERIFY(QFile::exists(tool + QStringLiteral(".ready")));
    }
    QCOMPARE(task.waitUntilExit(inTime ? std::chrono::minutes(1) : std::chrono::milliseconds(200)).ok(), inTime);
    QCOMPARE(task.timedOut(), !inTime);
    QCOMPARE(task.terminationStatus(), status);
}

void TestTaskAndWorkspace::launch_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("launched");
    QTest::newRow("agent") << "agent" << true;
    QTest::newRow("no bundle") << "none" << false;
    QTest::newRow("no executable entry") << "no entry" << false;
    QTest::newRow("executable missing") << "no executable" << false;
    QTest::newRow("executable not executable") << "not executable" << false;
    QTest::newRow("entry leads out of the bundle") << "escape" << false;
}

void TestTaskAndWorkspace::launch()
{
    QFETCH(QString, layout);
    QFETCH(bool, launched);
    const QString folder =
        m_dir.filePath(QStringLiteral("launch-") +
                       QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-')));
    QDir(folder).removeRecursively();
    const QString bundle = folder + QStringLiteral("/Orvo.app");
    if (layout == QLatin1String("agent")) {
        QVERIFY(makeRecordingAgent(bundle));
    } else if (layout == QLatin1String("no entry")) {
        QVERIFY(makeBundle(bundle, QStringLiteral("1"), QString(), "#!/bin/sh\n"));
    } else if (layout == QLatin1String("no executable")) {
        QVERIFY(makeBundle(bundle, QStringLiteral("1"), QStringLiteral("Orvo"), "#!/bin/sh\n"));
        QVERIFY(QFile::remove(bundle + QStringLiteral("/Contents/MacOS/Orvo")));
    } else if (layout == QLatin1String("not executable")) {
        QVERIFY(makeBundle(bundle, QStringLiteral("1"), QStringLiteral("Orvo"), "#!/bin/sh\n"));
        QVERIFY(QFile::setPermissions(bundle + QStringLiteral("/Contents/MacOS/Orvo"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    } else if (layout == QLatin1String("escape")) {
        QVERIFY(writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
                          plist({{QStringLiteral("CFBundleExecutable"), QStringLiteral("../../../x")}})));
        QVERIFY(writeFile(folder + QStringLiteral("/x"), "#!/bin/sh\n", 0755));
    }
    OrvoDmgDownloader downloader;
    QCOMPARE(downloader.workspaceLaunchApplication(bundle), launched);
    if (launched) {
        QTRY_VERIFY(!agentRecord(bundle).isEmpty());
        QCOMPARE(recordedAgentArguments(bundle), agentArguments());
        const QList<QByteArray> facts = agentRecord(bundle).split('\0');
        QVERIFY(facts.contains("cwd=/"));
        // A session of its own, not the plugin's.
        QVERIFY(!facts.contains("sid=" + QByteArray::number(::getsid(0))));
        QVERIFY(std::any_of(facts.begin(), facts.end(), [](const QByteArray& f) { return f.startsWith("sid="); }));
        QVERIFY(facts.contains("stdin-null"));
    }
}

QTEST_MAIN(TestTaskAndWorkspace)
#include "tst_taskandworkspace.moc"
