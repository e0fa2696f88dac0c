#include "Handlers/AlertLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// Qt gives every label the static-text role; this one reads as an alert, named by its text.
class AccessibleAlertLabel : public QAccessibleWidget
{
public:
    explicit AccessibleAlertLabel(QWidget* label) : QAccessibleWidget(label, QAccessible::AlertMessage) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const auto* label = qobject_cast<const QLabel*>(widget());
            return label ? label->text() : QString();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* alertLabelInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(AlertLabel::staticMetaObject.className()) && object && object->isWidgetType()) {
        return new AccessibleAlertLabel(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

AlertLabel::AlertLabel(QWidget* parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(alertLabelInterface);
        return true;
    }();
    static_cast<void>(installed); // installed once, for every alert label
}

void AlertLabel::showAlert(const QString& text)
{
    setText(text);
    show();
    // Over AT-SPI an alert is spoken when it shows; the event serves the bridges that pass alerts on.
    QAccessibleEvent event(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}
