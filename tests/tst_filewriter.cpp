#include "Platform/Files/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// Whole-file writes: the old file or the whole new one, the mode applied, nothing left behind.
class TestFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void createFileAtPath_data();
    void createFileAtPath();
};

void TestFileWriter::createFileAtPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("written");
    QTest::newRow("new file, owner only") << "fresh" << QByteArray("ORVO_MEETING_IND\n&key=1&") << 0600 << true;
    QTest::newRow("replaces the old file, mode as given") << "old" << QByteArray("new") << 0640 << true;
    QTest::newRow("empty contents") << "fresh" << QByteArray() << 0600 << true;
    QTest::newRow("folder missing") << "missing/file" << QByteArray("x") << 0600 << false;
    QTest::newRow("a folder in the way") << "folder" << QByteArray("x") << 0600 << false;
    QTest::newRow("no path") << "" << QByteArray("x") << 0600 << false;
}

void TestFileWriter::createFileAtPath()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(int, mode);
    QFETCH(bool, written);
    QTemporaryDir dir;
    QFile old(dir.filePath(QStringLiteral("old")));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents") == 12);
    old.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString path = name.isEmpty() ? QString() : dir.filePath(name);

    const Result<> result = FileWriter::createFileAtPath(path, contents, mode_t(mode));
    QCOMPARE(result.ok(), written);
    QStringList after = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (!written) {
        QVERIFY(!result.error().isEmpty());
        QCOMPARE(after, before);
        QVERIFY(QDir(dir.filePath(QStringLiteral("folder")))
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
    QStringList expected = before;
    if (!expected.contains(name)) {
        expected << name;
    }
    expected.sort();
    after.sort();
    QCOMPARE(after, expected);
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "tst_filewriter.moc"
