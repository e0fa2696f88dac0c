#include "Platform/App/ProcessInfo.h"

#include <QCoreApplication>

#include <optional>

namespace {
std::optional<QStringList> overridden;
}

QStringList ProcessInfo::arguments()
{
    return overridden ? *overridden : QCoreApplication::arguments();
}

void ProcessInfo::setArguments(const QStringList& arguments)
{
    overridden = arguments;
}
