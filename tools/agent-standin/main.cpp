#include "AgentReport.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

// The stand-in support agent: reports how it was started, then ends.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString error;
    const QString folder = AgentReport::agentFolderOf(QCoreApplication::applicationFilePath());
    if (!AgentReport::write(folder, QCoreApplication::arguments().mid(1), error)) {
        std::fprintf(stderr, "Orvo: cannot write the report in %s: %s\n", qPrintable(folder), qPrintable(error));
        return 1;
    }
    return 0;
}
