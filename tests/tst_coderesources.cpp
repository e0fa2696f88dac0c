#include "Platform/Signing/CodeResources.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

// What a row does to the bundle after its list was made.
using Change = std::function<void(const QString& bundle)>;

// A resource list with the given sections, as the signer writes it.
QByteArray list(const QByteArray& sections)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + sections + "</dict></plist>\n";
}

const QByteArray noFiles = "<key>files</key><dict/>";

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size());
}

void makeLink(const QString& target, const QString& path)
{
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);
}

} // namespace

Q_DECLARE_METATYPE(Change)

class CodeResourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void fromData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("failure"); // after "the resource list is not valid: "; empty: it parses

        QTest::newRow("files only") << list(noFiles) << "";
        QTest::newRow("every section") << list(noFiles + "<key>links</key><dict/><key>folders</key><array/>"
                                                         "<key>companions</key><dict/>")
                                       << "";
        QTest::newRow("empty") << QByteArray() << "not a property-list dictionary";
        QTest::newRow("not a property list") << QByteArray("files = {}") << "not a property-list dictionary";
        QTest::newRow("truncated") << list(noFiles).left(60) << "not a property-list dictionary";
        QTest::newRow("a list at the top")
            << QByteArray("<plist version=\"1.0\"><array/></plist>") << "not a property-list dictionary";
        QTest::newRow("unknown section") << list(noFiles + "<key>resources</key><dict/>")
                                         << "unknown section resources";
        QTest::newRow("no files section") << list("<key>links</key><dict/>") << "a section of the wrong kind";
        QTest::newRow("folders as a dictionary")
            << list(noFiles + "<key>folders</key><dict/>") << "a section of the wrong kind";
        QTest::newRow("companions as a list")
            << list(noFiles + "<key>companions</key><array/>") << "a section of the wrong kind";
        QTest::newRow("file without its bit")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><string>ab</string>"
                    "</dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("file with more than its three")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><string>ab</string>"
                    "<key>executable</key><false/><key>size</key><integer>2</integer><key>mode</key>"
                    "<string>0644</string></dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("file without its size")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><string>ab</string>"
                    "<key>executable</key><false/></dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("size not a number")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><string>ab</string>"
                    "<key>executable</key><false/><key>size</key><string>2</string></dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("negative size")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><string>ab</string>"
                    "<key>executable</key><false/><key>size</key><integer>-1</integer></dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("digest not text")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><integer>1</integer>"
                    "<key>executable</key><false/><key>size</key><integer>2</integer></dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("bit not a boolean")
            << list("<key>files</key><dict><key>Contents/Info.plist</key><dict><key>digest</key><string>ab</string>"
                    "<key>executable</key><string>yes</string><key>size</key><integer>2</integer></dict></dict>")
            << "the entry of file Contents/Info.plist";
        QTest::newRow("link with a digest")
            << list(noFiles + "<key>links</key><dict><key>Contents/cur</key><dict><key>symlink</key><string>a"
                              "</string><key>digest</key><string>ab</string></dict></dict>")
            << "the entry of link Contents/cur";
        QTest::newRow("file listed again as a link")
            << list("<key>files</key><dict><key>Contents/x</key><dict><key>digest</key><string>ab</string>"
                    "<key>executable</key><false/><key>size</key><integer>2</integer></dict></dict><key>links</key>"
                    "<dict><key>Contents/x</key><dict>"
                    "<key>symlink</key><string>a</string></dict></dict>")
            << "the entry of link Contents/x";
        QTest::newRow("folder listed twice")
            << list(noFiles + "<key>folders</key><array><string>Contents</string><string>Contents</string></array>")
            << "the entry of folder Contents";
        QTest::newRow("folder not text") << list(noFiles + "<key>folders</key><array><integer>7</integer></array>")
                                         << "the entry of folder 7";
        QTest::newRow("companion not text")
            << list(noFiles + "<key>companions</key><dict><key>Helper</key><dict/></dict>")
            << "the entry of companion Helper";
    }
    void fromData()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, failure);
        const Result<CodeResources> parsed = CodeResources::fromData(data);
        QCOMPARE(parsed.error(), failure.isEmpty() ? QString() : "the resource list is not valid: " + failure);
    }

    void addCompanion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("failure"); // empty: it is added
        QTest::addColumn<QString>("listed");  // the digest listed under name afterwards; empty: none

        QTest::newRow("a plain name") << "OrvoPingAgent"
                                      << ""
                                      << "bb";
        QTest::newRow("listed already") << "Helper"
                                        << "two companions are named Helper"
                                        << "aa";
        QTest::newRow("empty") << ""
                               << " is not a file name"
                               << "";
        QTest::newRow("a path") << "Tools/Helper"
                                << "Tools/Helper is not a file name"
                                << "";
        QTest::newRow("dot") << "."
                             << ". is not a file name"
                             << "";
        QTest::newRow("dot dot") << ".."
                                 << ".. is not a file name"
                                 << "";
        QTest::newRow("a tab") << "Help\ter"
                               << "Help\\ter is not a file name"
                               << "";
        QTest::newRow("delete") << "Help\x7f"
                                << "Help\\x7f is not a file name"
                                << "";
    }
    void addCompanion()
    {
        QFETCH(QString, name);
        QFETCH(QString, failure);
        QFETCH(QString, listed);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("Sample.app/Contents")));
        BundleTree tree;
        QVERIFY(tree.read(dir.filePath("Sample.app")).ok());
        CodeResources resources(tree);
        QVERIFY(resources.addCompanion("Helper", "aa").ok());

        QCOMPARE(resources.addCompanion(name, "bb").error(), failure);
        // What was listed comes back from the written list, and nothing else.
        const Result<CodeResources> written = CodeResources::fromData(resources.data());
        QVERIFY2(written.ok(), qPrintable(written.error()));
        QCOMPARE(written->companionDigest("Helper").value_or("none"), QString("aa"));
        QCOMPARE(written->companionDigest(name).value_or(QString()), listed);
    }

    // What CodeSignatureTest does not change: items that turn into another kind, a link led elsewhere, a folder
    // gone.
    void matches_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("difference"); // empty: the tree matches

        QTest::newRow("unchanged") << Change([](const QString&) {}) << "";
        QTest::newRow("file now a folder") << Change([](const QString& bundle) {
            QVERIFY(QFile::remove(bundle + "/Contents/Resources/picture.png"));
            QVERIFY(QDir().mkdir(bundle + "/Contents/Resources/picture.png"));
        }) << "Contents/Resources/picture.png is a folder where the signature has a file";
        QTest::newRow("folder now a file") << Change([](const QString& bundle) {
            QVERIFY(QDir().rmdir(bundle + "/Contents/Resources/Empty"));
            writeFile(bundle + "/Contents/Resources/Empty", "");
        }) << "Contents/Resources/Empty is a file where the signature has a folder";
        QTest::newRow("file now a link") << Change([](const QString& bundle) {
            QVERIFY(QFile::remove(bundle + "/Contents/Info.plist"));
            makeLink("Resources/picture.png", bundle + "/Contents/Info.plist");
        }) << "Contents/Info.plist is a link where the signature has a file";
        QTest::newRow("link now a file") << Change([](const QString& bundle) {
            QVERIFY(QFile::remove(bundle + "/Contents/Resources/current.png"));
            writeFile(bundle + "/Contents/Resources/current.png", "picture");
        }) << "Contents/Resources/current.png is a file where the signature has a link";
        QTest::newRow("link led elsewhere") << Change([](const QString& bundle) {
            QVERIFY(QFile::remove(bundle + "/Contents/Resources/current.png"));
            makeLink("Empty", bundle + "/Contents/Resources/current.png");
        }) << "the link Contents/Resources/current.png has been changed";
        QTest::newRow("file grown") << Change([](const QString& bundle) {
            writeFile(bundle + "/Contents/Resources/picture.png", "picture, larger");
        }) << "Contents/Resources/picture.png has been changed";
        QTest::newRow("folder gone") << Change([](const QString& bundle) {
            QVERIFY(QDir().rmdir(bundle + "/Contents/Resources/Empty"));
        }) << "Contents/Resources/Empty is missing";
    }
    void matches()
    {
        QFETCH(Change, change);
        QFETCH(QString, difference);
        QTemporaryDir dir;
        const QString bundle = dir.filePath("Sample.app");
        QVERIFY(QDir().mkpath(bundle + "/Contents/Resources/Empty"));
        writeFile(bundle + "/Contents/Info.plist", "<plist><dict/></plist>\n");
        writeFile(bundle + "/Contents/Resources/picture.png", "picture");
        makeLink("picture.png", bundle + "/Contents/Resources/current.png");
        BundleTree before;
        QVERIFY(before.read(bundle).ok());
        // The list as written and read back, as the verifier sees it.
        const Result<CodeResources> listed = CodeResources::fromData(CodeResources(before).data());
        QVERIFY2(listed.ok(), qPrintable(listed.error()));
        change(bundle);
        if (QTest::currentTestFailed()) {
            return;
        }

        BundleTree after;
        QVERIFY(after.read(bundle).ok());
        QCOMPARE(listed->matches(after).error(), difference);
        // The shape alone tells every difference here but a link led elsewhere.
        BundleTree shape;
        QVERIFY(shape.readShape(bundle).ok());
        QCOMPARE(listed->matchesShape(shape).error(), difference.startsWith("the link") ? QString() : difference);
    }
};

QTEST_GUILESS_MAIN(CodeResourcesTest)
#include "tst_coderesources.moc"
