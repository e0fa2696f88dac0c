#include "join/JoinTypist.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int pollMs = 20;
constexpr int maximumAttempts = 1500; // 30 s

} // namespace

JoinTypist::JoinTypist(QString sessionId, QString name, QObject* parent)
    : QObject(parent), m_sessionId(std::move(sessionId)), m_name(std::move(name)), m_timer(new QTimer(this))
{
    m_timer->setInterval(pollMs);
    connect(m_timer, &QTimer::timeout, this, &JoinTypist::tryTyping);
    m_timer->start();
}

void JoinTypist::tryTyping()
{
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!field || !field->isVisible()) {
        if (++m_attempts >= maximumAttempts) {
            m_timer->stop();
            std::fprintf(stderr, "orvo-bench-join: the join window never took the focus\n");
            QApplication::exit(3);
        }
        return;
    }
    m_timer->stop();
    QTest::keyClicks(field, m_sessionId);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), m_name);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}
