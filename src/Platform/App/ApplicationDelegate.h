#pragma once

#include <QStringList>

// What the application machinery calls on the main thread, in this order, during a run.
class ApplicationDelegate
{
public:
    virtual ~ApplicationDelegate() = default;

    // The main interface has been loaded.
    virtual void awakeFromNib() = 0;
    virtual void applicationWillFinishLaunching() = 0;
    // Called from the event loop once it runs.
    virtual void applicationDidFinishLaunching() = 0;
    // Another start of the application handed over its arguments (program first) instead of running.
    virtual void applicationDidReceiveAnotherStart(const QStringList& arguments) = 0;
    // Called once when the application terminates, by any path.
    virtual void applicationWillTerminate() = 0;
};
