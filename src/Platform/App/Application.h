#pragma once

#include <functional>

class ApplicationDelegate;

// The application machinery on Qt's event loop: launch calls into the delegate, Quit command, termination.
class Application
{
public:
    // Creates Qt's application and the delegate, makes the launch calls and runs the event loop. The application
    // does not quit when its last window closes; it ends only through terminate(). With no display to reach (and
    // no platform chosen) it prints what to do and returns 1 before anything is created or written.
    static int main(int argc, char** argv, const std::function<ApplicationDelegate*()>& makeDelegate);

    // Runs the delegate's applicationWillTerminate once, flushes the standard streams and ends the process with
    // status 0. It does not return, unless a test has replaced the exit function (TestHooks).
    static void terminate();

    // The delegate that terminate() notifies; main() sets it.
    static void setDelegate(ApplicationDelegate* delegate);
};
