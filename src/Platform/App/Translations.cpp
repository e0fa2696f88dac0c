#include "Platform/App/Translations.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace {

// Owned by the application object; the ones in use, so that a later call can take them out.
QTranslator* pluginTranslator = nullptr;
QTranslator* qtTranslator = nullptr;

void remove(QTranslator*& translator)
{
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
}

QTranslator* load(const QLocale& locale, const QString& name, const QString& folder)
{
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(locale, name, QStringLiteral("_"), folder) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator.release();
}

} // namespace

void Translations::install()
{
    install(QLocale::system());
}

void Translations::install(const QLocale& locale)
{
    remove(pluginTranslator);
    remove(qtTranslator);
    pluginTranslator = load(locale, QStringLiteral("orvoplugin"), QStringLiteral(":/translations"));
    // Qt's own texts only beside ours, so an English window keeps English buttons.
    if (pluginTranslator) {
        qtTranslator = load(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    QGuiApplication::setLayoutDirection(pluginTranslator ? locale.textDirection() : Qt::LeftToRight);
}
