#include "XSession.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// title as an extended regular expression that matches only itself.
QString exactly(const QString& title)
{
    QString pattern = QStringLiteral("^");
    for (const QChar c : title) {
        if (QStringLiteral(".[]()*+?{}|^$\\").contains(c)) {
            pattern += QLatin1Char('\\');
        }
        pattern += c;
    }
    return pattern + QLatin1Char('$');
}

} // namespace

bool XSession::start()
{
    // Xvfb writes the display number it took to the descriptor, once it accepts clients. Without -noreset it would
    // reset when its last client leaves, and a client arriving during the reset finds no display.
    if (!m_server.start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1280x1024x24")})) {
        return false;
    }
    static const QRegularExpression number(QStringLiteral("^(\\d+)\\n"), QRegularExpression::MultilineOption);
    QRegularExpressionMatch match;
    if (!QTest::qWaitFor(
            [&] {
                match = number.match(QString::fromLatin1(m_server.output()));
                return match.hasMatch() || m_server.process().state() == QProcess::NotRunning;
            },
            20000) ||
        !match.hasMatch()) {
        qWarning("Xvfb did not start: %s", m_server.output().constData());
        return false;
    }
    m_display = QLatin1Char(':') + match.captured(1);
    // Clients are welcome once the server answers one.
    if (!QTest::qWaitFor([this] { return run(QStringLiteral("xdpyinfo"), {}) == 0; }, 20000)) {
        qWarning("Xvfb on %s does not answer: %s", qPrintable(m_display), m_server.output().constData());
        return false;
    }

    // Its own home, so the window manager's cache and settings stay in the test's folders.
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
    m_windowManager.setEnvironment(env);
    if (!m_windowManager.start(QStringLiteral("openbox"), {})) {
        return false;
    }
    bool managed = false;
    (void)QTest::qWaitFor(
        [&] {
            if (m_windowManager.process().state() == QProcess::NotRunning) {
                return true;
            }
            QByteArray out;
            managed = run(QStringLiteral("xprop"),
                          {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}, &out) == 0 &&
                      out.contains("window id");
            return managed;
        },
        20000);
    if (!managed) {
        qWarning("openbox did not take the screen %s: %s", qPrintable(m_display), m_windowManager.output().constData());
    }
    return managed;
}

QProcessEnvironment XSession::environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("DISPLAY"), m_display);
    base.remove(QStringLiteral("QT_QPA_PLATFORM"));
    base.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // In the sanitizer build: the X keyboard library hands strndup counted names without a terminator, which the
    // strict string check takes for an overflow in every program that opens a window here.
    const QString asan = base.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty()) {
        base.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral(":strict_string_checks=0"));
    }
    return base;
}

QString XSession::findWindow(const QString& title, qint64 pid, int timeoutMs) const
{
    // Both conditions must hold (xdotool's default is either); the pattern, when there is one, comes last.
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible")};
    if (pid != 0) {
        arguments << QStringLiteral("--pid") << QString::number(pid);
    }
    if (!title.isEmpty()) {
        arguments << QStringLiteral("--name") << exactly(title);
    }
    QString window;
    // An empty answer says the window did not appear in time.
    (void)QTest::qWaitFor(
        [&] {
            QByteArray out;
            run(QStringLiteral("xdotool"), arguments, &out);
            window = QString::fromLatin1(out).section(QLatin1Char('\n'), 0, 0).trimmed();
            return !window.isEmpty();
        },
        timeoutMs);
    return window;
}

bool XSession::isShown(const QString& window) const
{
    QByteArray out;
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}, &out) == 0 &&
           out.contains("Map State: IsViewable");
}

bool XSession::focus(const QString& window) const
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window}) == 0 &&
           run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}) == 0;
}

bool XSession::type(const QString& window, const QString& text) const
{
    // Real key events through the server's test extension go to the focused window, as typing does.
    return focus(window) && run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                                            QStringLiteral("10"), QStringLiteral("--"), text}) == 0;
}

bool XSession::key(const QString& window, const QString& keys) const
{
    return focus(window) && run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
                                                            QStringLiteral("--"), keys}) == 0;
}

bool XSession::close(const QString& window) const
{
    // openbox answers Alt+F4 with its Close action, the same request to the window as its close box sends.
    return key(window, QStringLiteral("alt+F4"));
}

bool XSession::screenshot(const QString& window, const QString& pngPath) const
{
    return run(QStringLiteral("import"), {QStringLiteral("-window"), window, pngPath}) == 0;
}

int XSession::run(const QString& program, const QStringList& arguments, QByteArray* output, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output) {
        *output = process.readAllStandardOutput();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
