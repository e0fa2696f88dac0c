#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files the provisioning tests lay out in their own temp folders.
namespace ProvisioningFixtures {

// Writes a file (with missing folders) and sets its permission bits; false on any failure.
bool writeFile(const QString& path, const QByteArray& contents, int mode = 0644);
// An XML property list holding a dictionary of string values.
QByteArray plist(const QList<QPair<QString, QString>>& entries);
// A bundle "<path>/Contents/{Info.plist,MacOS/<executable>}" whose executable is a shell script; no
// CFBundleExecutable entry when executable is empty.
bool makeBundle(const QString& path, const QString& version, const QString& executable, const QByteArray& script);
// A recording agent: writes its arguments (NUL-separated), its working folder, its session id and whether its input is
// /dev/null into "agent-args" beside the bundle, in one step.
bool makeRecordingAgent(const QString& bundlePath, const QString& version = QStringLiteral("5.2.1"));
// The arguments the plugin starts the agent with, written out as the agent receives them.
QStringList agentArguments();
// The arguments the recording agent beside bundlePath received; empty until it has run.
QStringList recordedAgentArguments(const QString& bundlePath);
// Everything the recording agent wrote, or an empty array when it has not run.
QByteArray agentRecord(const QString& bundlePath);
// The whole file, or an empty array.
QByteArray readFile(const QString& path);
// Every entry under path with its mode, and its contents' digest or link target: equal lists mean equal trees;
// {"missing"} when nothing is there.
QStringList treeListing(const QString& path);

// The agent's four companion tools, in the order they are installed.
QStringList companionTools();
// Copies the built agent "Orvo.app" and its tools into folder, as an agent image holds them.
bool stageAgent(const QString& folder);
// Signs "Orvo.app" in folder with the build's key, the tools beside it in its companions section.
bool signStagedAgent(const QString& folder);
// Makes a disk image of the folder's contents, with the volume name given.
bool makeImage(const QString& folder, const QString& volumeName, const QString& image);

} // namespace ProvisioningFixtures
