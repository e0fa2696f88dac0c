#include "Platform/Files/HiddenSiblings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

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
    const HiddenSiblings siblings(dir.filePath(QStringLiteral("Orvo.app")), HiddenSiblings::Purpose::Install);
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

    const HiddenSiblings download(dir.filePath(QStringLiteral("OrvoPlugin.dmg")), HiddenSiblings::Purpose::Part);
    const Result<std::pair<int, QByteArray>> file = download.makeFile();
    QVERIFY(file.ok());
    QCOMPARE(::fstat(file->first, &st), 0);
    ::close(file->first);
    QVERIFY(S_ISREG(st.st_mode));
    QCOMPARE(int(st.st_mode & 07777), 0600);
    const QString fileName = QFileInfo(QFile::decodeName(file->second)).fileName();
    QVERIFY2(fileName.startsWith(QStringLiteral(".OrvoPlugin.dmg.part-")) && fileName.size() == 27,
             qPrintable(fileName));
}

namespace {

// What the plugin's temporary files are named, now and by earlier versions.
const QStringList ours{
    ".Orvo.app.install-ab12CD",    ".Other.install-ab12CD",           ".Orvo.app.replace-ab12CD",
    ".OrvoPlugin.dmg.part-ab12CD", ".info.plist.copy-ab12CD",         ".orvojoindetails.conf.new-ab12CD",
    "OrvoPlugin.dmg.part-ab12CD",  "orvojoindetails.conf.new-ab12CD", ".copy-ab12CD"};
// Names that only look like them.
const QStringList strangers{"Orvo.app",      "Orvo.app.install-ab12CD",       ".Orvo.app.install-ab12C",
                            ".copy-ab12CDE", ".Orvo.app.backup-ab12CD",       ".part-ab12CD",
                            "info.plist",    "orvo-agent-report.json.ab12CD", "notes.partial-ab12CD"};
// Kept for a Retry while a run lasts; the clearing of the whole folder is told to remove it too.
const QString keptPart = QStringLiteral("OrvoMac.dmg.part");

} // namespace

void TestHiddenSiblings::leftovers_data()
{
    QTest::addColumn<QString>("clearing"); // "path": one purpose beside Orvo.app; "folder": everything in the folder
    QTest::addColumn<bool>("othersAtWork");
    QTest::addColumn<QStringList>("kept");
    QStringList besideThePath = QStringList(strangers) + ours + QStringList{keptPart};
    besideThePath.removeOne(QStringLiteral(".Orvo.app.install-ab12CD"));
    QTest::newRow("one purpose beside the path") << "path" << false << besideThePath;
    QTest::newRow("every leftover in the folder") << "folder" << false << strangers;
    const QStringList everything = QStringList(strangers) + ours + QStringList{keptPart};
    QTest::newRow("another process at work there, beside the path") << "path" << true << everything;
    QTest::newRow("another process at work there, the folder") << "folder" << true << everything;
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
    for (const QString& name : QStringList(ours) + strangers + QStringList{keptPart}) {
        QFile file(dir.filePath(name));
        QVERIFY(QFileInfo(file).isDir() || file.open(QIODevice::WriteOnly));
    }
    std::optional<HiddenSiblings> atWork;
    if (othersAtWork) {
        atWork.emplace(dir.filePath(QStringLiteral("Elsewhere")), HiddenSiblings::Purpose::Part);
    }
    if (clearing == QLatin1String("path")) {
        HiddenSiblings::clearLeftovers(app, HiddenSiblings::Purpose::Install);
    } else {
        HiddenSiblings::clearAllLeftoversIn(dir.path(), [&dir] { QFile::remove(dir.filePath(keptPart)); });
    }
    QStringList names = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    kept.sort();
    QCOMPARE(names, kept);
}

QTEST_GUILESS_MAIN(TestHiddenSiblings)
#include "tst_hiddensiblings.moc"
