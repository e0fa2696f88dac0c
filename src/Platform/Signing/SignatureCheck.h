#pragma once

#include "Platform/Log/Result.h"

#include <QFuture>
#include <QString>

// A bundle's code-signature check running on a worker thread, so hashing a large bundle holds nothing up; its
// verdict is waited for only where it is needed.
class SignatureCheck
{
public:
    // No check: its verdict says nothing was checked.
    SignatureCheck() = default;
    // Starts checking the bundle at bundlePath against the trusted key.
    static SignatureCheck start(const QString& bundlePath);

    // Whether start() made this check.
    bool isStarted() const;
    // The bundle being checked.
    QString bundlePath() const;
    // Waits for the check: succeeds when the bundle verified, otherwise fails with why not, in one line.
    Result<> verdict() const;

private:
    QString m_bundlePath;
    QFuture<Result<>> m_result;
};
