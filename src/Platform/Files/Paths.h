#pragma once

#include <QString>

// Path text operations with the platform's semantics, and the user's standard folders.
class Paths
{
public:
    // base + "/" + component with exactly one separator between them; repeated separators collapse, trailing ones go.
    static QString appendingPathComponent(const QString& base, const QString& component);
    // The path without its last component and the separator before it; "" for a single component.
    static QString deletingLastPathComponent(const QString& path);
    // The last component, ignoring trailing separators.
    static QString lastPathComponent(const QString& path);
    // $HOME without a trailing separator; the password entry's home when $HOME is empty, unset or relative; "" when
    // neither gives an absolute path.
    static QString homeDirectory();
    // The user's library folder: home + "/Library".
    static QString userLibraryDirectory();

private:
    static QString standardized(const QString& path);
};
