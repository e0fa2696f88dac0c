#include "ScreenReader.h"

#include "XSession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

const QString connectionName = QStringLiteral("orvo-screen-reader");
const QString sessionConnectionName = QStringLiteral("orvo-screen-reader-session");
const QString registry = QStringLiteral("org.a11y.atspi.Registry");
const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

QDBusConnection bus()
{
    return QDBusConnection(connectionName);
}

} // namespace

ScreenReader::~ScreenReader()
{
    if (m_connected) {
        QDBusConnection::disconnectFromBus(connectionName);
    }
    QDBusConnection::disconnectFromBus(sessionConnectionName);
    m_busLauncher.stop();
    m_sessionDaemon.stop();
    // The launcher names its bus on the display's root window; a later plugin there must not find a dead bus.
    if (!m_display.isEmpty()) {
        QProcess::execute(QStringLiteral("xprop"), {QStringLiteral("-display"), m_display, QStringLiteral("-root"),
                                                    QStringLiteral("-remove"), QStringLiteral("AT_SPI_BUS")});
    }
}

bool ScreenReader::start(const XSession& display)
{
    // Everything the buses keep (sockets, settings) stays in this folder.
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    if (!QDir().mkpath(runtime) ||
        !QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        return false;
    }
    QProcessEnvironment env = display.environment();
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    m_display = display.display();

    m_sessionDaemon.setEnvironment(env);
    if (!m_sessionDaemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
             QStringLiteral("--print-address=1"),
             QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("session-bus"))})) {
        return false;
    }
    if (!QTest::qWaitFor([this] { return m_sessionDaemon.output().contains('\n'); }, 20000)) {
        qWarning("dbus-daemon did not start: %s", m_sessionDaemon.output().constData());
        return false;
    }
    m_sessionAddress = QString::fromLatin1(m_sessionDaemon.output()).section(QLatin1Char('\n'), 0, 0).trimmed();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionAddress);

    // The launcher starts the accessibility bus at once; that bus starts the registry when first asked.
    m_busLauncher.setEnvironment(env);
    if (!m_busLauncher.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                             {QStringLiteral("--launch-immediately")})) {
        return false;
    }
    QDBusConnection session = QDBusConnection::connectToBus(m_sessionAddress, sessionConnectionName);
    QString address;
    (void)QTest::qWaitFor(
        [&] {
            const QDBusMessage reply = session.call(
                QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                               QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
            address = reply.arguments().value(0).toString();
            return !address.isEmpty() || m_busLauncher.process().state() == QProcess::NotRunning;
        },
        20000);
    if (address.isEmpty()) {
        qWarning("The accessibility bus did not start: %s", m_busLauncher.output().constData());
        return false;
    }
    QDBusConnection a11y = QDBusConnection::connectToBus(address, connectionName);
    m_connected = true;
    if (!a11y.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), QString(), this,
                      SLOT(hear(QDBusMessage)))) {
        qWarning("Cannot listen on the accessibility bus: %s", qPrintable(a11y.lastError().message()));
        return false;
    }
    // Applications send only the events some client registered for.
    const QDBusMessage reply =
        a11y.call(QDBusMessage::createMethodCall(registry, QStringLiteral("/org/a11y/atspi/registry"), registry,
                                                 QStringLiteral("RegisterEvent"))
                  << QStringLiteral("object:") << QStringList() << QString());
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qWarning("The registry refused the listener: %s", qPrintable(reply.errorMessage()));
        return false;
    }
    return true;
}

ScreenReader::Node ScreenReader::find(qint64 pid, Role role, const QString& name, int timeoutMs) const
{
    Node found;
    (void)QTest::qWaitFor(
        [&] {
            const Node app = application(pid);
            found = app.isEmpty() ? Node() : findBelow(app, role, name);
            return !found.isEmpty();
        },
        timeoutMs);
    return found;
}

QString ScreenReader::name(const Node& node) const
{
    const QDBusMessage reply = call(node, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                    {accessible, QStringLiteral("Name")});
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

int ScreenReader::role(const Node& node) const
{
    const QDBusMessage reply = call(node, accessible, QStringLiteral("GetRole"));
    return reply.type() == QDBusMessage::ReplyMessage ? static_cast<int>(reply.arguments().value(0).toUInt()) : -1;
}

bool ScreenReader::setText(const Node& node, const QString& text) const
{
    const QDBusMessage reply =
        call(node, QStringLiteral("org.a11y.atspi.EditableText"), QStringLiteral("SetTextContents"), {text});
    return reply.arguments().value(0).toBool();
}

bool ScreenReader::press(const Node& node) const
{
    const QString action = QStringLiteral("org.a11y.atspi.Action");
    const QDBusMessage names = call(node, action, QStringLiteral("GetActions"));
    if (names.type() != QDBusMessage::ReplyMessage) {
        return false;
    }
    // a(sss): name, description, key binding. Read to its end: a demarshaller left inside the array is never freed.
    const auto list = names.arguments().value(0).value<QDBusArgument>();
    int press = -1;
    list.beginArray();
    for (int index = 0; !list.atEnd(); ++index) {
        QString actionName;
        QString description;
        QString keys;
        list.beginStructure();
        list >> actionName >> description >> keys;
        list.endStructure();
        if (press < 0 && actionName == QLatin1String("Press")) {
            press = index;
        }
    }
    list.endArray();
    return press >= 0 && call(node, action, QStringLiteral("DoAction"), {press}).arguments().value(0).toBool();
}

void ScreenReader::hear(const QDBusMessage& message)
{
    // The arguments: kind, two details, a value, the application.
    const QVariantList arguments = message.arguments();
    m_events << Event{message.member(), arguments.value(0).toString(), arguments.value(1).toInt(),
                      Node{message.service(), message.path()}};
}

QDBusMessage ScreenReader::call(const Node& node, const QString& interface, const QString& method,
                                const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    return bus().call(message);
}

QList<ScreenReader::Node> ScreenReader::children(const Node& node) const
{
    QList<Node> nodes;
    const QDBusMessage reply = call(node, accessible, QStringLiteral("GetChildren"));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return nodes;
    }
    // a(so): bus name and path of each child.
    const auto list = reply.arguments().value(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        Node child;
        QDBusObjectPath path;
        list.beginStructure();
        list >> child.service >> path;
        list.endStructure();
        child.path = path.path();
        nodes << child;
    }
    list.endArray();
    return nodes;
}

ScreenReader::Node ScreenReader::application(qint64 pid) const
{
    for (const Node& app : children(Node{registry, rootPath})) {
        const QDBusReply<uint> owner = bus().interface()->servicePid(app.service);
        if (owner.isValid() && owner.value() == pid) {
            return app;
        }
    }
    return Node();
}

ScreenReader::Node ScreenReader::findBelow(const Node& node, Role role, const QString& name) const
{
    for (const Node& child : children(node)) {
        if (this->role(child) == role && this->name(child) == name) {
            return child;
        }
        const Node below = findBelow(child, role, name);
        if (!below.isEmpty()) {
            return below;
        }
    }
    return Node();
}
