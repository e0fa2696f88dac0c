#include "Platform/SignatureCheck.h"

#include "Platform/CodeSignature.h"

#include <QtConcurrent>

SignatureCheck SignatureCheck::start(const QString& bundlePath)
{
    SignatureCheck check;
    check.m_bundlePath = bundlePath;
    check.m_result = QtConcurrent::run([bundlePath] { return CodeSignature::verifyBundle(bundlePath); });
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

std::optional<QString> SignatureCheck::verdict() const
{
    if (!isStarted()) {
        return QStringLiteral("nothing was checked");
    }
    return m_result.result();
}
