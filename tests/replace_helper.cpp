// Runs only the plugin's replacement at exit on the bundle at APP_PATH, acting as that bundle's executable, with the
// replacement flag set, in a process of its own that a test can kill at any moment or run as another user. Without
// APP_PATH it acts as itself, wherever it lies. HOME names the home folder holding the staged bundle; the log goes
// to standard error.
//   replace_helper [--as UID:GID] [--no-exchange] [APP_PATH]
#include "AppDelegate.h"
#include "Objects/SessionDetails.h"
#include "Platform/Files/Bundle.h"
#include "Platform/Files/BundleReplacer.h"
#include "Platform/Log/TestHooks.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <stdio.h>
#include <unistd.h>

#include <grp.h>

int main(int argc, char** argv)
{
    QByteArray appPath;
    bool exchange = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--as" && i + 1 < argc) {
            const QList<QByteArray> ids = QByteArray(argv[++i]).split(':');
            // Permission bits mean nothing to root; the unwritable-folder cases need an ordinary user.
            if (ids.size() != 2 || ::setgroups(0, nullptr) != 0 || ::setgid(ids[1].toUInt()) != 0 ||
                ::setuid(ids[0].toUInt()) != 0) {
                perror("cannot change user");
                return 3;
            }
        } else if (arg == "--no-exchange") {
            exchange = false;
        } else {
            appPath = arg;
        }
    }
    const QString bundle = QString::fromLocal8Bit(appPath);
    const HookGuard swap(TestHooks::exchangeEnabled, exchange);
    // Acts as the program inside the bundle named, when one is.
    const HookGuard program(TestHooks::mainExecutablePath,
                            bundle.isEmpty() ? QString()
                                             : bundle + QStringLiteral("/Contents/MacOS/Orvo Wendra Customer Plugin"));
    QCoreApplication app(argc, argv);
    SessionDetails* session = SessionDetails::getInstance();
    AppDelegate delegate;
    if (bundle.isEmpty()) {
        delegate.findCurrentAppPath();
    } else {
        session->setPluginAppPath(bundle);
    }
    session->setIsAppReplaceFlag(true);
    delegate.getorvoPluginAppVersion();
    delegate.applicationWillTerminate();
    return 0;
}
