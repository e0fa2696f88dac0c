#include "Platform/Files/FileManager.h"
#include "Platform/Files/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace {

FileManager& fm()
{
    return FileManager::defaultManager();
}

void writeFile(const QString& path, const QByteArray& data, int mode = -1)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.close();
    if (mode >= 0) {
        ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode));
    }
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void makeLink(const QString& target, const QString& link)
{
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) != 0) {
        qFatal("cannot link %s", qPrintable(link));
    }
}

int modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Every entry under root with its kind, bits and contents or link text, so two trees compare in one step.
QStringList snapshot(const QString& root)
{
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString rel = QDir(root).relativeFilePath(path);
        const QString mode = QString::number(modeOf(path), 8);
        if (info.isSymLink()) {
            // The link text itself, not where it resolves to.
            char target[4096];
            const ssize_t len = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
            lines << rel + QStringLiteral(" link ") + QString::fromUtf8(target, len < 0 ? 0 : len);
        } else if (info.isDir()) {
            lines << rel + QStringLiteral(" dir ") + mode;
        } else {
            lines << rel + QStringLiteral(" file ") + mode + QLatin1Char(' ') + QString::fromUtf8(readFile(path));
        }
    }
    lines.sort();
    return lines;
}

} // namespace

// File and folder operations on real trees: what each leaves behind, bits included, and why a failure failed.
class TestFileManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_savedUmask = ::umask(022); }
    void cleanupTestCase() { ::umask(m_savedUmask); }

    void fileExists_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("expected");
        QTest::newRow("file") << "file" << true;
        QTest::newRow("folder") << "folder" << true;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("link to file") << "link" << true;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("under a file") << "under-file" << false;
        QTest::newRow("empty path") << "empty" << false;
    }
    void fileExists()
    {
        QFETCH(QString, kind);
        QFETCH(bool, expected);
        QTemporaryDir dir;
        writeFile(dir.filePath("file"), "x");
        QDir(dir.path()).mkdir("folder");
        makeLink("file", dir.filePath("link"));
        makeLink("nowhere", dir.filePath("dangling"));
        const QString path = kind == QLatin1String("empty")        ? QString()
                             : kind == QLatin1String("under-file") ? dir.filePath("file/x")
                                                                   : dir.filePath(kind);
        QCOMPARE(fm().fileExists(path), expected);
    }

    void createDirectory_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("intermediates");
        QTest::addColumn<int>("mode"); // -1: none given
        QTest::addColumn<bool>("expected");
        QTest::newRow("leaf with mode") << "a/b/c" << true << 0700 << true;
        QTest::newRow("mode wider than umask") << "a/b" << true << 0777 << true;
        QTest::newRow("no mode") << "a" << false << -1 << true;
        QTest::newRow("missing parent") << "a/b" << false << 0700 << false;
        QTest::newRow("existing folder") << "folder" << false << 0700 << true;
        QTest::newRow("existing file") << "file" << true << -1 << false;
        QTest::newRow("under a file") << "file/sub/leaf" << true << 0700 << false;
        QTest::newRow("under a file, no intermediates") << "file/sub" << false << -1 << false;
        QTest::newRow("dangling link") << "dangling" << true << 0700 << false;
        QTest::newRow("dot-dot leaf") << "new/.." << true << 0700 << true;
    }
    void createDirectory()
    {
        QFETCH(QString, path);
        QFETCH(bool, intermediates);
        QFETCH(int, mode);
        QFETCH(bool, expected);
        QTemporaryDir dir;
        const QString root = dir.filePath("root");
        QVERIFY(QDir().mkdir(root));
        ::chmod(QFile::encodeName(root).constData(), 0751);
        writeFile(root + "/file", "keep");
        QVERIFY(QDir(root).mkdir("folder"));
        ::chmod(QFile::encodeName(root + "/folder").constData(), 0755);
        makeLink("nowhere", root + "/dangling");
        const QStringList before = snapshot(root);

        const auto givenMode = mode < 0 ? std::nullopt : std::optional<mode_t>(mode_t(mode));
        const Result<> made = fm().createDirectory(root + '/' + path, intermediates, givenMode);
        const bool ok = made.ok();
        const QString error = made.error();
        QCOMPARE(ok, expected);
        QCOMPARE(modeOf(root), 0751); // folders this call did not create keep their bits
        if (!ok) {
            QVERIFY(!error.isEmpty());
            QCOMPARE(snapshot(root), before);
            return;
        }
        QVERIFY(QFileInfo(root + '/' + path).isDir());
        if (path == QLatin1String("folder")) {
            QCOMPARE(modeOf(root + "/folder"), 0755);
        } else if (!path.contains(QLatin1String(".."))) {
            QCOMPARE(modeOf(root + '/' + path), mode < 0 ? 0755 : mode);
            // Parents made on the way take the given mode as well.
            for (QString parent = Paths::deletingLastPathComponent(path); !parent.isEmpty();
                 parent = Paths::deletingLastPathComponent(parent)) {
                QCOMPARE(modeOf(root + '/' + parent), mode < 0 ? 0755 : mode);
            }
        }
    }

    void copyFileBits_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("copied");    // the bits kept
        QTest::addColumn<int>("installed"); // the bits of an install
        QTest::newRow("0600") << 0600 << 0600 << 0644;
        QTest::newRow("0755") << 0755 << 0755 << 0755;
        QTest::newRow("0777 despite umask") << 0777 << 0777 << 0755;
        QTest::newRow("0666") << 0666 << 0666 << 0644;
        QTest::newRow("0400 read-only") << 0400 << 0400 << 0644;
        QTest::newRow("0100 run only") << 0100 << 0100 << 0755;
        QTest::newRow("sticky") << 01666 << 01666 << 0644;
        // What comes from an image never runs as its owner or group.
        QTest::newRow("set-user-ID dropped") << 04755 << 0755 << 0755;
        QTest::newRow("set-group-ID dropped") << 02755 << 0755 << 0755;
    }
    void copyFileBits()
    {
        QFETCH(int, mode);
        QFETCH(int, copied);
        QFETCH(int, installed);
        QTemporaryDir dir;
        QByteArray content(200000, '\0'); // spans several read buffers, holds NUL bytes
        for (qsizetype i = 0; i < content.size(); ++i) {
            content[i] = char(i * 7);
        }
        writeFile(dir.filePath("src"), content, mode);
        QVERIFY(fm().copyItem(dir.filePath("src"), dir.filePath("dst")).ok());
        QCOMPARE(readFile(dir.filePath("dst")), content);
        QCOMPARE(modeOf(dir.filePath("dst")), copied);
        QVERIFY(fm().copyItem(dir.filePath("src"), dir.filePath("inst"), FileManager::CopyModes::Installed).ok());
        QCOMPARE(readFile(dir.filePath("inst")), content);
        QCOMPARE(modeOf(dir.filePath("inst")), installed);
    }

    void copyTreeAsInstalled()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        QVERIFY(QDir().mkpath(src + "/open/shut"));
        writeFile(src + "/open/tool", "#!/bin/sh\n", 06777);
        writeFile(src + "/open/shut/data", "d", 0666);
        makeLink("open/tool", src + "/link");
        ::chmod(QFile::encodeName(src + "/open/shut").constData(), 0500);
        ::chmod(QFile::encodeName(src + "/open").constData(), 01777);
        ::chmod(QFile::encodeName(src).constData(), 0700);
        const QString dst = dir.filePath("dst");
        QVERIFY(fm().copyItem(src, dst, FileManager::CopyModes::Installed).ok());
        QCOMPARE(modeOf(dst), 0755);
        QCOMPARE(modeOf(dst + "/open"), 0755);
        QCOMPARE(modeOf(dst + "/open/shut"), 0755);
        QCOMPARE(modeOf(dst + "/open/tool"), 0755);
        QCOMPARE(modeOf(dst + "/open/shut/data"), 0644);
        QVERIFY(QFileInfo(dst + "/link").isSymLink());
    }

    void copyTreeKeepsLinksAndBits()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        QVERIFY(QDir().mkpath(src + "/sub/deeper"));
        QVERIFY(QDir().mkpath(src + "/empty"));
        QVERIFY(QDir().mkpath(src + "/readonly"));
        writeFile(src + "/top.txt", "top", 0640);
        writeFile(src + "/sub/tool", "#!/bin/sh\n", 0755);
        writeFile(src + "/sub/deeper/.hidden", "h", 0600);
        writeFile(src + "/readonly/inner", "ro", 0444);
        makeLink("sub/tool", src + "/rel-link");
        makeLink("../outside", src + "/sub/up-link");
        makeLink("gone", src + "/dangling");
        ::chmod(QFile::encodeName(src + "/sub").constData(), 0750);
        ::chmod(QFile::encodeName(src + "/readonly").constData(), 0500);
        ::chmod(QFile::encodeName(src).constData(), 0711);

        const Result<> copied = fm().copyItem(src, dir.filePath("dst"));
        QVERIFY2(copied.ok(), qPrintable(copied.error()));
        QCOMPARE(snapshot(dir.filePath("dst")), snapshot(src));
        QCOMPARE(modeOf(dir.filePath("dst")), 0711);
        QVERIFY(QFileInfo(dir.filePath("dst/sub/up-link")).isSymLink());
    }

    void copyFailsChangingNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("reason"); // part of the error text
        const QString exists = QStringLiteral("already exists");
        const QString itself = QStringLiteral("contain itself");
        const QString cannot = QStringLiteral("cannot copy");
        QTest::newRow("file onto file") << "file"
                                        << "other" << exists;
        QTest::newRow("file onto folder") << "file"
                                          << "folder" << exists;
        QTest::newRow("folder onto folder") << "tree"
                                            << "folder" << exists;
        QTest::newRow("folder onto file") << "tree"
                                          << "other" << exists;
        QTest::newRow("file onto dangling link") << "file"
                                                 << "dangling" << exists;
        QTest::newRow("folder onto dangling link") << "tree"
                                                   << "dangling" << exists;
        QTest::newRow("source missing") << "missing"
                                        << "new" << cannot;
        QTest::newRow("source under a file") << "file/x"
                                             << "new" << cannot;
        QTest::newRow("destination under a file") << "file"
                                                  << "other/new" << cannot;
        QTest::newRow("folder into itself") << "tree"
                                            << "tree/copy" << itself;
        QTest::newRow("folder into a descendant") << "tree"
                                                  << "tree/sub/copy" << itself;
        QTest::newRow("folder into itself through a link") << "tree"
                                                           << "tree-link/sub/copy" << itself;
    }
    void copyFailsChangingNothing()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        writeFile(dir.filePath("file"), "source", 0644);
        writeFile(dir.filePath("other"), "existing", 0600);
        QVERIFY(QDir(dir.path()).mkpath("folder/inner"));
        QVERIFY(QDir(dir.path()).mkpath("tree/sub"));
        writeFile(dir.filePath("tree/sub/f"), "f");
        makeLink("nowhere", dir.filePath("dangling"));
        makeLink("tree", dir.filePath("tree-link"));
        const QStringList before = snapshot(dir.path());
        const Result<> copied = fm().copyItem(dir.filePath(source), dir.filePath(destination));
        QVERIFY(!copied.ok());
        const QString error = copied.error();
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(snapshot(dir.path()), before);
    }

    void replaceItemWithCopy_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("expected");
        QTest::newRow("replace existing") << "new"
                                          << "dest" << 0600 << true;
        QTest::newRow("mode wider than umask") << "new"
                                               << "dest" << 0666 << true;
        QTest::newRow("destination missing") << "new"
                                             << "fresh" << 0644 << true;
        QTest::newRow("destination is a link") << "new"
                                               << "link" << 0644 << true;
        QTest::newRow("source missing") << "missing"
                                        << "dest" << 0600 << false;
        QTest::newRow("source is a folder") << "folder"
                                            << "dest" << 0600 << false;
        QTest::newRow("destination is a folder") << "new"
                                                 << "folder" << 0600 << false;
        QTest::newRow("destination under a file") << "new"
                                                  << "dest/x" << 0600 << false;
    }
    void replaceItemWithCopy()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(int, mode);
        QFETCH(bool, expected);
        QTemporaryDir outside;
        writeFile(outside.filePath("target"), "outside", 0644);
        QTemporaryDir dir;
        writeFile(dir.filePath("new"), "new contents", 0644);
        writeFile(dir.filePath("dest"), "old contents", 0640);
        QVERIFY(QDir(dir.path()).mkpath("folder/inner"));
        makeLink(outside.filePath("target"), dir.filePath("link"));
        // A second name for the old file shows whether it was rewritten in place or swapped out.
        QVERIFY(::link(QFile::encodeName(dir.filePath("dest")).constData(),
                       QFile::encodeName(dir.filePath("hard")).constData()) == 0);
        const QStringList before = snapshot(dir.path());

        const Result<> replaced =
            fm().replaceItemWithCopy(dir.filePath(source), dir.filePath(destination), mode_t(mode));
        QCOMPARE(replaced.ok(), expected);
        const QString error = replaced.error();
        QCOMPARE(readFile(outside.filePath("target")), QByteArray("outside"));
        QCOMPARE(readFile(dir.filePath("hard")), QByteArray("old contents"));
        if (!expected) {
            QVERIFY(!error.isEmpty());
            QCOMPARE(snapshot(dir.path()), before);
            return;
        }
        QCOMPARE(readFile(dir.filePath(destination)), QByteArray("new contents"));
        QCOMPARE(modeOf(dir.filePath(destination)), mode);
        QStringList names =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        QStringList wanted{"dest", "folder", "hard", "link", "new"};
        if (!wanted.contains(destination)) {
            wanted << destination;
            wanted.sort();
        }
        QCOMPARE(names, wanted);
    }

    void removeItem_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("tree") << "tree" << true;
        QTest::newRow("link to outside folder") << "tree/out-link" << true;
        QTest::newRow("single file") << "tree/sub/f" << true;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("empty path") << "" << false;
    }
    void removeItem()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QTemporaryDir outside;
        writeFile(outside.filePath("precious"), "keep");
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("tree/sub/readonly"));
        writeFile(dir.filePath("tree/sub/f"), "f", 0000);
        writeFile(dir.filePath("tree/sub/readonly/g"), "g", 0444);
        ::chmod(QFile::encodeName(dir.filePath("tree/sub/readonly")).constData(), 0500);
        makeLink(outside.path(), dir.filePath("tree/out-link"));
        makeLink("nowhere", dir.filePath("tree/dangling"));
        const QString target = path.isEmpty() ? QString() : dir.filePath(path);

        const Result<> removed = fm().removeItem(target);
        QCOMPARE(removed.ok(), expected);
        QCOMPARE(removed.error().isEmpty(), expected);
        if (expected) {
            QVERIFY(!QFileInfo(target).exists() && !QFileInfo(target).isSymLink());
        }
        QCOMPARE(readFile(outside.filePath("precious")), QByteArray("keep"));
    }

    void sizeAndTruncate_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint64>("size");
        QTest::addColumn<bool>("truncates");
        QTest::newRow("file") << "file" << quint64(1234) << true;
        QTest::newRow("empty file") << "empty" << quint64(0) << true;
        QTest::newRow("link to file") << "link" << quint64(1234) << true;
        QTest::newRow("missing") << "missing" << quint64(0) << false;
        QTest::newRow("folder") << "folder" << quint64(0) << false;
    }
    void sizeAndTruncate()
    {
        QFETCH(QString, name);
        QFETCH(quint64, size);
        QFETCH(bool, truncates);
        QTemporaryDir dir;
        writeFile(dir.filePath("file"), QByteArray(1234, 'x'), 0640);
        writeFile(dir.filePath("empty"), QByteArray());
        makeLink("file", dir.filePath("link"));
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString path = dir.filePath(name);
        if (name != QLatin1String("folder")) {
            QCOMPARE(fm().fileSize(path), size);
        }
        QCOMPARE(fm().truncateFile(path).ok(), truncates);
        if (truncates) {
            QCOMPARE(fm().fileSize(path), quint64(0));
            QCOMPARE(modeOf(dir.filePath("file")), 0640);
        }
        QCOMPARE(QFileInfo::exists(path), name != QLatin1String("missing"));
    }

private:
    mode_t m_savedUmask = 022;
};

QTEST_GUILESS_MAIN(TestFileManager)
#include "tst_filemanager.moc"
