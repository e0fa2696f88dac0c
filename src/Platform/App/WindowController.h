#pragma once

#include <QObject>
#include <QString>

class QWidget;

// A window controller: one top-level window built lazily from its layout, with the load, show and close-box
// callbacks a controller answers.
class WindowController : public QObject
{
    Q_OBJECT

public:
    explicit WindowController(const QString& windowLayoutName, QObject* parent = nullptr);
    ~WindowController() override;

    // The name of the window layout the controller was made with.
    QString windowLayoutName() const;
    // The window, loading the layout (and so running windowDidLoad) on first use.
    QWidget* window();
    // The window only when its layout has been loaded, else null; never loads.
    QWidget* loadedWindow() const;
    // Loads the layout when needed, then shows the window in front and gives it keyboard focus.
    virtual void showWindow(QObject* sender);

protected:
    // Builds the layout's widgets into the freshly made window; runs once, before windowDidLoad.
    virtual void loadWindowLayout(QWidget* window) = 0;
    // Runs once the layout is loaded; controllers configure their window here.
    virtual void windowDidLoad();
    // The close box; returning false keeps the platform from closing (hiding) the window.
    virtual bool windowShouldClose(QWidget* window);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_windowLayoutName;
    QWidget* m_window = nullptr;
};
