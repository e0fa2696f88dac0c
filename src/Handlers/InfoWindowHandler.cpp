#include "Handlers/InfoWindowHandler.h"

#include "Handlers/TranslatedText.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/ResourceImages.h"
#include "Platform/App/Window.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "ui_InfoWindowHandler.h"

#include <QMutex>

namespace {

InfoWindowHandler* infoWindowObj = nullptr;
QMutex classLock;

const char* const rightsNotice = QT_TRANSLATE_NOOP("InfoWindowHandler", "\u00a9 2026 Orvo. All rights reserved.");

} // namespace

InfoWindowHandler* InfoWindowHandler::getInstance()
{
    const char* fullName = "+[InfoWindowHandler getInstance]";
    InfoWindowHandler* instance = nullptr;
    ExceptionGuard::run(fullName, [&] {
        QMutexLocker locker(&classLock);
        if (!infoWindowObj) {
            // Once dropped, a controller lives while its window is on screen and goes with the window's close box.
            infoWindowObj = new InfoWindowHandler(nullptr);
            Log::write("%s : Update Info Object Allocated", fullName);
        }
        instance = infoWindowObj;
    });
    return instance;
}

InfoWindowHandler::InfoWindowHandler(QObject* parent) : WindowController(QStringLiteral("InfoWindowHandler"), parent) {}

InfoWindowHandler::~InfoWindowHandler()
{
    QMutexLocker locker(&classLock);
    if (infoWindowObj == this) {
        infoWindowObj = nullptr;
    }
}

void InfoWindowHandler::loadWindowLayout(QWidget* window)
{
    m_ui = std::make_unique<Ui::InfoWindowHandler>();
    m_ui->setupUi(window);
}

void InfoWindowHandler::windowDidLoad()
{
    ExceptionGuard::run("-[InfoWindowHandler windowDidLoad]", [&] {
        QWidget* window = infoWindow();
        window->setWindowTitle(tr("About"));
        Window::setFloatingLevel(window);
        Window::setWhiteBackground(window);
        orvoWendraTextField()->setText(tr("Orvo Wendra - Customer Plugin"));
        rightsTextField()->setText(tr(rightsNotice));
        versionTextField()->setText(
            TranslatedText("InfoWindowHandler", QT_TRANSLATE_NOOP("InfoWindowHandler", "version - %1"))
                .arg(SessionDetails::getInstance()->localOrvoPluginAppVersion().value_or(QString()))
                .shown());
        const QIcon icon = ResourceImages::icon(QStringLiteral("wendra-icon-rotated-new"), QStringLiteral("png"));
        QLabel* image = orvoIconImage();
        image->setPixmap(icon.pixmap(image->maximumSize(), image->devicePixelRatioF()));
        window->setFixedSize(window->sizeHint());
        Window::makeKeyAndOrderFront(window);
        Window::center(window);
        WindowController::windowDidLoad();
    });
}

void InfoWindowHandler::startWindow()
{
    ExceptionGuard::run("-[InfoWindowHandler startWindow]", [&] {
        if (QWidget* loaded = infoWindow()) {
            Window::orderOut(loaded);
        }
        Window::orderOut(window());
        Window::close(infoWindow());
        {
            QMutexLocker locker(&classLock);
            if (infoWindowObj == this) {
                infoWindowObj = nullptr;
            }
        }
        Window::makeKeyAndOrderFront(infoWindow());
        WindowController::showWindow(this);
    });
}

void InfoWindowHandler::showWindow(QObject* sender)
{
    ExceptionGuard::run("-[InfoWindowHandler showWindow:]", [&] {
        WindowController::showWindow(sender);
        QWidget* w = window();
        Window::setFloatingLevel(w);
        Window::center(w);
        Window::makeKeyAndOrderFront(w);
        w->activateWindow();
    });
}

bool InfoWindowHandler::windowShouldClose(QWidget* /*window*/)
{
    ExceptionGuard::run("-[InfoWindowHandler windowShouldClose:]", [&] {
        Window::orderOut(infoWindow());
        Window::orderOut(window());
        QMutexLocker locker(&classLock);
        if (infoWindowObj == this) {
            infoWindowObj = nullptr;
        }
    });
    // Nothing holds a dropped controller once its window is gone.
    deleteLater();
    return false;
}

QWidget* InfoWindowHandler::infoWindow() const
{
    return loadedWindow();
}

#define ORVO_OUTLET(getter)                                                                                            \
    QLabel* InfoWindowHandler::getter() const                                                                          \
    {                                                                                                                  \
        return m_ui ? m_ui->getter : nullptr;                                                                          \
    }

ORVO_OUTLET(orvoWendraTextField)
ORVO_OUTLET(versionTextField)
ORVO_OUTLET(rightsTextField)
ORVO_OUTLET(orvoIconImage)

#undef ORVO_OUTLET
