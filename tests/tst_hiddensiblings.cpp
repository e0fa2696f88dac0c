#include "Platform/Files/HiddenSiblings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <optional>

// Hidden work items beside a path, and who may clear the leftovers of work cut short.
class TestHiddenSiblings : public QObject
{
    Q_OBJECT

private slots:
    void freshNames();
    void leftovers_data();
    void leftovers();
};

void TestHiddenSiblings::freshNames()
{
    QTemporaryDir dir;
    const HiddenSiblings siblings(dir.filePath(QStringLiteral("Orvo.app")), "install");
    QCOMPARE(siblings.folder(), QFile::encodeName(dir.path()));
    const Result<QByteArray> name = siblings.reserveName();
    const Result<QByteArray> other = siblings.reserveName();
    QVERIFY(name.ok() && other.ok());
    QVERIFY(*name != *other);
    QVERIFY2(QFileInfo(QFile::decodeName(*name)).fileName().startsWith(QStringLiteral(".Orvo.app.install-")),
             name->constData());
    QVERIFY(!QFileInfo::exists(QFile::decodeName(*name)));

    const Result<QByteArray> folder = siblings.makeFolder();
    QVERIFY(folder.ok());
    struct stat st;
    QCOMPARE(::stat(folder->constData(), &st), 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(int(st.st_mode & 07777), 0700);
}

void TestHiddenSiblings::leftovers_data()
{
    QTest::addColumn<QString>("clearing"); // "path": beside Orvo.app; "folder": beside anything in the folder
    QTest::addColumn<bool>("othersAtWork");
    QTest::addColumn<QStringList>("kept");
    const QStringList strangers{".Orvo.app.replace-ab12CD", "Orvo.app.install-ab12CD", ".Orvo.app.install-ab12C",
                                "Orvo.app"};
    QTest::newRow("beside the path") << "path" << false << (QStringList(strangers) << ".Other.install-ab12CD");
    QTest::newRow("beside anything in the folder") << "folder" << false << strangers;
    QTest::newRow("another process at work there") << "path" << true
                                                   << (QStringList(strangers) << ".Orvo.app.install-ab12CD"
                                                                              << ".Other.install-ab12CD");
}

void TestHiddenSiblings::leftovers()
{
    QFETCH(QString, clearing);
    QFETCH(bool, othersAtWork);
    QFETCH(QStringList, kept);
    QTemporaryDir dir;
    const QString app = dir.filePath(QStringLiteral("Orvo.app"));
    QVERIFY(QDir().mkpath(app + QStringLiteral("/Contents")));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral(".Orvo.app.install-ab12CD/inner"))));
    for (const char* name :
         {".Other.install-ab12CD", ".Orvo.app.replace-ab12CD", "Orvo.app.install-ab12CD", ".Orvo.app.install-ab12C"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    std::optional<HiddenSiblings> atWork;
    if (othersAtWork) {
        atWork.emplace(dir.filePath(QStringLiteral("Elsewhere")), "install");
    }
    if (clearing == QLatin1String("path")) {
        HiddenSiblings::clearLeftovers(app, "install");
    } else {
        HiddenSiblings::clearLeftoversIn(dir.path(), "install");
    }
    QStringList names = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    kept.sort();
    QCOMPARE(names, kept);
}

QTEST_GUILESS_MAIN(TestHiddenSiblings)
#include "tst_hiddensiblings.moc"
