#pragma once

#include <QString>

// The service's data centres: each code's service host, set when the plugin is built.
class DataCentres
{
public:
    // The service host of a data-centre code ("com", "lab", "eu", ...); empty for an unknown code.
    static QString hostForCode(const QString& code);
    // The host of "com": the fallback of the plugin update check and the home of the report-abuse page.
    static QString mainServiceHost();
};
