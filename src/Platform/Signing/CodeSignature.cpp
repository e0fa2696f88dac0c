#include "Platform/Signing/CodeSignature.h"

#include "Platform/Log/Log.h"
#include "Platform/Signing/BundleTree.h"
#include "Platform/Signing/CodeResources.h"
#include "Platform/Signing/FileDigest.h"
#include "Platform/Signing/SignedListCache.h"
#include "SigningKey.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace {

const QString resourcesName = QStringLiteral("CodeResources");
const QString signatureName = QStringLiteral("CodeSignature");
constexpr size_t signatureSize = 64;

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

// A key that asks for a pass phrase is refused rather than prompting on a terminal nobody watches.
int noPassphrase(char* /*buffer*/, int /*size*/, int /*writing*/, void* /*data*/)
{
    return -1;
}

// The Ed25519 key in pem, private or public; null for anything else. Leaves no OpenSSL errors behind on this
// thread, where the TLS code would find them.
Key readKey(const QByteArray& pem, bool isPrivate)
{
    Key key(nullptr, &EVP_PKEY_free);
    const std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())),
                                                        &BIO_free);
    if (bio) {
        key.reset(isPrivate ? PEM_read_bio_PrivateKey(bio.get(), nullptr, &noPassphrase, nullptr)
                            : PEM_read_bio_PUBKEY(bio.get(), nullptr, &noPassphrase, nullptr));
    }
    if (key && EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) {
        key.reset();
    }
    ERR_clear_error();
    return key;
}

Result<QByteArray> sign(EVP_PKEY* key, const QByteArray& data)
{
    const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    QByteArray signature(static_cast<qsizetype>(signatureSize), '\0');
    size_t length = signatureSize;
    const bool ok = context && EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key) == 1 &&
                    EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                                   reinterpret_cast<const unsigned char*>(data.constData()),
                                   static_cast<size_t>(data.size())) == 1 &&
                    length == signatureSize;
    ERR_clear_error();
    if (!ok) {
        return Failure{QStringLiteral("cannot sign the resource list")};
    }
    return signature;
}

bool signatureMatches(EVP_PKEY* key, const QByteArray& data, const QByteArray& signature)
{
    const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    const bool ok = context && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key) == 1 &&
                    EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
                                     static_cast<size_t>(signature.size()),
                                     reinterpret_cast<const unsigned char*>(data.constData()),
                                     static_cast<size_t>(data.size())) == 1;
    ERR_clear_error();
    return ok;
}

// The resource list in the signature files, once its signature is good under the key; fails with why not.
Result<CodeResources> signedResources(const QMap<QString, QByteArray>& seal, const QByteArray& publicKeyPem)
{
    const QString seen = BundleTree::sealFolder + QLatin1Char('/');
    if (!seal.contains(signatureName)) {
        return Failure{QStringLiteral("the bundle is not signed: %1 is missing").arg(seen + signatureName)};
    }
    if (!seal.contains(resourcesName)) {
        return Failure{QStringLiteral("the bundle is not signed: %1 is missing").arg(seen + resourcesName)};
    }
    for (auto it = seal.begin(); it != seal.end(); ++it) {
        if (it.key() != signatureName && it.key() != resourcesName) {
            return Failure{QStringLiteral("%1 does not belong in a signature").arg(seen + Log::outsideText(it.key()))};
        }
    }
    const QByteArray keyPem = publicKeyPem.isEmpty() ? CodeSignature::trustedPublicKey() : publicKeyPem;
    const QByteArray list = seal.value(resourcesName);
    const QByteArray signature = seal.value(signatureName);
    SignedListCache* cache = SignedListCache::current();
    if (cache) {
        if (std::optional<CodeResources> known = cache->find(keyPem, list, signature)) {
            return std::move(*known);
        }
    }
    const Key key = readKey(keyPem, false);
    if (!key) {
        return Failure{QStringLiteral("the key to verify with is not an Ed25519 public key in PEM")};
    }
    if (!signatureMatches(key.get(), list, signature)) {
        return Failure{QStringLiteral("the signature does not match the bundle's resource list under the key")};
    }
    Result<CodeResources> resources = CodeResources::fromData(list);
    if (cache && resources.ok()) {
        cache->keep(keyPem, list, signature, *resources);
    }
    return resources;
}

// Writes the file whole, or fails with the reason the signer gives for any of its writes.
Result<> writeSealFile(const QString& sealPath, const QString& name, const QByteArray& contents)
{
    QSaveFile file(QDir(sealPath).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        return Failure{QStringLiteral("cannot write the signature into %1").arg(BundleTree::sealFolder)};
    }
    return {};
}

} // namespace

QByteArray CodeSignature::trustedPublicKey()
{
    return QByteArray(trustedSigningKeyPem);
}

Result<> CodeSignature::verifyShape(const QString& bundlePath, const QByteArray& publicKeyPem)
{
    BundleTree shape;
    if (Result<> read = shape.readShape(bundlePath); !read.ok()) {
        return read;
    }
    const Result<CodeResources> resources = signedResources(shape.sealFiles(), publicKeyPem);
    if (!resources.ok()) {
        return Failure{resources.error()};
    }
    return resources->matchesShape(shape);
}

Result<> CodeSignature::verifyBundle(const QString& bundlePath, const QByteArray& publicKeyPem)
{
    // Nothing is hashed before the shape fits: an unlisted or grown file is refused at once, whatever its size.
    if (Result<> shaped = verifyShape(bundlePath, publicKeyPem); !shaped.ok()) {
        return shaped;
    }
    BundleTree tree;
    if (Result<> read = tree.read(bundlePath); !read.ok()) {
        return read;
    }
    const Result<CodeResources> resources = signedResources(tree.sealFiles(), publicKeyPem);
    if (!resources.ok()) {
        return Failure{resources.error()};
    }
    return resources->matches(tree);
}

Result<> CodeSignature::verifyCompanion(const QString& bundlePath, const QString& filePath,
                                        const QByteArray& publicKeyPem)
{
    BundleTree seal;
    if (Result<> read = seal.readSealOnly(bundlePath); !read.ok()) {
        return read;
    }
    const Result<CodeResources> resources = signedResources(seal.sealFiles(), publicKeyPem);
    if (!resources.ok()) {
        return Failure{resources.error()};
    }
    const QString name = QFileInfo(filePath).fileName();
    const auto listed = resources->companionDigest(name);
    if (!listed) {
        return Failure{QStringLiteral("%1 is not a signed companion of the bundle").arg(Log::outsideText(name))};
    }
    const Result<QString> digest = FileDigest::sha256OfFile(filePath);
    if (!digest.ok()) {
        return Failure{digest.error()};
    }
    if (*digest != *listed) {
        return Failure{QStringLiteral("%1 differs from the signed companion").arg(Log::outsideText(name))};
    }
    return {};
}

Result<> CodeSignature::signBundle(const QString& bundlePath, const QByteArray& privateKeyPem,
                                   const QStringList& companionPaths)
{
    const Key key = readKey(privateKeyPem, true);
    if (!key) {
        return Failure{QStringLiteral("the signing key is not an unencrypted Ed25519 private key in PEM")};
    }
    const QString contents = QDir(bundlePath).filePath(QStringLiteral("Contents"));
    const QFileInfo contentsInfo(contents);
    if (contentsInfo.isSymLink() || !contentsInfo.isDir()) {
        return Failure{QStringLiteral("the bundle has no Contents folder")};
    }
    // An earlier signature goes first: signing leaves exactly the two files, whatever was there.
    const QString sealPath = QDir(bundlePath).filePath(BundleTree::sealFolder);
    const QFileInfo sealInfo(sealPath);
    if (sealInfo.isSymLink() || (sealInfo.exists() && !sealInfo.isDir())) {
        QFile::remove(sealPath);
    } else if (sealInfo.exists()) {
        QDir(sealPath).removeRecursively();
    }
    BundleTree tree;
    if (Result<> read = tree.read(bundlePath); !read.ok()) {
        return read;
    }
    if (!tree.sealFiles().isEmpty() || tree.items().contains(BundleTree::sealFolder)) {
        return Failure{QStringLiteral("cannot remove the earlier signature")};
    }
    CodeResources resources(tree);
    for (const QString& companion : companionPaths) {
        const Result<QString> digest = FileDigest::sha256OfFile(companion);
        if (!digest.ok()) {
            return Failure{digest.error()};
        }
        if (Result<> added = resources.addCompanion(QFileInfo(companion).fileName(), *digest); !added.ok()) {
            return added;
        }
    }
    const QByteArray list = resources.data();
    if (list.isEmpty()) {
        return Failure{QStringLiteral("cannot sign the resource list")};
    }
    const Result<QByteArray> signature = sign(key.get(), list);
    if (!signature.ok()) {
        return Failure{signature.error()};
    }
    if (!QDir().mkdir(sealPath)) {
        return Failure{QStringLiteral("cannot write the signature into %1").arg(BundleTree::sealFolder)};
    }
    if (Result<> written = writeSealFile(sealPath, resourcesName, list); !written.ok()) {
        return written;
    }
    return writeSealFile(sealPath, signatureName, *signature);
}
