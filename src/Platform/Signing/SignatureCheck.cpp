#include "Platform/Signing/SignatureCheck.h"

#include "Platform/Signing/CodeSignature.h"

#include <QtConcurrent>

#include <openssl/crypto.h>

SignatureCheck SignatureCheck::start(const QString& bundlePath)
{
    SignatureCheck check;
    check.m_bundlePath = bundlePath;
    check.m_result = QtConcurrent::run([bundlePath] {
        Result<> verdict = CodeSignature::verifyBundle(bundlePath);
        // OpenSSL frees a thread's error state when the thread exits, which for a pool thread can be after the
        // process's own OpenSSL clean-up at exit, and the state is then lost: free it here, on this thread.
        OPENSSL_thread_stop();
        return verdict;
    });
    return check;
}

bool SignatureCheck::isStarted() const
{
    return !m_bundlePath.isEmpty();
}

QString SignatureCheck::bundlePath() const
{
    return m_bundlePath;
}

Result<> SignatureCheck::verdict() const
{
    if (!isStarted()) {
        return Failure{QStringLiteral("nothing was checked")};
    }
    return m_result.result();
}
