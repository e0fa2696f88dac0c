#pragma once

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
    // Called once when the application terminates, by any path.
    virtual void applicationWillTerminate() = 0;
};
