#include "Platform/App/Application.h"

#include "Platform/App/ApplicationDelegate.h"
#include "Platform/App/QuitCommand.h"
#include "Platform/App/SingleInstance.h"
#include "Platform/App/Translations.h"
#include "Platform/Files/Paths.h"
#include "Platform/Log/Log.h"
#include "Platform/Log/StandardStreams.h"
#include "Platform/Log/TestHooks.h"
#include "Platform/Net/Tls.h"

#include <QApplication>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#ifdef ORVO_SANITIZERS
#include <sanitizer/lsan_interface.h>
#endif

namespace {

ApplicationDelegate* currentDelegate = nullptr;
SingleInstance* singleInstance = nullptr;
bool terminating = false;

void exitProcess(int status)
{
#ifdef ORVO_SANITIZERS
    // _exit skips the leak checker's exit hook; checking builds run it here, failing the exit on a leak.
    __lsan_do_leak_check();
#endif
    ::_exit(status);
}

// Whether Qt will find something to show windows on. Without a display Qt aborts in its platform plugin with a
// core dump, so the plugin refuses to start instead, before it writes anything.
bool displayAvailable(int argc, char** argv)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name)) {
            return true;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int Application::main(int argc, char** argv, const std::function<ApplicationDelegate*()>& makeDelegate)
{
    // Without a home every folder would land under / or the working folder: refuse before writing anything.
    if (Paths::homeDirectory().isEmpty()) {
        std::fprintf(stderr, "Orvo Wendra Customer Plugin: no home folder (HOME is empty or unset and the user has no "
                             "password entry); nothing was written.\n");
        return 1;
    }
    if (!displayAvailable(argc, argv)) {
        std::fputs("No display to show the plugin's windows on (DISPLAY and WAYLAND_DISPLAY are not set): start it "
                   "with QT_QPA_PLATFORM=offscreen, or run scripts/demo --headless.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Log::installQtMessageHandler();
    Translations::install();
    // Before anything is written: a second start only hands its arguments to the running plugin.
    SingleInstance instance;
    const Result<> claimed = instance.claim(QCoreApplication::arguments());
    if (instance.handedOver()) {
        return 0;
    }
    singleInstance = &instance;
    Tls::reportUnreadableTrust();
    QuitCommand quitCommand;

    ApplicationDelegate* delegate = makeDelegate();
    setDelegate(delegate);
    QObject::connect(&instance, &SingleInstance::anotherStart, &app, [delegate](const QStringList& arguments) {
        delegate->applicationDidReceiveAnotherStart(arguments);
    });
    delegate->awakeFromNib();
    // Never a reason not to start; said once the log is open.
    if (!claimed.ok()) {
        Log::write("%s : Running without the guard against a second start: %@", "+[Application main]", claimed.error());
    }
    delegate->applicationWillFinishLaunching();
    QTimer::singleShot(0, &app, [delegate] { delegate->applicationDidFinishLaunching(); });
    return QApplication::exec();
}

void Application::terminate()
{
    // A second request while the first one runs changes nothing.
    if (terminating) {
        return;
    }
    terminating = true;
    if (currentDelegate) {
        currentDelegate->applicationWillTerminate();
    }
    // Only now may the next start run: the bundle replacement at exit is over.
    if (singleInstance) {
        singleInstance->release();
    }
    StandardStreams::flush();
    if (!TestHooks::exitFunction) {
        exitProcess(0);
    }
    TestHooks::exitFunction(0);
    // Only a test's exit function returns; the process it lives on in may terminate again.
    terminating = false;
}

void Application::setDelegate(ApplicationDelegate* delegate)
{
    currentDelegate = delegate;
}
