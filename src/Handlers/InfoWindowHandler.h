#pragma once

#include "Platform/App/WindowController.h"

#include <memory>

class QLabel;

namespace Ui {
class InfoWindowHandler;
}

// The About window: product name, the running plugin's version, the rights notice and the icon. Its shared
// instance is dropped each time the window is opened or closed, so every opening builds a fresh controller.
class InfoWindowHandler : public WindowController
{
    Q_OBJECT

public:
    // The shared instance, created when there is none.
    static InfoWindowHandler* getInstance();

    ~InfoWindowHandler() override;

    // Opens the About window in front and drops the shared instance.
    void startWindow();
    void showWindow(QObject* sender) override;

    QWidget* infoWindow() const;
    QLabel* orvoWendraTextField() const;
    QLabel* versionTextField() const;
    QLabel* rightsTextField() const;
    QLabel* orvoIconImage() const;

protected:
    void loadWindowLayout(QWidget* window) override;
    void windowDidLoad() override;
    bool windowShouldClose(QWidget* window) override;

private:
    explicit InfoWindowHandler(QObject* parent);

    std::unique_ptr<Ui::InfoWindowHandler> m_ui;
};
