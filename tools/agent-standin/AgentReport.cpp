#include "AgentReport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

QString AgentReport::agentFolderOf(const QString& executablePath)
{
    // Orvo.app/Contents/MacOS/Orvo: three folders up is the bundle, its parent the agent folder.
    QDir folder = QFileInfo(executablePath).absoluteDir();
    for (int i = 0; i < 3; ++i) {
        folder.cdUp();
    }
    return folder.absolutePath();
}

bool AgentReport::write(const QString& agentFolder, const QStringList& arguments, QString& error)
{
    QJsonObject report;
    report.insert("arguments", QJsonArray::fromStringList(arguments));
    QFile joinDetails(QDir(agentFolder).filePath("orvojoindetails.conf"));
    report.insert("joinDetails", joinDetails.open(QIODevice::ReadOnly)
                                     ? QJsonValue(QString::fromUtf8(joinDetails.readAll()))
                                     : QJsonValue(QJsonValue::Null));
    report.insert("pid", QCoreApplication::applicationPid());
    report.insert("cwd", QDir::currentPath());

    // Written whole or not at all: readers poll for the file while the agent runs.
    QSaveFile file(QDir(agentFolder).filePath("orvo-agent-report.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(report).toJson()) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
