#include "Platform/Files/DiskImage.h"
#include "Platform/Log/PlatformException.h"
#include "ProvisioningFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

using namespace ProvisioningFixtures;

// The disk-image pipeline against the real stand-in tool, installed as "/usr/bin/hdiutil" under a root of its own.
class TestDiskImage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void arguments_data();
    void arguments();
    void volumeByScope_data();
    void volumeByScope();
    void staleMountPoint_data();
    void staleMountPoint();
    void failingTool_data();
    void failingTool();
    void toolThatCannotStart_data();
    void toolThatCannotStart();
    void imageRemoval_data();
    void imageRemoval();

private:
    QString root(const QString& path) const { return m_dir.filePath(QStringLiteral("root") + path); }
    QString tool() const { return root(QStringLiteral("/usr/bin/hdiutil")); }
    bool attachedAt(const QString& volume) const { return QFileInfo::exists(root(volume)); }

    QTemporaryDir m_dir;
    QString m_image;
};

const QString volume = QStringLiteral("/Volumes/Orvo");

void TestDiskImage::initTestCase()
{
    qputenv("ORVO_SYSTEM_ROOT", m_dir.filePath(QStringLiteral("root")).toLocal8Bit());
    const QString content = m_dir.filePath(QStringLiteral("content"));
    QVERIFY(writeFile(content + QStringLiteral("/Orvo.app/Contents/Info.plist"), "x"));
    m_image = m_dir.filePath(QStringLiteral("Orvo.dmg"));
    QVERIFY(makeImage(content, QStringLiteral("Orvo"), m_image));
}

void TestDiskImage::init()
{
    QDir().mkpath(root(QStringLiteral("/usr/bin")));
    QFile::remove(tool());
    QVERIFY(QFile::copy(QStringLiteral(ORVO_HDIUTIL_STANDIN), tool()));
}

void TestDiskImage::cleanup()
{
    qunsetenv("ORVO_HDIUTIL_TIMEOUT_MS");
    QFile::remove(tool());
    QVERIFY(QFile::copy(QStringLiteral(ORVO_HDIUTIL_STANDIN), tool()));
    if (attachedAt(volume)) {
        QCOMPARE(DiskImage::detach(volume), 0);
    }
}

void TestDiskImage::arguments_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("recorded");
    QTest::newRow("success, arguments as given")
        << QByteArray("printf '%s|' \"$@\" > \"$REC\"; exit 0") << QStringList{"mount", "/a b/x.dmg", "", "*"} << 0
        << QByteArray("mount|/a b/x.dmg||*|");
    QTest::newRow("failure status") << QByteArray("exit 7") << QStringList{} << 7 << QByteArray();
}

void TestDiskImage::arguments()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, recorded);
    const QString record = m_dir.filePath(QStringLiteral("record"));
    QFile::remove(record);
    qputenv("REC", record.toLocal8Bit());
    QFile::remove(tool());
    QVERIFY(writeFile(tool(), "#!/bin/sh\n" + script + '\n', 0755));
    QCOMPARE(DiskImage::run(arguments), status);
    QCOMPARE(readFile(record), recorded);
}

void TestDiskImage::volumeByScope_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("attachedAfter");
    QTest::newRow("dropped: detaches itself") << "drop" << false;
    QTest::newRow("released: stays for a later step") << "release" << true;
    QTest::newRow("detached at once") << "detach" << false;
}

void TestDiskImage::volumeByScope()
{
    QFETCH(QString, end);
    QFETCH(bool, attachedAfter);
    {
        MountedVolume mounted = DiskImage::attach(m_image, volume);
        QCOMPARE(mounted.status(), 0);
        QVERIFY(mounted.isAttached());
        QVERIFY(QFileInfo::exists(root(volume + QStringLiteral("/Orvo.app/Contents/Info.plist"))));
        if (end == QLatin1String("release")) {
            mounted.release();
        } else if (end == QLatin1String("detach")) {
            QCOMPARE(mounted.detach(), 0);
            QVERIFY(!attachedAt(volume));
        }
        QCOMPARE(mounted.isAttached(), end == QLatin1String("drop"));
    }
    QCOMPARE(attachedAt(volume), attachedAfter);
}

void TestDiskImage::staleMountPoint_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("nothing there") << "nothing" << true;
    QTest::newRow("a volume an earlier run left") << "volume" << true;
    // The tool detaches only what it attached: a plain folder stays, and nothing may be installed from it.
    QTest::newRow("a folder the tool did not attach") << "folder" << false;
}

void TestDiskImage::staleMountPoint()
{
    QFETCH(QString, left);
    QFETCH(bool, cleared);
    if (left == QLatin1String("volume")) {
        DiskImage::attach(m_image, volume).release();
    } else if (left == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(root(volume)));
    }
    const Result<> result = DiskImage::clearMountPoint(volume);
    QCOMPARE(result.ok(), cleared);
    QCOMPARE(attachedAt(volume), !cleared);
    if (!cleared) {
        QCOMPARE(result.error(), QStringLiteral("/Volumes/Orvo is still attached"));
        QVERIFY(QDir(root(volume)).removeRecursively());
    }
}

void TestDiskImage::failingTool_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("status");
    QTest::newRow("fails") << QByteArray("exit 1") << 1;
    // exec, so the shell's own child does not outlive the stop.
    QTest::newRow("hangs, stopped at the bound") << QByteArray("exec sleep 600") << int(SIGTERM);
}

void TestDiskImage::failingTool()
{
    QFETCH(QByteArray, script);
    QFETCH(int, status);
    qputenv("ORVO_HDIUTIL_TIMEOUT_MS", "200");
    QFile::remove(tool());
    QVERIFY(writeFile(tool(), "#!/bin/sh\n" + script + '\n', 0755));
    MountedVolume mounted = DiskImage::attach(m_image, volume);
    QCOMPARE(mounted.status(), status);
    QVERIFY(!mounted.isAttached());
}

void TestDiskImage::toolThatCannotStart_data()
{
    QTest::addColumn<int>("mode"); // -1: missing
    QTest::newRow("missing") << -1;
    QTest::newRow("not executable") << 0644;
}

void TestDiskImage::toolThatCannotStart()
{
    QFETCH(int, mode);
    QFile::remove(tool());
    if (mode >= 0) {
        QVERIFY(writeFile(tool(), "#!/bin/sh\nexit 0\n", mode));
    }
    QVERIFY_THROWS_EXCEPTION(PlatformException, DiskImage::attach(m_image, volume));
    QVERIFY_THROWS_EXCEPTION(PlatformException, DiskImage::run({QStringLiteral("mount")}));
}

void TestDiskImage::imageRemoval_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("image there") << true;
    QTest::newRow("no image") << false;
}

void TestDiskImage::imageRemoval()
{
    QFETCH(bool, present);
    const QString image = m_dir.filePath(QStringLiteral("gone.dmg"));
    if (present) {
        QVERIFY(QFile::copy(m_image, image));
    }
    QVERIFY(DiskImage::remove(image).ok());
    QVERIFY(!QFileInfo::exists(image));
}

QTEST_GUILESS_MAIN(TestDiskImage)
#include "tst_diskimage.moc"
