#pragma once

#include <QStringList>

// The process's launch arguments: element 0 is the program's path, the others follow in order.
class ProcessInfo
{
public:
    static QStringList arguments();
};
