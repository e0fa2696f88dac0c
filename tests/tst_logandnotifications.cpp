#include "Platform/App/NotificationCenter.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Log/PlatformException.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <stdexcept>

namespace {

LogArg toLogArg(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<OptionalString>()) {
        return LogArg(value.value<OptionalString>());
    }
    switch (value.typeId()) {
    case QMetaType::Int:
        return LogArg(value.toInt());
    case QMetaType::LongLong:
        return LogArg(long(value.toLongLong()));
    case QMetaType::QStringList:
        return LogArg(value.toStringList());
    case QMetaType::QByteArray:
        return LogArg(value.toByteArray().constData());
    case QMetaType::Nullptr:
        return LogArg(static_cast<const char*>(nullptr));
    default:
        return LogArg(value.toString());
    }
}

// Log::format takes a braced list, so the table's arguments are spread by count.
QString formatWith(const QByteArray& format, const QVariantList& values)
{
    const char* f = format.constData();
    QList<LogArg> a;
    for (const QVariant& value : values) {
        a << toLogArg(value);
    }
    switch (a.size()) {
    case 0:
        return Log::format(f, {});
    case 1:
        return Log::format(f, {a[0]});
    case 2:
        return Log::format(f, {a[0], a[1]});
    default:
        return Log::format(f, {a[0], a[1], a[2]});
    }
}

long currentThreadId()
{
    return long(syscall(SYS_gettid));
}

// One log line's prefix: local time stamp, process name, [pid:tid].
const QString prefix =
    QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}) \\S.*\\[(\\d+):(\\d+)\\] ");

const QString exceptionHead =
    QStringLiteral(" : ************************ EXCEPTION ************************ \n Description :  ");

} // namespace

class TestLogAndNotifications : public QObject
{
    Q_OBJECT

private slots:
    void format_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("%s") << QByteArray("<%s>") << QVariantList{"abc"} << "<abc>";
        QTest::newRow("%@") << QByteArray("x=%@.") << QVariantList{"v"} << "x=v.";
        QTest::newRow("%d") << QByteArray("%d") << QVariantList{-42} << "-42";
        QTest::newRow("%ld") << QByteArray("%ld") << QVariantList{qlonglong(LONG_MAX)} << "9223372036854775807";
        QTest::newRow("in order") << QByteArray("%s-%d-%@") << QVariantList{"a", 2, "c"} << "a-2-c";
        QTest::newRow("%% takes no argument") << QByteArray("100%% %s") << QVariantList{"x"} << "100% x";
        QTest::newRow("unknown conversion kept") << QByteArray("%x %s") << QVariantList{"a"} << "%x a";
        QTest::newRow("lone % at end") << QByteArray("50%") << QVariantList{} << "50%";
        QTest::newRow("list") << QByteArray("%@") << QVariantList{QStringList{"a", "b c"}}
                              << "(\n    a,\n    \"b c\"\n)";
        QTest::newRow("empty list") << QByteArray("%@") << QVariantList{QStringList{}} << "(\n)";
        QTest::newRow("list quotes escaped") << QByteArray("%@") << QVariantList{QStringList{"say \"hi\"", "C:\\x", ""}}
                                             << "(\n    \"say \\\"hi\\\"\",\n    \"C:\\\\x\",\n    \"\"\n)";
        QTest::newRow("list item with a line break")
            << QByteArray("%@") << QVariantList{QStringList{"a\nb\x1b"}} << "(\n    \"a\\nb\\x1b\"\n)";
        QTest::newRow("absent text") << QByteArray("[%@]") << QVariantList{QVariant::fromValue(OptionalString())}
                                     << "[(null)]";
        QTest::newRow("empty text") << QByteArray("[%@]")
                                    << QVariantList{QVariant::fromValue(OptionalString(QString()))} << "[]";
        QTest::newRow("null C text") << QByteArray("[%s]") << QVariantList{QVariant::fromValue(nullptr)} << "[(null)]";
        QTest::newRow("fewer arguments") << QByteArray("%s and %s!") << QVariantList{"a"} << "a and !";
        QTest::newRow("more arguments") << QByteArray("%s") << QVariantList{"a", "b"} << "a";
        QTest::newRow("argument not re-read") << QByteArray("%s %s") << QVariantList{"%s%d", "x"} << "%s%d x";
        QTest::newRow("non-ASCII") << QByteArray("caf\xc3\xa9 %s \xe2\x9c\x93")
                                   << QVariantList{QByteArray("na\xc3\xafve \xe6\x97\xa5")}
                                   << "caf\u00e9 na\u00efve \u65e5 \u2713";
        QTest::newRow("non-ASCII around %")
            << QByteArray("\xc3\xa9%s\xc3\xa9") << QVariantList{"\u00fc"} << "\u00e9\u00fc\u00e9";
    }
    void format()
    {
        QFETCH(QByteArray, format);
        QFETCH(QVariantList, args);
        QFETCH(QString, expected);
        QCOMPARE(formatWith(format, args), expected);
    }

    void outsideText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain text and quotes as they are")
            << QString::fromUtf8("caf\u00e9 \"a\\b\" \U0001F600") << QString::fromUtf8("caf\u00e9 \"a\\b\" \U0001F600");
        QTest::newRow("a forged line") << "x\n2026-12-08 00:00:00.000 P[1:1] -[X y] : copied"
                                       << "x\\n2026-12-08 00:00:00.000 P[1:1] -[X y] : copied";
        QTest::newRow("C0 controls") << QString::fromUtf8("\r\t\x1b[2J\x0b\x0c\x01") << "\\r\\t\\x1b[2J\\x0b\\x0c\\x01";
        QTest::newRow("DEL and C1 controls") << QString::fromUtf8("\x7f\u0085\u009b") << "\\x7f\\x85\\x9b";
        QTest::newRow("line and paragraph separators") << QString::fromUtf8("a\u2028b\u2029c") << "a\\u2028b\\u2029c";
        QTest::newRow("bidirectional controls") << QString::fromUtf8("\u200e\u200f\u202a\u202e\u2066\u2069")
                                                << "\\u200e\\u200f\\u202a\\u202e\\u2066\\u2069";
        QTest::newRow("other format characters")
            << QString::fromUtf8("\u200b\ufeff\U000E0041") << "\\u200b\\ufeff\\U000e0041";
        QTest::newRow("a lone surrogate") << QString(QChar(0xd800)).append(u'x') << "\\ud800x";
        QTest::newRow("cut with the full length")
            << QString(3 * 1024 * 1024, QLatin1Char('a'))
            << QString(1024, QLatin1Char('a')).append(u"... (3145728 characters)");
        QTest::newRow("escapes count towards the bound")
            << QString(2000, QChar(0x1b)) << QStringLiteral("\\x1b").repeated(256).append(u"... (2000 characters)");
        QTest::newRow("just at the bound") << QString(1024, QLatin1Char('a')) << QString(1024, QLatin1Char('a'));
    }
    void outsideText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(Log::outsideText(text), shown);
    }

    void writeLine_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("tail");
        QTest::newRow("line feed added") << "message"
                                         << "message\n";
        QTest::newRow("line feed kept") << "message\n"
                                        << "message\n";
        QTest::newRow("two line feeds kept") << "message\n\n"
                                             << "message\n\n";
        QTest::newRow("inner line feed") << "two\nlines"
                                         << "two\nlines\n";
        QTest::newRow("empty") << ""
                               << "\n";
        QTest::newRow("percent is not a format") << "100%s"
                                                 << "100%s\n";
    }
    void writeLine()
    {
        QFETCH(QString, message);
        QFETCH(QString, tail);
        LogCapture capture;
        Log::writeMessage(message);
        const QString text = capture.text();
        const QRegularExpression line(prefix + QRegularExpression::escape(tail) + QStringLiteral("\\z"));
        const auto match = line.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        QCOMPARE(match.captured(2).toLongLong(), QCoreApplication::applicationPid());
        QCOMPARE(match.captured(3).toLong(), currentThreadId());
        const auto stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 60);
    }

    void writeFormats()
    {
        LogCapture capture;
        Log::write("%s %d %ld %@", "a", 5, 9L, QStringLiteral("q"));
        const QString text = capture.text();
        QVERIFY2(QRegularExpression(prefix + QStringLiteral("a 5 9 q\n\\z")).match(text).hasMatch(), qPrintable(text));
    }

    void linesFromThreadsStayWhole()
    {
        constexpr int threads = 4;
        constexpr int perThread = 100;
        LogCapture capture;
        std::vector<std::unique_ptr<QThread>> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back(QThread::create([t] {
                const QString payload(3000, QChar(u'a' + t));
                for (int i = 0; i < perThread; ++i) {
                    Log::write("%d %@", i, payload);
                }
            }));
            workers.back()->start();
        }
        QTRY_VERIFY(std::all_of(workers.begin(), workers.end(), [](const auto& w) { return w->isFinished(); }));
        const QStringList lines = capture.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), threads * perThread);
        const QRegularExpression whole(prefix + QStringLiteral("\\d+ ([a-d])\\4{2999}$"));
        for (const QString& line : lines) {
            const auto match = whole.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line.left(120)));
            // Each worker logs under its own thread id, not the main thread's.
            QVERIFY(match.captured(3).toLong() != currentThreadId());
        }
    }

    void exceptionGuard_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("description");
        QTest::newRow("platform exception") << "platform"
                                            << "bad argument";
        QTest::newRow("reason with conversions") << "platform"
                                                 << "50% done %s %@";
        QTest::newRow("standard exception") << "std"
                                            << "runtime trouble";
        QTest::newRow("thrown int") << "int"
                                    << "unknown exception";
    }
    void exceptionGuard()
    {
        QFETCH(QString, kind);
        QFETCH(QString, description);
        LogCapture capture;
        bool after = false;
        const bool ok = ExceptionGuard::run("-[Tester doWork]", [&] {
            if (kind == QLatin1String("platform")) {
                throw PlatformException(QStringLiteral("NSInvalidArgumentException"), description);
            }
            if (kind == QLatin1String("std")) {
                throw std::runtime_error(description.toStdString());
            }
            throw 7;
            after = true;
        });
        QVERIFY(!ok);
        QVERIFY(!after);
        const QString text = capture.text();
        const QString head = QStringLiteral("-[Tester doWork]") + exceptionHead + description +
                             QStringLiteral(" // Call Stack Symbol : (\n    ");
        QCOMPARE(text.count(head), 1);
        QVERIFY2(QRegularExpression(prefix + QRegularExpression::escape(head)).match(text).hasMatch(),
                 qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("\n)\n")));
    }

    void exceptionGuardQuietWithoutThrow()
    {
        LogCapture capture;
        int runs = 0;
        QVERIFY(ExceptionGuard::run("-[Tester quiet]", [&] { ++runs; }));
        QCOMPARE(runs, 1);
        QCOMPARE(capture.text(), QString());
    }

    void notificationFilter_data()
    {
        QTest::addColumn<QString>("registered"); // object the observer asked for: "A", "B" or "" (any)
        QTest::addColumn<QString>("posted");
        QTest::addColumn<bool>("samename");
        QTest::addColumn<bool>("delivered");
        QTest::newRow("same object") << "A"
                                     << "A" << true << true;
        QTest::newRow("other object") << "A"
                                      << "B" << true << false;
        QTest::newRow("no object posted") << "A"
                                          << "" << true << false;
        QTest::newRow("any object, A posts") << ""
                                             << "A" << true << true;
        QTest::newRow("any object, none posted") << ""
                                                 << "" << true << true;
        QTest::newRow("other name") << ""
                                    << "A" << false << false;
    }
    void notificationFilter()
    {
        QFETCH(QString, registered);
        QFETCH(QString, posted);
        QFETCH(bool, samename);
        QFETCH(bool, delivered);
        int a = 0;
        int b = 0;
        const auto object = [&](const QString& which) -> const void* {
            return which == QLatin1String("A") ? &a : which == QLatin1String("B") ? &b : nullptr;
        };
        auto& center = NotificationCenter::defaultCenter();
        int calls = 0;
        const void* seen = &calls;
        center.addObserver(this, QStringLiteral("Filter"), object(registered), [&](const Notification& n) {
            ++calls;
            seen = n.object;
            QCOMPARE(n.name, QStringLiteral("Filter"));
        });
        center.post(samename ? QStringLiteral("Filter") : QStringLiteral("Filtered"), object(posted));
        center.removeObserver(this);
        QCOMPARE(calls, delivered ? 1 : 0);
        if (delivered) {
            QCOMPARE(seen, object(posted));
        }
    }

    void deliveryIsSynchronousOnPostingThread()
    {
        auto& center = NotificationCenter::defaultCenter();
        std::atomic<QThread*> handlerThread = nullptr;
        std::atomic<int> calls = 0;
        center.addObserver(this, QStringLiteral("Sync"), nullptr, [&](const Notification&) {
            handlerThread = QThread::currentThread();
            ++calls;
        });
        center.post(QStringLiteral("Sync"));
        QCOMPARE(calls.load(), 1); // no event loop turn in between
        QCOMPARE(handlerThread.load(), QThread::currentThread());

        bool ranBeforeReturn = false;
        std::unique_ptr<QThread> poster(QThread::create([&] {
            center.post(QStringLiteral("Sync"));
            ranBeforeReturn = calls == 2;
        }));
        poster->start();
        QTRY_VERIFY(poster->isFinished());
        center.removeObserver(this);
        QVERIFY(ranBeforeReturn);
        QCOMPARE(handlerThread.load(), poster.get());
    }

    void removeObserver_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("byObject");
        QTest::addColumn<QString>("expected"); // which of the registrations still hear their post
        QTest::newRow("by name") << "One" << false << "two,twoA";
        QTest::newRow("all names") << "" << false << "";
        QTest::newRow("by name and object") << "Two" << true << "one,two";
    }
    void removeObserver()
    {
        QFETCH(QString, name);
        QFETCH(bool, byObject);
        QFETCH(QString, expected);
        auto& center = NotificationCenter::defaultCenter();
        int objectA = 0;
        int other = 0;
        QStringList heard;
        const auto record = [&](const QString& what) {
            return [&heard, what](const Notification&) {
                heard << what;
            };
        };
        center.addObserver(this, QStringLiteral("One"), nullptr, record("one"));
        center.addObserver(this, QStringLiteral("Two"), nullptr, record("two"));
        center.addObserver(this, QStringLiteral("Two"), &objectA, record("twoA"));
        center.addObserver(&other, QStringLiteral("One"), nullptr, record("other"));
        center.removeObserver(this, name, byObject ? &objectA : nullptr);
        center.removeObserver(&other);
        center.post(QStringLiteral("One"));
        center.post(QStringLiteral("Two"), &objectA);
        center.removeObserver(this);
        heard.sort(); // delivery order among observers is not promised
        QCOMPARE(heard.join(QLatin1Char(',')), expected);
    }

    void observersChangingDuringDelivery()
    {
        auto& center = NotificationCenter::defaultCenter();
        int self = 0;
        int late = 0;
        int inner = 0;
        int selfCalls = 0;
        int lateCalls = 0;
        int innerCalls = 0;
        int steadyCalls = 0;
        center.addObserver(&self, QStringLiteral("Change"), nullptr, [&](const Notification&) {
            ++selfCalls;
            center.removeObserver(&self);
            if (lateCalls == 0 && selfCalls == 1) {
                center.addObserver(&late, QStringLiteral("Change"), nullptr, [&](const Notification&) { ++lateCalls; });
            }
            // A nested post must not block on the center's own lock.
            center.post(QStringLiteral("Inner"));
        });
        center.addObserver(&inner, QStringLiteral("Inner"), nullptr, [&](const Notification&) { ++innerCalls; });
        center.addObserver(this, QStringLiteral("Change"), nullptr, [&](const Notification&) { ++steadyCalls; });
        center.post(QStringLiteral("Change"));
        QCOMPARE(selfCalls, 1);
        QCOMPARE(innerCalls, 1);
        QCOMPARE(lateCalls, 0); // added during this post
        QCOMPARE(steadyCalls, 1);
        center.post(QStringLiteral("Change"));
        QCOMPARE(selfCalls, 1);
        QCOMPARE(lateCalls, 1);
        QCOMPARE(steadyCalls, 2);
        for (const void* observer :
             {static_cast<const void*>(&late), static_cast<const void*>(&inner), static_cast<const void*>(this)}) {
            center.removeObserver(observer);
        }
    }

    void postsRaceWithRegistrations()
    {
        auto& center = NotificationCenter::defaultCenter();
        std::atomic<int> steady = 0;
        center.addObserver(this, QStringLiteral("Race"), nullptr, [&](const Notification&) { ++steady; });
        std::vector<std::unique_ptr<QThread>> posters;
        for (int t = 0; t < 4; ++t) {
            posters.emplace_back(QThread::create([&] {
                for (int i = 0; i < 500; ++i) {
                    center.post(QStringLiteral("Race"));
                }
            }));
            posters.back()->start();
        }
        int churn = 0;
        for (int i = 0; i < 500; ++i) {
            center.addObserver(&churn, QStringLiteral("Race"), nullptr, [](const Notification&) {});
            center.removeObserver(&churn);
        }
        QTRY_VERIFY(std::all_of(posters.begin(), posters.end(), [](const auto& p) { return p->isFinished(); }));
        center.removeObserver(this);
        QCOMPARE(steady.load(), 2000);
    }
};

QTEST_MAIN(TestLogAndNotifications)
#include "tst_logandnotifications.moc"
