#pragma once

#include <QLabel>

// A label screen readers take for an alert: its text is its accessible name, and showing it is announced.
class AlertLabel : public QLabel
{
    Q_OBJECT

public:
    explicit AlertLabel(QWidget* parent = nullptr);

    // Shows text and announces it to screen readers.
    void showAlert(const QString& text);
};
