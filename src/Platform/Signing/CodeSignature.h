#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Bundle code signatures: Contents/_CodeSignature/CodeResources lists every file and link of the bundle outside
// _CodeSignature with its SHA-256 digest (links: their target; files: also the size and the executable bit), and
// Contents/_CodeSignature/CodeSignature is the Ed25519 signature over CodeResources' exact bytes. Safe to call from
// any thread.
class CodeSignature
{
public:
    // The public key (PEM) this build of the plugin trusts.
    static QByteArray trustedPublicKey();
    // Succeeds when the bundle verifies under publicKeyPem (the trusted key when empty): a good signature, every
    // listed item present and matching, nothing unlisted, no link out of the bundle; names, kinds and sizes are
    // compared before any file is hashed. Fails with why not, in one line.
    static Result<> verifyBundle(const QString& bundlePath, const QByteArray& publicKeyPem = {});
    // The cheap part of verifyBundle: the signature over the list, and the listed names, kinds and sizes against the
    // tree as lstat sees it, with no file hashed. Fails with why not, in one line.
    static Result<> verifyShape(const QString& bundlePath, const QByteArray& publicKeyPem = {});
    // Succeeds when the file matches the entry under its file name in the bundle's signed companions section (the
    // signature over CodeResources is checked again); fails with why not, in one line.
    static Result<> verifyCompanion(const QString& bundlePath, const QString& filePath,
                                    const QByteArray& publicKeyPem = {});
    // Writes the two signature files into the bundle, signed with privateKeyPem, with each companion's file name and
    // digest in the companions section; fails with why not, in one line.
    static Result<> signBundle(const QString& bundlePath, const QByteArray& privateKeyPem,
                               const QStringList& companionPaths = {});
};
