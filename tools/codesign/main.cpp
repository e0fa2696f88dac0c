#include "Platform/Signing/CodeSignature.h"

#include <QFile>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

constexpr int failure = 1;
constexpr int usageError = 2;
// PEM keys are a few hundred bytes; anything far larger is not a key.
constexpr qint64 maximumKeySize = qint64{64} * 1024;

const char* const usage = "usage: orvo-codesign sign --key PRIVATE.pem BUNDLE [--companion FILE]...\n"
                          "       orvo-codesign verify --key PUBLIC.pem BUNDLE";

int fail(const QString& verb, const QString& reason)
{
    std::fprintf(stderr, "orvo-codesign: %s: %s\n", qPrintable(verb), qPrintable(reason));
    return failure;
}

std::optional<QByteArray> readKey(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray pem = file.read(maximumKeySize + 1);
    return pem.size() > maximumKeySize ? std::nullopt : std::optional<QByteArray>(pem);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QFile::decodeName(argv[i]);
    }
    const QString verb = arguments.value(0);
    QString key;
    QString bundle;
    QStringList companions;
    bool wellFormed = verb == QLatin1String("sign") || verb == QLatin1String("verify");
    for (int i = 1; wellFormed && i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool takesValue = argument == QLatin1String("--key") ||
                                (verb == QLatin1String("sign") && argument == QLatin1String("--companion"));
        if (takesValue && i + 1 < arguments.size()) {
            const QString& value = arguments.at(++i);
            if (argument == QLatin1String("--companion")) {
                companions << value;
            } else {
                wellFormed = key.isNull();
                key = value;
            }
        } else if (!argument.startsWith(QLatin1String("--")) && bundle.isNull()) {
            bundle = argument;
        } else {
            wellFormed = false;
        }
    }
    if (!wellFormed || key.isEmpty() || bundle.isEmpty()) {
        std::fprintf(stderr, "%s\n", usage);
        return usageError;
    }
    const auto pem = readKey(key);
    if (!pem) {
        return fail(verb, QStringLiteral("cannot read the key %1").arg(key));
    }
    // An empty key would mean the plugin's own embedded one to the library; here the key is always the file's.
    if (pem->isEmpty()) {
        return fail(verb, QStringLiteral("the key %1 is empty").arg(key));
    }
    const Result<> done = verb == QLatin1String("sign") ? CodeSignature::signBundle(bundle, *pem, companions)
                                                        : CodeSignature::verifyBundle(bundle, *pem);
    return done.ok() ? 0 : fail(verb, done.error());
}
