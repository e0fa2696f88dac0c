#include "Platform/Files/FileManager.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <optional>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString error;
};

void writeFile(const QString& path, const QByteArray& data, int mode = 0644)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.close();
    ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every name in a folder, hidden ones too.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Renames one entry in an image's Rock Ridge name records: libarchive's writer cleans ".." and leading "/" out of
// the names it is given, so hostile names have to be put in afterwards, as an attacker would.
void renameInImage(const QString& image, const QByteArray& from, const QByteArray& to)
{
    QVERIFY(from.size() == to.size());
    const QByteArray head = QByteArray("NM") + char(5 + from.size()) + char(1) + char(0);
    QByteArray data = readFile(image);
    QVERIFY(data.contains(head + from));
    data.replace(head + from, head + to);
    writeFile(image, data);
}

} // namespace

class TestHdiutilStandin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void createMountDetach_data();
    void createMountDetach();
    void refusals_data();
    void refusals();
    void detachLeavesForeignVolume();
    void hostileImage_data();
    void hostileImage();
    void builtImages_data();
    void builtImages();
    void agentReportsItsLaunch_data();
    void agentReportsItsLaunch();

private:
    ToolRun tool(const QStringList& arguments);
    QString volumes() const { return m_dir->filePath("root/Volumes"); }

    std::optional<QTemporaryDir> m_dir;
};

ToolRun TestHdiutilStandin::tool(const QStringList& arguments)
{
    QProcess process;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ORVO_SYSTEM_ROOT", m_dir->filePath("root"));
    process.setProcessEnvironment(environment);
    process.start(ORVO_HDIUTIL_STANDIN, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

void TestHdiutilStandin::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
}

void TestHdiutilStandin::createMountDetach_data()
{
    QTest::addColumn<QString>("volume");
    QTest::newRow("agent volume") << "Orvo";
    QTest::newRow("plugin volume") << "OrvoPlugin";
    QTest::newRow("mixed case and blanks") << "My Vol-1.0_x+";
}

void TestHdiutilStandin::createMountDetach()
{
    QFETCH(QString, volume);
    const QString source = m_dir->filePath("src");
    writeFile(source + "/Tool.app/Contents/MacOS/Tool", "#!/bin/sh\n", 0755);
    writeFile(source + "/notes/readme.txt", "read me\n", 0640);
    QVERIFY(QFile::link("Tool.app/Contents/MacOS/Tool", source + "/tool-link"));
    const QString image = m_dir->filePath("made.dmg");

    QCOMPARE(tool({"create", "-volname", volume, "-srcfolder", source, image}).exitCode, 0);
    QCOMPARE(tool({"mount", image}).exitCode, 0);
    QCOMPARE(entries(volumes()), QStringList{volume});
    const QString mounted = volumes() + "/" + volume;
    QCOMPARE(entries(mounted), QStringList({"Tool.app", "notes", "tool-link"}));
    QCOMPARE(permissionBits(mounted + "/Tool.app/Contents/MacOS/Tool"), 0755);
    QCOMPARE(permissionBits(mounted + "/notes/readme.txt"), 0640);
    QCOMPARE(readFile(mounted + "/notes/readme.txt"), QByteArray("read me\n"));
    QCOMPARE(QFileInfo(mounted + "/tool-link").symLinkTarget(), mounted + "/Tool.app/Contents/MacOS/Tool");

    QCOMPARE(tool({"detach", "/Volumes/" + volume}).exitCode, 0);
    QCOMPARE(entries(volumes()), QStringList());
    QVERIFY(tool({"detach", "/Volumes/" + volume}).exitCode != 0);
    // Detached, the same image attaches again.
    QCOMPARE(tool({"mount", image}).exitCode, 0);
}

void TestHdiutilStandin::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing image") << QStringList{"mount", "@/missing.dmg"} << "no such image file";
    QTest::newRow("not an image") << QStringList{"mount", "@/text.txt"} << "not a disk image";
    QTest::newRow("already attached") << QStringList{"mount", "@/good.dmg"} << "already attached";
    QTest::newRow("unknown volume") << QStringList{"detach", "/Volumes/Nobody"} << "not attached";
    QTest::newRow("not under /Volumes") << QStringList{"detach", "/tmp/Good"} << "not a mount point";
    QTest::newRow("climbing mount point") << QStringList{"detach", "/Volumes/../etc"} << "unusable volume name";
    QTest::newRow("no arguments") << QStringList{} << "usage";
    QTest::newRow("extra argument") << QStringList{"mount", "@/good.dmg", "more"} << "usage";
    QTest::newRow("name with a separator")
        << QStringList{"create", "-volname", "a/b", "-srcfolder", "@", "@/x.dmg"} << "unusable volume name";
    QTest::newRow("name too long") << QStringList{"create",     "-volname", "SeventeenLetters1",
                                                  "-srcfolder", "@",        "@/x.dmg"}
                                   << "1 to 16";
    QTest::newRow("image exists") << QStringList{"create", "-volname", "X", "-srcfolder", "@", "@/good.dmg"}
                                  << "already exists";
}

void TestHdiutilStandin::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    writeFile(m_dir->filePath("text.txt"), QByteArray(40000, 'x'));
    writeFile(m_dir->filePath("src/file"), "x");
    QCOMPARE(tool({"create", "-volname", "Good", "-srcfolder", m_dir->filePath("src"), m_dir->filePath("good.dmg")})
                 .exitCode,
             0);
    QCOMPARE(tool({"mount", m_dir->filePath("good.dmg")}).exitCode, 0);
    arguments.replaceInStrings("@", m_dir->path());

    const ToolRun run = tool(arguments);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.error.contains(message), qPrintable(run.error));
    QCOMPARE(run.error.count('\n'), 1);
    QVERIFY(run.error.endsWith('\n'));
    // The one volume there was is untouched.
    QCOMPARE(entries(volumes()), QStringList{"Good"});
    QCOMPARE(readFile(volumes() + "/Good/file"), QByteArray("x"));
}

void TestHdiutilStandin::detachLeavesForeignVolume()
{
    writeFile(volumes() + "/Foreign/keep", "mine");
    writeFile(m_dir->filePath("src/file"), "x");
    const QString image = m_dir->filePath("foreign.dmg");
    QCOMPARE(tool({"create", "-volname", "Foreign", "-srcfolder", m_dir->filePath("src"), image}).exitCode, 0);

    QVERIFY(tool({"detach", "/Volumes/Foreign"}).exitCode != 0);
    QVERIFY(tool({"mount", image}).exitCode != 0);
    QCOMPARE(entries(volumes()), QStringList{"Foreign"});
    QCOMPARE(entries(volumes() + "/Foreign"), QStringList{"keep"});
    // The refused mount left no claim behind.
    QCOMPARE(entries(m_dir->filePath("root/var/run/orvo-hdiutil-standin")), QStringList());
}

void TestHdiutilStandin::hostileImage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("entry ../x") << "dotdot"
                                << "leaves the volume";
    QTest::newRow("absolute entry") << "absolute"
                                    << "absolute path";
    QTest::newRow("link to /etc") << "link /etc"
                                  << "points outside";
    QTest::newRow("link climbing out") << "link ../../outside"
                                       << "points outside";
    QTest::newRow("link climbing through a name") << "link a/../.."
                                                  << "points outside";
}

void TestHdiutilStandin::hostileImage()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString source = m_dir->filePath("src");
    // Entries before and after the bad one: the good ones must not stay behind either.
    writeFile(source + "/aaa/first", "first");
    writeFile(source + "/zzz/last", "last");
    if (kind.startsWith("link ")) {
        QVERIFY(QFile::link(kind.mid(5), source + "/aaa/x"));
    } else {
        writeFile(source + (kind == "dotdot" ? "/qq/x" : "/qab"), "escaped");
    }
    const QString image = m_dir->filePath("hostile.dmg");
    QCOMPARE(tool({"create", "-volname", "Hostile", "-srcfolder", source, image}).exitCode, 0);
    if (kind == "dotdot") {
        renameInImage(image, "qq", "..");
    } else if (kind == "absolute") {
        renameInImage(image, "qab", "/ab");
    }

    const ToolRun run = tool({"mount", image});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.error.contains(message), qPrintable(run.error));
    QCOMPARE(run.error.count('\n'), 1);
    QCOMPARE(entries(volumes()), QStringList());
    QCOMPARE(entries(m_dir->filePath("root/var/run/orvo-hdiutil-standin")), QStringList());
    QCOMPARE(entries(m_dir->path()), QStringList({"hostile.dmg", "root", "src"}));
    QCOMPARE(entries(m_dir->filePath("root")), QStringList({"Volumes", "var"}));
}

void TestHdiutilStandin::builtImages_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QStringList>("executables");
    QTest::addColumn<QString>("infoPlist");
    QTest::addColumn<QString>("version");
    QTest::newRow("agent") << ORVO_AGENT_IMAGE << "Orvo"
                           << QStringList{"Orvo.app/Contents/MacOS/Orvo", "OrvoCrashDetector", "WendraUserHandler",
                                          "OWPreLogin", "OrvoPingAgent"}
                           << "Orvo.app/Contents/Info.plist" << ORVO_AGENT_VERSION;
    QTest::newRow("plugin") << ORVO_NEWER_PLUGIN_IMAGE << "OrvoPlugin"
                            << QStringList{"Orvo Wendra Customer Plugin.app/Contents/MacOS/Orvo Wendra Customer Plugin"}
                            << "Orvo Wendra Customer Plugin.app/Contents/Info.plist" << ORVO_NEWER_PLUGIN_VERSION;
}

void TestHdiutilStandin::builtImages()
{
    QFETCH(QString, image);
    QFETCH(QString, volume);
    QFETCH(QStringList, executables);
    QFETCH(QString, infoPlist);
    QFETCH(QString, version);
    QCOMPARE(tool({"mount", image}).exitCode, 0);
    const QString mounted = volumes() + "/" + volume;
    QCOMPARE(entries(mounted).size(), executables.size());
    for (const QString& executable : executables) {
        QVERIFY2(QFileInfo(mounted + "/" + executable).isExecutable(), qPrintable(executable));
    }
    const QByteArray plist = readFile(mounted + "/" + infoPlist);
    QVERIFY(plist.contains("<key>CFBundleShortVersionString</key>\n\t<string>" + version.toUtf8() + "</string>"));
    QCOMPARE(tool({"detach", "/Volumes/" + volume}).exitCode, 0);
}

void TestHdiutilStandin::agentReportsItsLaunch_data()
{
    QTest::addColumn<QByteArray>("joinDetails");
    QTest::addColumn<QStringList>("arguments");
    const QString launchJson = R"({"M3":"Agent downloaded time : 00:00:00 | Server : CDN",)"
                               R"("M2":"Session Validated : 00:00:00","M1":"Join Launched time : 00:00:00",)"
                               R"("M4":"Agent launched time : 00:00:00"})";
    QTest::newRow("plugin launch") << QByteArray("key=123456789\nhost=h\n") << QStringList{"-timestamps", launchJson};
    QTest::newRow("no join details, odd arguments") << QByteArray() << QStringList{"", " two words ", "ü\"\\"};
}

void TestHdiutilStandin::agentReportsItsLaunch()
{
    QFETCH(QByteArray, joinDetails);
    QFETCH(QStringList, arguments);
    QCOMPARE(tool({"mount", ORVO_AGENT_IMAGE}).exitCode, 0);
    // Installed as the plugin installs it: copied out of the volume into the agent folder.
    const QString agentFolder = m_dir->filePath("agent folder");
    QVERIFY(QDir().mkpath(agentFolder));
    QVERIFY(FileManager::defaultManager().copyItem(volumes() + "/Orvo/Orvo.app", agentFolder + "/Orvo.app"));
    if (!joinDetails.isEmpty()) {
        writeFile(agentFolder + "/orvojoindetails.conf", joinDetails);
    }

    QProcess agent;
    agent.setWorkingDirectory(m_dir->path());
    agent.start(agentFolder + "/Orvo.app/Contents/MacOS/Orvo", arguments);
    QVERIFY(agent.waitForStarted());
    const qint64 pid = agent.processId();
    QVERIFY(agent.waitForFinished(60000));
    QCOMPARE(agent.exitCode(), 0);

    const QJsonObject report = QJsonDocument::fromJson(readFile(agentFolder + "/orvo-agent-report.json")).object();
    QCOMPARE(report.value("arguments").toVariant().toStringList(), arguments);
    QCOMPARE(report.value("joinDetails"),
             joinDetails.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString::fromUtf8(joinDetails)));
    QCOMPARE(report.value("pid").toInteger(), pid);
    QCOMPARE(report.value("cwd").toString(), QDir(m_dir->path()).canonicalPath());
}

QTEST_GUILESS_MAIN(TestHdiutilStandin)
#include "tst_hdiutilstandin.moc"
