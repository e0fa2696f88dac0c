#pragma once

#include "ChildProcess.h"

#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

class XSession;

// A screen reader on a test display, as Orca is on a desktop: a private session bus, the accessibility bus and its
// registry (at-spi2-core), and an AT-SPI client on them that finds, reads, fills in and presses what an application
// shows and hears the events it sends. Every wait is bounded; the destructor ends what it started.
class ScreenReader : public QObject
{
    Q_OBJECT

public:
    // AT-SPI's numbers for the roles the tests look for.
    enum Role
    {
        Alert = 2,
        Label = 29,
        PushButton = 43,
        Text = 61
    };
    // One accessible object: the bus name of its application and its object path.
    struct Node
    {
        QString service;
        QString path;
        bool isEmpty() const { return path.isEmpty(); }
    };
    // An event heard: its signal ("StateChanged"), kind ("showing"), first detail and the object it came from.
    struct Event
    {
        QString signal;
        QString kind;
        int detail = 0;
        Node source;
    };

    ~ScreenReader() override;
    // Starts the buses for display and listens to every object event; false, with a warning, when it cannot.
    bool start(const XSession& display);
    // The address of the session bus, for an application's DBUS_SESSION_BUS_ADDRESS.
    QString sessionBus() const { return m_sessionAddress; }

    // The object of role and name in the windows of the application of process pid, waiting at most timeoutMs for
    // it to appear; empty when none did.
    Node find(qint64 pid, Role role, const QString& name, int timeoutMs = 30000) const;
    QString name(const Node& node) const;
    int role(const Node& node) const;
    // Replaces the text of an editable field, as a screen reader's user does by typing.
    bool setText(const Node& node, const QString& text) const;
    // Runs the object's "Press" action.
    bool press(const Node& node) const;
    // Every event heard since start().
    QList<Event> events() const { return m_events; }

private slots:
    // QtDBus hands signals only to slots named by string.
    void hear(const QDBusMessage& message);

private:
    QDBusMessage call(const Node& node, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const;
    QList<Node> children(const Node& node) const;
    Node application(qint64 pid) const;
    Node findBelow(const Node& node, Role role, const QString& name) const;

    QTemporaryDir m_dir;
    ChildProcess m_sessionDaemon;
    ChildProcess m_busLauncher;
    QString m_sessionAddress;
    QString m_display;
    QList<Event> m_events;
    bool m_connected = false;
};
