#pragma once

#include "Platform/App/WindowController.h"

#include <QString>

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class SYFlatButton;

namespace Ui {
class OrvoPluginWindowHandler;
}

// The join window: the customer types the session ID and a name, reads two notices and presses Join. Its layout
// is "OrvoPluginWindowHandler"; the outlets below are null until the layout is loaded.
class OrvoPluginWindowHandler : public WindowController
{
    Q_OBJECT

public:
    explicit OrvoPluginWindowHandler(QObject* parent = nullptr);
    ~OrvoPluginWindowHandler() override;

    // Loads the layout when needed, then puts the window up floating, centred and in front.
    void showWindow(QObject* sender) override;
    // Hides the window after a valid Join; the controller lives on.
    void close();
    // The More-info button: opens the About window.
    void moreActionClick(QObject* sender);

    // Begin editing (focus-in): the field being edited gets the blue underline.
    void controlTextDidBeginEditing(QObject* object);
    // The customer's own edits: regroups the session ID, cuts the name.
    void controlTextDidChange(QObject* object);
    // The grouped display of a text of digits: "d d d - d d d - d d d d".
    QString formattedStringFromString(const QString& digits);
    // Empties the session-ID and name fields.
    void makeSessionKeyEmpty();
    // The Join button: checks the fields, shows a message or runs the join.
    void joinButtonAction(QObject* sender);
    // Stores the session's data-centre code and service host, decided from the session ID's digits.
    void findDcNameUsingKey(const QString& key);

    QWidget* orvoPluginWindow() const;
    QLineEdit* sessionKeyTextField() const;
    QLineEdit* sessionkeytextfield() const;
    QLineEdit* nameText() const;
    QLineEdit* nameTextField() const;
    SYFlatButton* joinButton() const;
    QLabel* keyIncorrectTextField() const;
    QLabel* nameEmptyShow() const;
    QToolButton* moreInfoButton() const;
    QLabel* trustTextField() const;
    QLabel* detailsTextField() const;
    QToolButton* sessionIDRedStar() const;
    QToolButton* nameRedStar() const;
    QFrame* SessionIDLine() const;
    QFrame* nameLine() const;
    QFrame* blueKeyLine() const;
    QFrame* blueNameLine() const;

protected:
    void loadWindowLayout(QWidget* window) override;
    void windowDidLoad() override;
    bool windowShouldClose(QWidget* window) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMessage(QLabel* label, const QString& text);
    void fitWindowToLayout();

    std::unique_ptr<Ui::OrvoPluginWindowHandler> m_ui;
};
