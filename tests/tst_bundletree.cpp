#include "Platform/Signing/BundleTree.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>

namespace {

// What a row lays into the bundle (a native path, so names need not be UTF-8) before it is read.
using Build = std::function<void(const QByteArray& bundle)>;

void writeFile(const QByteArray& path, const QByteArray& data, mode_t mode = 0644)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    QVERIFY2(fd >= 0, path.constData());
    const ssize_t written = ::write(fd, data.constData(), static_cast<size_t>(data.size()));
    ::close(fd);
    QCOMPARE(written, static_cast<ssize_t>(data.size()));
    QCOMPARE(::chmod(path.constData(), mode), 0);
}

void makeFolder(const QByteArray& path)
{
    QCOMPARE(::mkdir(path.constData(), 0755), 0);
}

void makeLink(const QByteArray& target, const QByteArray& path)
{
    QCOMPARE(::symlink(target.constData(), path.constData()), 0);
}

void makePipe(const QByteArray& path)
{
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
}

// Sample.app with a plist, an executable and a resource folder: a bundle that reads.
QByteArray makeBundle(const QTemporaryDir& dir)
{
    const QByteArray bundle = QFile::encodeName(dir.filePath(QStringLiteral("Sample.app")));
    makeFolder(bundle);
    makeFolder(bundle + "/Contents");
    makeFolder(bundle + "/Contents/MacOS");
    makeFolder(bundle + "/Contents/Resources");
    writeFile(bundle + "/Contents/Info.plist", "abc");
    writeFile(bundle + "/Contents/MacOS/Sample", "", 0755);
    return bundle;
}

void makeSocket(const QByteArray& path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    QVERIFY(static_cast<size_t>(path.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(fd >= 0);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
    QCOMPARE(bound, 0);
}

} // namespace

Q_DECLARE_METATYPE(Build)

class BundleTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void itemsAsTheyLie()
    {
        QTemporaryDir dir;
        const QByteArray bundle = makeBundle(dir);
        makeLink("../Info.plist", bundle + "/Contents/Resources/info");
        makeFolder(bundle + "/Contents/_CodeSignature");
        writeFile(bundle + "/Contents/_CodeSignature/CodeResources", "the list");

        BundleTree tree;
        const Result<> read = tree.read(QFile::decodeName(bundle));
        QVERIFY2(read.ok(), qPrintable(read.error()));
        const auto& items = tree.items();
        QCOMPARE(items.keys(), QStringList({"Contents", "Contents/Info.plist", "Contents/MacOS",
                                            "Contents/MacOS/Sample", "Contents/Resources", "Contents/Resources/info"}));
        QCOMPARE(items["Contents/MacOS"].kind, BundleTree::Kind::Folder);
        QCOMPARE(items["Contents/Info.plist"].kind, BundleTree::Kind::File);
        QCOMPARE(items["Contents/Info.plist"].digest,
                 QString("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QVERIFY(!items["Contents/Info.plist"].executable);
        QCOMPARE(items["Contents/MacOS/Sample"].digest,
                 QString("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
        QVERIFY(items["Contents/MacOS/Sample"].executable);
        QCOMPARE(items["Contents/Resources/info"].kind, BundleTree::Kind::Link);
        QCOMPARE(items["Contents/Resources/info"].target, QString("../Info.plist"));
        QCOMPARE(tree.sealFiles(), (QMap<QString, QByteArray>{{"CodeResources", "the list"}}));
    }

    void hostileTree_data()
    {
        QTest::addColumn<Build>("build");
        QTest::addColumn<bool>("sealOnly");    // readSealOnly instead of read
        QTest::addColumn<QString>("failure");  // the whole reason; empty: it reads
        QTest::addColumn<QStringList>("seal"); // the signature files read, when it reads

        const auto row = [](const char* name, bool sealOnly, const QString& failure, const Build& build,
                            const QStringList& seal = {}) {
            QTest::newRow(name) << build << sealOnly << failure << seal;
        };
        row("name not UTF-8", false, "Contents/Resources holds a name that is not plain UTF-8 text",
            [](const QByteArray& bundle) { writeFile(bundle + "/Contents/Resources/caf\xe9", "x"); });
        row("name with a line break", false, "Contents holds a name that is not plain UTF-8 text",
            [](const QByteArray& bundle) { makeFolder(bundle + "/Contents/two\nlines"); });
        row("bad name at the top", false, "the bundle holds a name that is not plain UTF-8 text",
            [](const QByteArray& bundle) { makeLink("Contents", bundle + "/\xff"); });
        row("link target not UTF-8", false, "Contents/Resources/odd is a link whose target is not plain UTF-8 text",
            [](const QByteArray& bundle) { makeLink("caf\xe9", bundle + "/Contents/Resources/odd"); });
        row("absolute link", false, "Contents/Resources/passwd is a link that leads out of the bundle",
            [](const QByteArray& bundle) { makeLink("/etc/passwd", bundle + "/Contents/Resources/passwd"); });
        row("link out of the bundle", false, "Contents/Resources/outside is a link that leads out of the bundle",
            [](const QByteArray& bundle) { makeLink("../../..", bundle + "/Contents/Resources/outside"); });
        // Climbing from where a link leads: "here/.." is the bundle's parent, though it reads as the bundle.
        row("link out through a link", false, "Contents/Resources/sneaky is a link that leads out of the bundle",
            [](const QByteArray& bundle) {
                makeLink(".", bundle + "/here");
                makeLink("../../here/..", bundle + "/Contents/Resources/sneaky");
            });
        row("links in a loop", false, "Contents/a is a link that goes round in a loop", [](const QByteArray& bundle) {
            makeLink("b", bundle + "/Contents/a");
            makeLink("a", bundle + "/Contents/b");
        });
        row("link up and back in", false, "", [](const QByteArray& bundle) {
            makeLink("../../Contents/Info.plist", bundle + "/Contents/Resources/info");
        });
        row("dangling link inside", false, "",
            [](const QByteArray& bundle) { makeLink("later.png", bundle + "/Contents/Resources/current.png"); });
        // A pipe is in CodeSignatureTest, seen through the verifier.
        row("socket", false, "Contents/Resources/socket is a special file",
            [](const QByteArray& bundle) { makeSocket(bundle + "/Contents/Resources/socket"); });
        row("too deep", false, QString("d/").repeated(63) + "d lies too deep", [](const QByteArray& bundle) {
            QByteArray path = bundle;
            for (int i = 0; i < 64; ++i) {
                makeFolder(path += "/d");
            }
        });
        row("folder in the signature", false, "Contents/_CodeSignature/extra does not belong in a signature",
            [](const QByteArray& bundle) {
                makeFolder(bundle + "/Contents/_CodeSignature");
                makeFolder(bundle + "/Contents/_CodeSignature/extra");
            });
        row("link in the signature", true, "Contents/_CodeSignature/CodeResources does not belong in a signature",
            [](const QByteArray& bundle) {
                makeFolder(bundle + "/Contents/_CodeSignature");
                makeLink("../Info.plist", bundle + "/Contents/_CodeSignature/CodeResources");
            });
        row("pipe in the signature", true, "Contents/_CodeSignature/CodeSignature does not belong in a signature",
            [](const QByteArray& bundle) {
                makeFolder(bundle + "/Contents/_CodeSignature");
                makePipe(bundle + "/Contents/_CodeSignature/CodeSignature");
            });
        row("signature files", true, "",
            [](const QByteArray& bundle) {
                makeFolder(bundle + "/Contents/_CodeSignature");
                writeFile(bundle + "/Contents/_CodeSignature/CodeResources", "list");
                writeFile(bundle + "/Contents/_CodeSignature/CodeSignature", "signature");
            },
            {"CodeResources", "CodeSignature"});
        // Only the signature is read: what is wrong elsewhere is for the whole read to find.
        row("signature only, special file elsewhere", true, "",
            [](const QByteArray& bundle) { makePipe(bundle + "/Contents/Resources/pipe"); });
        row("no signature folder", true, "", [](const QByteArray&) {});
        // The way there is not followed through a link: a signature found that way is none.
        row("signature folder through a link", true, "", [](const QByteArray& bundle) {
            makeFolder(bundle + "/Contents/Resources/_CodeSignature");
            writeFile(bundle + "/Contents/Resources/_CodeSignature/CodeResources", "list");
            makeLink("Resources/_CodeSignature", bundle + "/Contents/_CodeSignature");
        });
    }
    void hostileTree()
    {
        QFETCH(Build, build);
        QFETCH(bool, sealOnly);
        QFETCH(QString, failure);
        QFETCH(QStringList, seal);
        QTemporaryDir dir;
        const QByteArray bundle = makeBundle(dir);
        build(bundle);
        if (QTest::currentTestFailed()) {
            return;
        }

        BundleTree tree;
        const QString path = QFile::decodeName(bundle);
        const Result<> read = sealOnly ? tree.readSealOnly(path) : tree.read(path);
        QCOMPARE(read.error(), failure);
        if (read.ok()) {
            QCOMPARE(tree.sealFiles().keys(), seal);
        }
    }

    void bundleItself_data()
    {
        QTest::addColumn<Build>("build"); // given the bundle's path, lays something there
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("failure");

        QTest::newRow("missing") << Build([](const QByteArray&) {}) << ""
                                 << "cannot read the bundle: No such file or directory";
        QTest::newRow("a file") << Build([](const QByteArray& bundle) { writeFile(bundle, "x"); }) << ""
                                << "the bundle is not a folder";
        QTest::newRow("a link to a folder") << Build([](const QByteArray& bundle) {
            makeFolder(bundle + ".real");
            makeLink("Sample.app.real", bundle);
        }) << ""
                                            << "the bundle is not a folder";
        // A trailing separator would have the kernel follow the link.
        QTest::newRow("a link, named with a separator") << Build([](const QByteArray& bundle) {
            makeFolder(bundle + ".real");
            makeLink("Sample.app.real", bundle);
        }) << "//"
                                                        << "the bundle is not a folder";
    }
    void bundleItself()
    {
        QFETCH(Build, build);
        QFETCH(QString, suffix);
        QFETCH(QString, failure);
        QTemporaryDir dir;
        const QString bundle = dir.filePath(QStringLiteral("Sample.app"));
        build(QFile::encodeName(bundle));
        if (QTest::currentTestFailed()) {
            return;
        }

        BundleTree tree;
        QCOMPARE(tree.read(bundle + suffix).error(), failure);
        QCOMPARE(tree.readSealOnly(bundle + suffix).error(), failure);
    }
};

QTEST_GUILESS_MAIN(BundleTreeTest)
#include "tst_bundletree.moc"
