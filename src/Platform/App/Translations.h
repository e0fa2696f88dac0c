#pragma once

class QLocale;

// The customer's language: the plugin's own translation and Qt's, chosen from the system's locale.
class Translations
{
public:
    // Installs the translators for QLocale::system() (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), English when the
    // plugin has none for it, and lays the windows out right to left for a right-to-left language. Needs the
    // application object; replaces what an earlier call installed.
    static void install();
    static void install(const QLocale& locale);
};
