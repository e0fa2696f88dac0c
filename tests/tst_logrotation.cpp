#include "AppDelegate.h"
#include "Platform/Log/Log.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <stdio.h>
#include <unistd.h>

namespace {

// The delegate reopens the three standard streams on the log file; the test process gets its own back after.
class StandardStreamsGuard
{
public:
    StandardStreamsGuard()
    {
        fflush(stdout);
        fflush(stderr);
        for (int fd = 0; fd < 3; ++fd) {
            m_saved[fd] = ::dup(fd);
        }
    }
    ~StandardStreamsGuard()
    {
        // Timers of the delegate would redirect again at the next event-loop turn.
        for (QTimer* timer : QCoreApplication::instance()->findChildren<QTimer*>()) {
            timer->stop();
        }
        fflush(stdout);
        fflush(stderr);
        for (int fd = 0; fd < 3; ++fd) {
            ::dup2(m_saved[fd], fd);
            ::close(m_saved[fd]);
        }
    }

private:
    int m_saved[3];
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void fill(const QString& path, const QByteArray& marker, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(marker);
    file.write(QByteArray(size - marker.size(), '.'));
}

} // namespace

class TestLogRotation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void folderAndRedirection();
    void threshold_data();
    void threshold();
    void elevenRotationsKeepFilesZeroToTen();
    void deletedLiveFileIsRecreatedByTheTimer();
    void widenedOrReplacedLiveFileIsTakenBackByTheNextCheck();
    void unreadableSizeNeverRotates();
    void unwritableLogFolderStillRunsChecks();

private:
    QString folder() const { return m_home.path() + QStringLiteral("/Library/Logs/OrvoWendra/OrvoPlugin/"); }
    QString live() const { return folder() + QStringLiteral("orvoPlugin.log"); }
    QString numbered(int i) const { return folder() + QStringLiteral("orvoPlugin%1.log").arg(i); }

    QTemporaryDir m_home;
    AppDelegate m_delegate;
};

void TestLogRotation::initTestCase()
{
    qputenv("HOME", m_home.path().toLocal8Bit());
}

void TestLogRotation::folderAndRedirection()
{
    LogCapture original;
    {
        StandardStreamsGuard guard;
        m_delegate.createOrvoPluginLogFolder();
        Log::write("%s marker line", "-[Test folderAndRedirection]");
    }
    QCOMPARE(permissionBits(folder()), 0700);
    QCOMPARE(permissionBits(live()), 0600);
    QVERIFY(readAll(live()).contains("-[Test folderAndRedirection] marker line\n"));
    // The folder line is written before the redirection, to the standard error the process started with.
    QVERIFY(original.text().contains(QStringLiteral("Orvo Plugin Log Folder Created...")));
    QVERIFY(!readAll(live()).contains("Log Folder Created"));
}

void TestLogRotation::threshold_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("rotated");
    QTest::newRow("256 KiB stays") << qint64(262144) << false;
    QTest::newRow("one byte more rotates") << qint64(262145) << true;
}

void TestLogRotation::threshold()
{
    QFETCH(qint64, size);
    QFETCH(bool, rotated);
    // Files of an earlier run: the first rotation replaces file 0 and leaves the others alone.
    fill(numbered(0), "old zero", 8);
    fill(numbered(5), "old five", 8);
    fill(live(), "current", size);
    {
        StandardStreamsGuard guard;
        m_delegate.loggingFile(nullptr);
    }
    QCOMPARE(QFileInfo(live()).size(), rotated ? 0 : size);
    QCOMPARE(readAll(numbered(0)).left(8), rotated ? QByteArray("current.") : QByteArray("old zero"));
    QCOMPARE(readAll(numbered(5)), QByteArray("old five"));
}

void TestLogRotation::elevenRotationsKeepFilesZeroToTen()
{
    for (int i = 0; i <= 12; ++i) {
        QFile::remove(numbered(i));
    }
    const int rotations = 13;
    for (int r = 0; r < rotations; ++r) {
        fill(live(), QByteArray("rotation ") + QByteArray::number(r) + ' ', 262145);
        StandardStreamsGuard guard;
        m_delegate.loggingFile(nullptr);
    }
    for (int k = 0; k <= 10; ++k) {
        QVERIFY2(readAll(numbered(k)).startsWith(QByteArray("rotation ") + QByteArray::number(rotations - 1 - k) + ' '),
                 qPrintable(QStringLiteral("file %1").arg(k)));
    }
    QVERIFY(!QFile::exists(numbered(11)));
    QCOMPARE(QFileInfo(live()).size(), 0);
}

void TestLogRotation::deletedLiveFileIsRecreatedByTheTimer()
{
    StandardStreamsGuard guard;
    m_delegate.startLoggingTimer();
    QVERIFY(QFile::remove(live()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(live()), 2000);
    Log::write("%s after the deletion", "-[Test deleted]");
    QVERIFY(readAll(live()).contains("-[Test deleted] after the deletion"));
}

void TestLogRotation::widenedOrReplacedLiveFileIsTakenBackByTheNextCheck()
{
    // A check that finds the streams already on the file skips the reopen; these two must not look like that.
    StandardStreamsGuard guard;
    m_delegate.loggingFile(nullptr);
    QVERIFY(QFile::setPermissions(live(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    m_delegate.loggingFile(nullptr);
    QCOMPARE(permissionBits(live()), 0600);
    QVERIFY(QFile::rename(live(), live() + QStringLiteral(".old")));
    QVERIFY(QFile(live()).open(QIODevice::WriteOnly));
    m_delegate.loggingFile(nullptr);
    Log::write("%s after the replacement", "-[Test replaced]");
    QVERIFY(readAll(live()).contains("-[Test replaced] after the replacement"));
    QVERIFY(!readAll(live() + QStringLiteral(".old")).contains("after the replacement"));
}

void TestLogRotation::unreadableSizeNeverRotates()
{
    for (int i = 0; i <= 10; ++i) {
        QFile::remove(numbered(i));
    }
    QFile::remove(live());
    // A link to itself: neither its size nor the file can be had.
    QVERIFY(QFile::link(live(), live()));
    {
        StandardStreamsGuard guard;
        m_delegate.loggingFile(nullptr);
        m_delegate.loggingFile(nullptr);
    }
    QVERIFY(!QFile::exists(numbered(0)));
    QFile::remove(live());
}

void TestLogRotation::unwritableLogFolderStillRunsChecks()
{
    QTemporaryDir base;
    QFile blocker(base.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    qputenv("HOME", (blocker.fileName() + QStringLiteral("/home")).toLocal8Bit());
    LogCapture capture;
    {
        StandardStreamsGuard guard;
        m_delegate.createOrvoPluginLogFolder();
        m_delegate.loggingFile(nullptr);
        Log::write("%s still logging", "-[Test unwritable]");
    }
    qputenv("HOME", m_home.path().toLocal8Bit());
    QVERIFY(capture.text().contains(QStringLiteral("Failed to Create Orvo Plugin Log Folder...")));
    QVERIFY(capture.text().contains(QStringLiteral("-[Test unwritable] still logging")));
}

QTEST_MAIN(TestLogRotation)
#include "tst_logrotation.moc"
