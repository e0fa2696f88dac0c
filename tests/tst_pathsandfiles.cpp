#include "Platform/Files/Bundle.h"
#include "Platform/Files/Paths.h"
#include "Platform/Files/PropertyList.h"
#include "Platform/Files/SystemRoot.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <pwd.h>

namespace {

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
}

// A binary property list from already encoded objects that use one-byte references; object 0 is the top.
QByteArray binaryPlist(const QList<QByteArray>& objects)
{
    QByteArray out("bplist00");
    QByteArray offsets;
    for (const QByteArray& object : objects) {
        offsets += char(out.size());
        out += object;
    }
    const qsizetype tableOffset = out.size();
    out += offsets;
    QByteArray trailer(6, '\0');
    trailer += char(1);
    trailer += char(1);
    trailer += QByteArray(7, '\0') + char(objects.size());
    trailer += QByteArray(8, '\0');
    trailer += QByteArray(7, '\0') + char(tableOffset);
    return out + trailer;
}

QByteArray xmlPlist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

// Canonical text of a parsed value with its kind, so a table can state type and value together.
QString describe(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return QStringLiteral("s:") + value.toString();
    case QMetaType::Bool:
        return QStringLiteral("b:") + value.toString();
    case QMetaType::LongLong:
        return QStringLiteral("i:") + QString::number(value.toLongLong());
    case QMetaType::ULongLong:
        return QStringLiteral("i:") + QString::number(value.toULongLong());
    case QMetaType::Double:
        return QStringLiteral("r:") + QString::number(value.toDouble());
    case QMetaType::QByteArray:
        return QStringLiteral("d:") + QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QDateTime:
        return QStringLiteral("t:") + value.toDateTime().toUTC().toString(Qt::ISODate);
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant& item : value.toList()) {
            items << describe(item);
        }
        return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    case QMetaType::QVariantMap: {
        QStringList items;
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            items << it.key() + QLatin1Char('=') + describe(it.value());
        }
        return QLatin1Char('{') + items.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    default:
        return QStringLiteral("?") + QString::fromLatin1(value.typeName());
    }
}

// Sets or clears an environment variable for one scope.
class EnvGuard
{
public:
    EnvGuard(const char* name, const std::optional<QByteArray>& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~EnvGuard() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestPathsAndFiles : public QObject
{
    Q_OBJECT

private slots:

    void pathText_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("expected");
        QTest::newRow("append plain") << "append"
                                      << "/a"
                                      << "b"
                                      << "/a/b";
        QTest::newRow("append collapses repeats") << "append"
                                                  << "a//b/"
                                                  << "c"
                                                  << "a/b/c";
        QTest::newRow("append both separators") << "append"
                                                << "/a/"
                                                << "/b"
                                                << "/a/b";
        QTest::newRow("append to root") << "append"
                                        << "/"
                                        << "Library"
                                        << "/Library";
        QTest::newRow("append trailing goes") << "append"
                                              << "a"
                                              << "b/"
                                              << "a/b";
        QTest::newRow("append keeps dot-dot") << "append"
                                              << "/a/b"
                                              << "../c"
                                              << "/a/b/../c";
        QTest::newRow("append empty base") << "append"
                                           << ""
                                           << "b"
                                           << "b";
        QTest::newRow("append empty component") << "append"
                                                << "/a/"
                                                << ""
                                                << "/a";
        QTest::newRow("append both empty") << "append"
                                           << ""
                                           << ""
                                           << "";
        QTest::newRow("delete deep") << "delete"
                                     << "/a/b/c"
                                     << ""
                                     << "/a/b";
        QTest::newRow("delete trailing") << "delete"
                                         << "/a/b/"
                                         << ""
                                         << "/a";
        QTest::newRow("delete single") << "delete"
                                       << "a"
                                       << ""
                                       << "";
        QTest::newRow("delete hyphenated single") << "delete"
                                                  << "Installer-Plugin"
                                                  << ""
                                                  << "";
        QTest::newRow("delete under root") << "delete"
                                           << "/a"
                                           << ""
                                           << "/";
        QTest::newRow("delete root") << "delete"
                                     << "/"
                                     << ""
                                     << "/";
        QTest::newRow("delete repeats") << "delete"
                                        << "//a//b//"
                                        << ""
                                        << "/a";
        QTest::newRow("delete dot-dot") << "delete"
                                        << "/a/b/.."
                                        << ""
                                        << "/a/b";
        QTest::newRow("last deep") << "last"
                                   << "/a/b/c"
                                   << ""
                                   << "c";
        QTest::newRow("last trailing") << "last"
                                       << "/a/b//"
                                       << ""
                                       << "b";
        QTest::newRow("last single") << "last"
                                     << "a"
                                     << ""
                                     << "a";
        QTest::newRow("last root") << "last"
                                   << "/"
                                   << ""
                                   << "/";
        QTest::newRow("last dot-dot") << "last"
                                      << "/a/.."
                                      << ""
                                      << "..";
        QTest::newRow("last empty") << "last"
                                    << ""
                                    << ""
                                    << "";
    }
    void pathText()
    {
        QFETCH(QString, op);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        const QString actual = op == QLatin1String("append")   ? Paths::appendingPathComponent(a, b)
                               : op == QLatin1String("delete") ? Paths::deletingLastPathComponent(a)
                                                               : Paths::lastPathComponent(a);
        QCOMPARE(actual, expected);
        // Callers tell "no parent" from "no answer" by null-ness.
        if (op == QLatin1String("delete")) {
            QVERIFY(!actual.isNull());
        }
    }

    void homeFolders_data()
    {
        // The password entry's home stands in for a missing, empty or relative $HOME.
        const struct passwd* entry = ::getpwuid(::getuid());
        const QString account = entry && entry->pw_dir ? QFile::decodeName(entry->pw_dir) : QString();
        QTest::addColumn<std::optional<QByteArray>>("home");
        QTest::addColumn<QString>("expectedHome");
        QTest::addColumn<QString>("expectedLibrary");
        QTest::newRow("plain") << std::optional<QByteArray>("/home/tester") << "/home/tester"
                               << "/home/tester/Library";
        QTest::newRow("trailing") << std::optional<QByteArray>("/home/tester/") << "/home/tester"
                                  << "/home/tester/Library";
        QTest::newRow("root") << std::optional<QByteArray>("/") << "/"
                              << "/Library";
        QTest::newRow("non-ASCII") << std::optional<QByteArray>("/home/t\xc3\xa9st") << "/home/t\u00e9st"
                                   << "/home/t\u00e9st/Library";
        if (account.startsWith(QLatin1Char('/'))) {
            QTest::newRow("empty") << std::optional<QByteArray>("") << account << account + "/Library";
            QTest::newRow("unset") << std::optional<QByteArray>() << account << account + "/Library";
            QTest::newRow("relative") << std::optional<QByteArray>("tester") << account << account + "/Library";
        }
    }
    void homeFolders()
    {
        QFETCH(std::optional<QByteArray>, home);
        QFETCH(QString, expectedHome);
        QFETCH(QString, expectedLibrary);
        const EnvGuard guard("HOME", home);
        QCOMPARE(Paths::homeDirectory(), expectedHome);
        QCOMPARE(Paths::userLibraryDirectory(), expectedLibrary);
    }

    void propertyList_data()
    {
        QTest::addColumn<QString>("where"); // "file", "missing", "folder", "under-file" or "fifo"
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // empty: no dictionary; "*": any outcome but a crash
        const QByteArray xml = xmlPlist("<dict>\n<key>name</key><string>Plugin &amp; \xc3\xa9</string>\n"
                                        "<key>count</key><integer>42</integer>\n<key>on</key><true/>\n"
                                        "<key>off</key><false/>\n<key>empty</key><string></string>\n</dict>");
        const QString xmlExpected = "{count=i:42,empty=s:,name=s:Plugin & \u00e9,off=b:false,on=b:true}";
        QTest::newRow("xml") << "file" << xml << xmlExpected;
        QTest::newRow("xml nested") << "file"
                                    << xmlPlist("<dict><key>r</key><real>1.5</real><key>d</key><data>AAEC</data>"
                                                "<key>a</key><array><string>x</string><integer>1</integer></array>"
                                                "<key>m</key><dict><key>k</key><string>v</string></dict></dict>")
                                    << "{a=[s:x,i:1],d=d:000102,m={k=s:v},r=r:1.5}";
        QTest::newRow("xml negative integer")
            << "file" << xmlPlist("<dict><key>n</key><integer>-5</integer></dict>") << "{n=i:-5}";
        QTest::newRow("xml empty dict") << "file" << xmlPlist("<dict/>") << "{}";
        const QByteArray binary =
            binaryPlist({QByteArray("\xd4\x01\x02\x03\x04\x05\x06\x07\x08", 9), "\x51k", "\x51n", "\x51t", "\x51u",
                         "\x53val", QByteArray("\x10\x07", 2), "\x09", QByteArray("\x61\x00\xe9", 3)});
        QTest::newRow("binary") << "file" << binary << "{k=s:val,n=i:7,t=b:true,u=s:\u00e9}";
        QTest::newRow("binary negative integer")
            << "file" << binaryPlist({"\xd1\x01\x02", "\x51n", QByteArray("\x13\xff\xff\xff\xff\xff\xff\xff\xfb", 9)})
            << "{n=i:-5}";
        QTest::newRow("xml array at top") << "file" << xmlPlist("<array><string>a</string></array>") << "";
        QTest::newRow("xml string at top") << "file" << xmlPlist("<string>a</string>") << "";
        QTest::newRow("binary array at top") << "file" << binaryPlist({"\xa1\x01", "\x51x"}) << "";
        QTest::newRow("empty file") << "file" << QByteArray() << "";
        QTest::newRow("truncated xml") << "file" << xml.left(xml.size() / 2) << "";
        QTest::newRow("unclosed dict") << "file" << xml.left(xml.indexOf("</dict>")) << "";
        QTest::newRow("truncated binary") << "file" << binary.left(binary.size() - 10) << "";
        QTest::newRow("bplist00 and garbage") << "file" << QByteArray("bplist00\xff\x00\x13garbage!", 18) << "";
        QTest::newRow("binary reference past end") << "file" << binaryPlist({"\xd1\x01\x7f", "\x51k"}) << "";
        QTest::newRow("binary dict holding itself") << "file" << binaryPlist({"\xd1\x01\x00", "\x51k"}) << "";
        QTest::newRow("binary string longer than file")
            << "file" << binaryPlist({"\xd1\x01\x02", "\x51k", "\x5f\x10\xf0"}) << "";
        // UTF-16 text holding a NUL made libplist abort the plugin when the text was read.
        QTest::newRow("binary NUL in UTF-16 value")
            << "file" << binaryPlist({"\xd1\x01\x02", "\x51k", QByteArray("\x62\x00\xe9\x00\x00", 5)}) << "";
        QTest::newRow("binary NUL in UTF-16 key")
            << "file" << binaryPlist({"\xd1\x01\x02", QByteArray("\x62\x00\xe9\x00\x00", 5), "\x51v"}) << "";
        QByteArray noise(4096, '\0');
        QRandomGenerator random(20240607);
        for (char& c : noise) {
            c = char(random.bounded(256));
        }
        QTest::newRow("random bytes") << "file" << noise << "";
        QTest::newRow("plain text") << "file" << QByteArray("hello, world\n") << "";
        QTest::newRow("deep nesting") << "file"
                                      << xmlPlist("<dict><key>k</key>" + QByteArray("<array>").repeated(20000) +
                                                  QByteArray("</array>").repeated(20000) + "</dict>")
                                      << "*";
        QTest::newRow("missing file") << "missing" << QByteArray() << "";
        QTest::newRow("folder") << "folder" << QByteArray() << "";
        QTest::newRow("under a file") << "under-file" << QByteArray() << "";
        QTest::newRow("pipe without a writer") << "fifo" << QByteArray() << "";
    }
    void propertyList()
    {
        QFETCH(QString, where);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        writeFile(dir.filePath("file"), content);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
        const QString path =
            where == QLatin1String("under-file") ? dir.filePath("file/Info.plist") : dir.filePath(where);
        const auto result = PropertyList::dictionaryWithContentsOfFile(path);
        if (expected.isEmpty()) {
            QVERIFY2(!result, result ? qPrintable(describe(*result)) : "");
        } else if (expected != QLatin1String("*")) {
            QVERIFY(result);
            QCOMPARE(describe(*result), expected);
        }
    }

    void bundleInfo_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // as describe() prints it; empty: invalid
        QTest::addColumn<QString>("text");  // null: nothing
        QTest::newRow("string") << "CFBundleShortVersionString"
                                << "s:2.4.1"
                                << "2.4.1";
        QTest::newRow("integer") << "CFBundleVersion"
                                 << "i:310"
                                 << "310";
        QTest::newRow("real") << "Real"
                              << "r:1.5"
                              << "1.5";
        QTest::newRow("boolean prints as a number") << "Flag"
                                                    << "b:true"
                                                    << "1";
        QTest::newRow("array") << "List"
                               << "[s:a,s:b c]"
                               << "(\n    a,\n    \"b c\"\n)";
        QTest::newRow("missing key") << "Absent"
                                     << "" << QString();
    }
    void bundleInfo()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString bundle = dir.filePath("Fake Tool.app");
        QVERIFY(QDir().mkpath(bundle + "/Contents/MacOS"));
        writeFile(bundle + "/Contents/Info.plist",
                  xmlPlist("<dict><key>CFBundleShortVersionString</key><string>2.4.1</string>"
                           "<key>CFBundleVersion</key><integer>310</integer><key>Real</key><real>1.5</real>"
                           "<key>Flag</key><true/><key>List</key><array><string>a</string><string>b c</string>"
                           "</array></dict>"));
        const QVariant actual = Bundle::infoDictionaryValue(bundle, key);
        QCOMPARE(actual.isValid() ? describe(actual) : QString(), value);
        // A trailing separator names the same bundle.
        QCOMPARE(Bundle::infoDictionaryValue(bundle + '/', key), actual);
        const auto actualText = Bundle::infoDictionaryText(bundle, key);
        QCOMPARE(actualText.has_value(), !text.isNull());
        if (actualText) {
            QCOMPARE(*actualText, text);
        }
    }

    void bundleWithoutInfo_data()
    {
        QTest::addColumn<QByteArray>("info"); // null: no Info.plist at all
        QTest::newRow("no Info.plist") << QByteArray();
        QTest::newRow("garbage Info.plist") << QByteArray("\x00\x01garbage", 9);
        QTest::newRow("array Info.plist") << xmlPlist("<array><string>2.4.1</string></array>");
    }
    void bundleWithoutInfo()
    {
        QFETCH(QByteArray, info);
        QTemporaryDir dir;
        const QString bundle = dir.filePath("X.app");
        QVERIFY(QDir().mkpath(bundle + "/Contents"));
        if (!info.isNull()) {
            writeFile(bundle + "/Contents/Info.plist", info);
        }
        const QString key = QStringLiteral("CFBundleShortVersionString");
        QVERIFY(!Bundle::infoDictionaryValue(bundle, key).isValid());
        QVERIFY(!Bundle::infoDictionaryText(bundle, key));
        QVERIFY(!Bundle::infoDictionaryText(dir.filePath("Missing.app"), key));
    }

    void systemRoot_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("root");
        QTest::addColumn<QString>("expected");
        const QString tool = QStringLiteral("/usr/bin/hdiutil");
        QTest::newRow("unset") << std::optional<QByteArray>() << tool;
        QTest::newRow("empty") << std::optional<QByteArray>("") << tool;
        QTest::newRow("plain") << std::optional<QByteArray>("/tmp/root") << "/tmp/root/usr/bin/hdiutil";
        QTest::newRow("trailing") << std::optional<QByteArray>("/tmp/root/") << "/tmp/root/usr/bin/hdiutil";
        QTest::newRow("repeated") << std::optional<QByteArray>("/tmp//root//") << "/tmp/root/usr/bin/hdiutil";
        QTest::newRow("slash") << std::optional<QByteArray>("/") << tool;
    }
    void systemRoot()
    {
        QFETCH(std::optional<QByteArray>, root);
        QFETCH(QString, expected);
        const EnvGuard guard("ORVO_SYSTEM_ROOT", root);
        QCOMPARE(SystemRoot::path(QStringLiteral("/usr/bin/hdiutil")), expected);
    }
};

QTEST_MAIN(TestPathsAndFiles)
#include "tst_pathsandfiles.moc"
