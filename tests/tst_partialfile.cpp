#include "Platform/Net/PartialFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestPartialFile : public QObject
{
    Q_OBJECT

private slots:
    void keptPart_data();
    void keptPart();
    void temporaryFile_data();
    void temporaryFile();
};

void TestPartialFile::keptPart_data()
{
    QTest::addColumn<QByteArray>("found"); // what the kept part holds before; "(missing)" for no file
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QString>("end"); // "keep", "remove" or "place"
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<QByteArray>("destination");
    QTest::newRow("rest appended, placed")
        << QByteArray("abc") << false << "place" << QByteArray("(missing)") << QByteArray("abcdef");
    QTest::newRow("started over, placed")
        << QByteArray("abc") << true << "place" << QByteArray("(missing)") << QByteArray("def");
    QTest::newRow("kept for later") << QByteArray("abc") << false << "keep" << QByteArray("abcdef")
                                    << QByteArray("old");
    QTest::newRow("nothing to keep") << QByteArray("(missing)") << true << "keep" << QByteArray("(missing)")
                                     << QByteArray("old");
    QTest::newRow("removed") << QByteArray("abc") << false << "remove" << QByteArray("(missing)") << QByteArray("old");
}

void TestPartialFile::keptPart()
{
    QFETCH(QByteArray, found);
    QFETCH(bool, restart);
    QFETCH(QString, end);
    QFETCH(QByteArray, part);
    QFETCH(QByteArray, destination);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("OrvoMac.dmg"));
    QCOMPARE(PartialFile::pathFor(target), dir.filePath(QStringLiteral("OrvoMac.dmg.part")));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    if (found != "(missing)") {
        QFile kept(PartialFile::pathFor(target));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write(found) == found.size());
    }
    Result<PartialFile> opened = PartialFile::openKept(target);
    QVERIFY(opened.ok());
    PartialFile file = std::move(opened).value();
    QCOMPARE(file.keptLength(), found == "(missing)" ? 0 : found.size());
    if (restart) {
        QVERIFY(file.restartWhole().ok());
        QCOMPARE(file.keptLength(), 0);
    }
    if (end != QLatin1String("keep") || found != "(missing)") {
        QVERIFY(file.append("def", 3).ok());
    }
    if (end == QLatin1String("place")) {
        QVERIFY(file.placeAt(target, true).ok());
    } else if (end == QLatin1String("keep")) {
        file.keep();
    } else {
        file.remove();
    }
    QCOMPARE(contents(PartialFile::pathFor(target)), part);
    QCOMPARE(contents(target), destination);
}

void TestPartialFile::temporaryFile_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<QByteArray>("destination");
    QTest::newRow("replaces with overwrite") << true << true << QByteArray("new");
    QTest::newRow("refused without overwrite") << false << false << QByteArray("old");
}

void TestPartialFile::temporaryFile()
{
    QFETCH(bool, overwrite);
    QFETCH(bool, placed);
    QFETCH(QByteArray, destination);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("OrvoPlugin.dmg"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    Result<PartialFile> opened = PartialFile::openTemporary(target);
    QVERIFY(opened.ok());
    PartialFile file = std::move(opened).value();
    QVERIFY(file.append("new", 3).ok());
    QCOMPARE(file.placeAt(target, overwrite).ok(), placed);
    if (!placed) {
        file.remove();
    }
    QCOMPARE(contents(target), destination);
    // Nothing but the destination is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"OrvoPlugin.dmg"});
}

QTEST_GUILESS_MAIN(TestPartialFile)
#include "tst_partialfile.moc"
