#include "Platform/App/WindowController.h"

#include "Platform/App/Window.h"

#include <QCloseEvent>
#include <QWidget>

WindowController::WindowController(const QString& windowLayoutName, QObject* parent)
    : QObject(parent), m_windowLayoutName(windowLayoutName)
{
}

WindowController::~WindowController()
{
    delete m_window;
}

QString WindowController::windowLayoutName() const
{
    return m_windowLayoutName;
}

QWidget* WindowController::window()
{
    if (!m_window) {
        m_window = new QWidget(nullptr, Qt::Window);
        m_window->setObjectName(m_windowLayoutName);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window->installEventFilter(this);
        loadWindowLayout(m_window);
        windowDidLoad();
    }
    return m_window;
}

QWidget* WindowController::loadedWindow() const
{
    return m_window;
}

void WindowController::showWindow(QObject* /*sender*/)
{
    Window::makeKeyAndOrderFront(window());
}

void WindowController::windowDidLoad() {}

bool WindowController::windowShouldClose(QWidget* /*window*/)
{
    return true;
}

bool WindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Close && !Window::isClosingWithoutAsking(m_window)) {
        if (!windowShouldClose(m_window)) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
