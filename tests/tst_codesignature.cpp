#include "Platform/Signing/CodeSignature.h"
#include "Platform/Signing/SignedListCache.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace {

// What a row does to a signed bundle (and the companion beside it) before it is verified.
using Change = std::function<void(const QString& bundle, const QString& companion)>;

void writeFile(const QString& path, const QByteArray& data, mode_t mode = 0644)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size());
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void appendTo(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append) && file.write(data) == data.size());
}

void link(const QString& target, const QString& path)
{
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);
}

// A fresh Ed25519 private key in PEM: a signer the build does not know.
QByteArray strangersKey()
{
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"),
                                                                  &EVP_PKEY_free);
    const std::unique_ptr<BIO, decltype(&BIO_free)> out(BIO_new(BIO_s_mem()), &BIO_free);
    if (!key || !out || PEM_write_bio_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        return {};
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return QByteArray(data, static_cast<qsizetype>(size));
}

} // namespace

Q_DECLARE_METATYPE(Change)

class CodeSignatureTest : public QObject
{
    Q_OBJECT

private slots:
    void verify_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("companion");    // verify the companion instead of the bundle
        QTest::addColumn<QString>("refusal");   // part of the reason; empty: it verifies
        QTest::addColumn<bool>("shapeRefuses"); // the names, kinds and sizes alone refuse it, with the same reason

        const auto nothing = [](const QString&, const QString&) {
        };
        QTest::newRow("good bundle") << Change(nothing) << false << "" << false;
        QTest::newRow("flipped byte") << Change([](const QString& bundle, const QString&) {
            QFile file(bundle + "/Contents/MacOS/Sample");
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray data = file.readAll();
            data[5] = static_cast<char>(data[5] ^ 0x01);
            QVERIFY(file.seek(0) && file.write(data) == data.size());
        }) << false << "Contents/MacOS/Sample has been changed"
                                      << false;
        QTest::newRow("added file") << Change([](const QString& bundle, const QString&) {
            writeFile(bundle + "/Contents/Resources/extra.dylib", "more");
        }) << false << "Contents/Resources/extra.dylib is not in the signature"
                                    << true;
        QTest::newRow("added folder") << Change([](const QString& bundle, const QString&) {
            QVERIFY(QDir().mkdir(bundle + "/Contents/PlugIns"));
        }) << false << "Contents/PlugIns is not in the signature"
                                      << true;
        QTest::newRow("removed file") << Change([](const QString& bundle, const QString&) {
            QVERIFY(QFile::remove(bundle + "/Contents/Resources/picture.png"));
        }) << false << "Contents/Resources/picture.png is missing"
                                      << true;
        QTest::newRow("executable bit") << Change([](const QString& bundle, const QString&) {
            QCOMPARE(::chmod(QFile::encodeName(bundle + "/Contents/MacOS/Sample").constData(), 0644), 0);
        }) << false << "executable bit of Contents/MacOS/Sample"
                                        << false;
        // The tree's refusals are tested with BundleTree; this one shows they reach the caller and the tool.
        QTest::newRow("special file") << Change([](const QString& bundle, const QString&) {
            QCOMPARE(::mkfifo(QFile::encodeName(bundle + "/Contents/Resources/pipe").constData(), 0600), 0);
        }) << false << "Contents/Resources/pipe is a special file"
                                      << true;
        QTest::newRow("signed by another key") << Change([](const QString& bundle, const QString&) {
            const QByteArray key = strangersKey();
            QVERIFY(!key.isEmpty());
            const Result<> signedBundle = CodeSignature::signBundle(bundle, key);
            QVERIFY2(signedBundle.ok(), qPrintable(signedBundle.error()));
        }) << false << "the signature does not match"
                                               << true;
        QTest::newRow("missing signature") << Change([](const QString& bundle, const QString&) {
            QVERIFY(QFile::remove(bundle + "/Contents/_CodeSignature/CodeSignature"));
        }) << false << "the bundle is not signed"
                                           << true;
        QTest::newRow("extra file in the signature") << Change([](const QString& bundle, const QString&) {
            writeFile(bundle + "/Contents/_CodeSignature/Notes", "unsigned words");
        }) << false << "Contents/_CodeSignature/Notes does not belong in a signature"
                                                     << true;
        // A refusal quoting a hostile name stays one line, its controls escaped.
        QTest::newRow("forged log line as a name")
            << Change([](const QString& bundle, const QString&) {
                   writeFile(
                       bundle +
                           "/Contents/_CodeSignature/x\n2026-12-08 00:00:00.000 P[1:1] -[X y] : Orvo.app file copied",
                       "");
               })
            << false
            << "Contents/_CodeSignature/x\\n2026-12-08 00:00:00.000 P[1:1] -[X y] : Orvo.app file copied does "
               "not belong in a signature"
            << true;
        QTest::newRow("escape sequence as a name") << Change([](const QString& bundle, const QString&) {
            writeFile(bundle + "/Contents/_CodeSignature/\x1b[2Jgone", "");
        }) << false << "Contents/_CodeSignature/\\x1b[2Jgone does not belong in a signature"
                                                   << true;
        QTest::newRow("line separator in a name") << Change([](const QString& bundle, const QString&) {
            writeFile(bundle + QString::fromUtf8("/Contents/Resources/a\u2028b"), "");
        }) << false << "Contents/Resources/a\\u2028b is not in the signature"
                                                  << true;
        QTest::newRow("tampered resource list") << Change([](const QString& bundle, const QString&) {
            const QString list = bundle + "/Contents/_CodeSignature/CodeResources";
            QFile file(list);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QByteArray data = file.readAll();
            file.close();
            QVERIFY(data.contains("<true/>"));
            writeFile(list, data.replace("<true/>", "<false/>"));
        }) << false << "the signature does not match"
                                                << true;
        QTest::newRow("grown file") << Change([](const QString& bundle, const QString&) {
            appendTo(bundle + "/Contents/Resources/picture.png", "!");
        }) << false << "Contents/Resources/picture.png has been changed"
                                    << true;
        // Hashing it would take most of a minute; the shape refuses it before any file is read.
        QTest::newRow("unlisted 16 GB sparse file") << Change([](const QString& bundle, const QString&) {
            QFile huge(bundle + "/Contents/Resources/huge");
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64{16} << 30));
        }) << false << "Contents/Resources/huge is not in the signature"
                                                    << true;
        QTest::newRow("companion") << Change(nothing) << true << "" << false;
        QTest::newRow("changed companion")
            << Change([](const QString&, const QString& companion) { appendTo(companion, "\n# more\n"); }) << true
            << "Helper differs from the signed companion" << false;
    }
    void verify()
    {
        QFETCH(Change, change);
        QFETCH(bool, companion);
        QFETCH(QString, refusal);
        QFETCH(bool, shapeRefuses);
        QTemporaryDir dir;
        const QString bundle = dir.filePath("Sample.app");
        const QString helper = dir.filePath("Helper");
        writeFile(bundle + "/Contents/Info.plist", "<plist><dict/></plist>\n");
        writeFile(bundle + "/Contents/MacOS/Sample", "#!/bin/sh\nexit 0\n", 0755);
        writeFile(bundle + "/Contents/Resources/picture.png", "not really a picture");
        link("picture.png", bundle + "/Contents/Resources/current.png");
        QVERIFY(QDir().mkpath(bundle + "/Contents/Resources/Empty"));
        writeFile(helper, "#!/bin/sh\nexit 0\n", 0755);
        QVERIFY(signBundleForTest(bundle, {helper}));
        // As in an install, the list was found good before the change and is kept: nothing changed may pass by it.
        const SignedListCache signedLists;
        QVERIFY(CodeSignature::verifyBundle(bundle).ok());
        change(bundle, helper);
        if (QTest::currentTestFailed()) {
            return;
        }

        // Under the key the build embedded.
        const Result<> verified =
            companion ? CodeSignature::verifyCompanion(bundle, helper) : CodeSignature::verifyBundle(bundle);
        if (refusal.isEmpty()) {
            QVERIFY2(verified.ok(), qPrintable(verified.error()));
        } else {
            QVERIFY(!verified.ok());
            QVERIFY2(verified.error().contains(refusal), qPrintable(verified.error()));
        }
        if (companion) {
            return;
        }
        const Result<> shaped = CodeSignature::verifyShape(bundle);
        QCOMPARE(shaped.ok(), !shapeRefuses);
        QVERIFY2(!shapeRefuses || shaped.error() == verified.error(), qPrintable(shaped.error()));
        // The signing tool says the same, in one line.
        QProcess tool;
        tool.start(ORVO_CODESIGN_TOOL, {"verify", "--key", ORVO_SIGNING_PUBLIC_KEY_FILE, bundle});
        QVERIFY(tool.waitForFinished(60000));
        const QString error = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), refusal.isEmpty() ? 0 : 1);
        QCOMPARE(error.count('\n'), refusal.isEmpty() ? 0 : 1);
        QVERIFY2(error.contains(refusal), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(CodeSignatureTest)
#include "tst_codesignature.moc"
