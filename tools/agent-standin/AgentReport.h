#pragma once

#include <QString>
#include <QStringList>

// What one run of the stand-in agent saw: its arguments and the join-details file beside its bundle.
class AgentReport
{
public:
    // The agent folder: the folder holding the bundle whose Contents/MacOS holds executablePath.
    static QString agentFolderOf(const QString& executablePath);
    // Writes "orvo-agent-report.json" into agentFolder atomically; false (with a reason) when it cannot.
    static bool write(const QString& agentFolder, const QStringList& arguments, QString& error);
};
