// The whole plugin for one join: the application's own delegate and start-up, with a JoinTypist typing the
// session ID and name into the join window. The run ends as the plugin's own does, once the agent is launched.
// Usage: orvo-bench-join SESSION_ID NAME   (with the plugin's environment: HOME, SSL_CERT_FILE, ORVO_SYSTEM_ROOT)
#include "AppDelegate.h"
#include "Platform/App/Application.h"
#include "join/JoinTypist.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvo-bench-join SESSION_ID NAME\n");
        return 2;
    }
    const QString sessionId = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    int appArgc = 1;
    return Application::main(appArgc, argv, [&] {
        new JoinTypist(sessionId, name, QApplication::instance());
        return new AppDelegate;
    });
}
