#include "Handlers/ByteCountText.h"
#include "Handlers/JoinProgressWindow.h"
#include "Platform/App/Application.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/Window.h"
#include "Platform/Log/TestHooks.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class TestProgressWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void placement_data();
    void placement();
    void windowSetUp();
    void closeWindowPostsOnceAndLeavesQuitting();
    void closeBoxPostsAndTerminates();
    void byteText_data();
    void byteText();
    void phasesFailureAndRetry();
    void announcements_data();
    void announcements();

private:
    QList<const void*> m_posts;
    int m_exits = 0;
    const HookGuard<std::function<void(int)>> m_exit{TestHooks::exitFunction, [this](int) {
                                                         ++m_exits;
                                                     }};
};

void TestProgressWindow::initTestCase()
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [this](const Notification& n) { m_posts << n.object; });
    LogCapture capture;
    QCOMPARE(JoinProgressWindow::getInstance(), JoinProgressWindow::getInstance());
    QCOMPARE(capture.text().count(QStringLiteral("+[JoinProgressWindow getInstance] : Update Info Object Allocated\n")),
             1);
}

void TestProgressWindow::init()
{
    m_posts.clear();
    m_exits = 0;
}

void TestProgressWindow::placement_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("1440 x 900") << QRect(0, 0, 1440, 900) << QRect(7, 9, 400, 120) << QRect(520, 390, 400, 120);
    // The screen's origin is not added.
    QTest::newRow("screen off the origin")
        << QRect(1920, 200, 1280, 800) << QRect(0, 0, 400, 120) << QRect(440, 340, 400, 120);
    QTest::newRow("window larger than the screen")
        << QRect(0, 0, 300, 100) << QRect(0, 0, 400, 120) << QRect(-50, -10, 400, 120);
}

void TestProgressWindow::placement()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, window);
    QFETCH(QRect, expected);
    QCOMPARE(JoinProgressWindow::placement(screen, window), expected);
}

void TestProgressWindow::windowSetUp()
{
    JoinProgressWindow* controller = JoinProgressWindow::getInstance();
    QVERIFY(!controller->loadedWindow());
    controller->showWindow(nullptr);
    QWidget* window = controller->loadedWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(controller->orvoJoinWindow(), window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Orvo Wendra - CustomerPlugin"));
    QCOMPARE(controller->infoLabel(), window->findChild<QLabel*>(QStringLiteral("infoLabel")));
    QCOMPARE(controller->infoLabel()->text(), QStringLiteral("Please wait while establishing connection ..."));
    auto* progress = window->findChild<QProgressBar*>(QStringLiteral("progress"));
    QCOMPARE(controller->progress(), progress);
    QCOMPARE(progress->maximum(), 0); // running busy indicator
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(Window::hasCloseButton(window));
    QVERIFY(!Window::hasMinimizeButton(window));
    QVERIFY(!Window::hasZoomButton(window));
    // The frame, title bar included, is what is placed.
    QCOMPARE(window->frameGeometry().topLeft(),
             JoinProgressWindow::placement(Window::mainScreenFrame(), window->geometry()).topLeft());
}

void TestProgressWindow::closeWindowPostsOnceAndLeavesQuitting()
{
    JoinProgressWindow* controller = JoinProgressWindow::getInstance();
    controller->showWindow(nullptr);
    LogCapture capture;
    controller->closeWindow();
    QCOMPARE(m_posts, QList<const void*>{controller});
    QCOMPARE(m_exits, 0);
    QVERIFY(!controller->loadedWindow()->isVisible());
    QVERIFY(capture.text().contains(
        QStringLiteral("-[JoinProgressWindow closeWindow] : OrvoJoinWindowHandler.closeWindow() called!\n")));
}

void TestProgressWindow::closeBoxPostsAndTerminates()
{
    JoinProgressWindow* controller = JoinProgressWindow::getInstance();
    controller->showWindow(nullptr);
    LogCapture capture;
    QVERIFY(controller->loadedWindow()->close());
    QCOMPARE(m_posts, QList<const void*>{controller});
    QCOMPARE(m_exits, 1);
    QVERIFY(!controller->loadedWindow()->isVisible());
    QCOMPARE(controller->progress()->maximum(), 1); // stopped
    QVERIFY(capture.text().contains(
        QStringLiteral("-[JoinProgressWindow windowShouldClose:] : Terminating Orvo Wendra Customer Plugin App\n")));
}

void TestProgressWindow::byteText_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<QString>("text");
    QTest::newRow("total unknown") << qint64(12'400'000) << qint64(-1) << "12.4 MB";
    QTest::newRow("nothing yet") << qint64(0) << qint64(96'000'000) << "0.0 MB of 96.0 MB (0%)";
    QTest::newRow("percent rounded down") << qint64(12'400'000) << qint64(96'000'000) << "12.4 MB of 96.0 MB (12%)";
    QTest::newRow("half a tenth rounds up") << qint64(12'450'000) << qint64(-1) << "12.5 MB";
    QTest::newRow("just under a tenth") << qint64(12'449'999) << qint64(-1) << "12.4 MB";
    QTest::newRow("100 MiB, one byte short")
        << qint64(104'857'599) << qint64(104'857'600) << "104.9 MB of 104.9 MB (99%)";
    QTest::newRow("complete") << qint64(104'857'600) << qint64(104'857'600) << "104.9 MB of 104.9 MB (100%)";
    QTest::newRow("more than announced") << qint64(2'000'000) << qint64(1'000'000) << "2.0 MB of 1.0 MB (100%)";
    QTest::newRow("empty file") << qint64(0) << qint64(0) << "0.0 MB of 0.0 MB (100%)";
    QTest::newRow("gigabytes") << qint64(12'345'678'901) << qint64(-1) << "12345.7 MB";
}

void TestProgressWindow::byteText()
{
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(QString, text);
    QCOMPARE(ByteCountText::progress(received, expected), text);
}

void TestProgressWindow::phasesFailureAndRetry()
{
    JoinProgressWindow* controller = JoinProgressWindow::getInstance();
    controller->showWindow(nullptr);
    QWidget* window = controller->loadedWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QLabel* phase = controller->phaseLabel();
    QProgressBar* bar = controller->progress();
    QPushButton* retry = controller->retryButton();

    controller->showPhase(JoinProgressWindow::Phase::Downloading);
    QCOMPARE(bar->maximum(), 0);
    controller->showDownloadProgress(12'400'000, 96'000'000);
    QCOMPARE(phase->text(), QStringLiteral("Downloading the support app: 12.4 MB of 96.0 MB (12%)"));
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 12);
    // Reports within a frame of the last one painted are held; the latest of them is painted.
    controller->showDownloadProgress(20'000'000, 96'000'000);
    controller->showDownloadProgress(5'000'000, -1);
    QTRY_COMPARE(phase->text(), QStringLiteral("Downloading the support app: 5.0 MB"));
    QCOMPARE(bar->maximum(), 0); // running while the total is unknown
    QVERIFY(!retry->isVisible());
    // A held report never paints over the phase that follows it.
    controller->showDownloadProgress(6'000'000, 96'000'000);
    controller->showDownloadProgress(7'000'000, 96'000'000);
    controller->showPhase(JoinProgressWindow::Phase::Installing);
    QTest::qWait(250);
    QCOMPARE(phase->text(), QStringLiteral("Installing the support app ..."));

    // The background plugin download's failure is not the join's.
    int retries = 0;
    const int downloader = 0;
    controller->watchDownload(
        &downloader, [] { return QStringLiteral("The download stopped."); }, [&retries] { ++retries; });
    const int otherDownloader = 0;
    NotificationCenter::defaultCenter().post(QStringLiteral("RetryDMGDownloadig"), &otherDownloader);
    QVERIFY(!controller->isShowingFailure());
    NotificationCenter::defaultCenter().post(QStringLiteral("RetryDMGDownloadig"), &downloader);
    QVERIFY(controller->isShowingFailure());
    QCOMPARE(controller->failureLabel()->text(), QStringLiteral("The download stopped."));
    QVERIFY(retry->isVisible() && retry->isDefault());
    QVERIFY(!bar->isVisible() && !controller->infoLabel()->isVisible() && !phase->isVisible());
    controller->showDownloadProgress(6'000'000, -1); // a late report leaves the failure shown
    QVERIFY(controller->failureLabel()->isVisible() && !phase->isVisible());

    // Return presses Retry, once.
    QTest::keyClick(window, Qt::Key_Return);
    QTRY_COMPARE(retries, 1);
    QVERIFY(!controller->isShowingFailure() && !retry->isVisible());
    QVERIFY(bar->isVisible() && controller->infoLabel()->isVisible() && phase->isVisible());
    QVERIFY(!controller->failureLabel()->isVisible());
    QTest::keyClick(window, Qt::Key_Return); // nothing offered, nothing pressed
    QCOMPARE(retries, 1);
    QVERIFY(!controller->isShowingFailure());
}

void TestProgressWindow::announcements_data()
{
    QTest::addColumn<QList<qint64>>("received"); // bytes reported in turn
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<QStringList>("heard"); // the phase line's names after the phase's own
    QTest::addColumn<QString>("shown");     // the phase line's text at the end
    QList<qint64> everyPercent;
    for (qint64 percent = 0; percent <= 100; ++percent) {
        everyPercent << percent * 1'000'000;
    }
    QTest::newRow("every percent") << everyPercent << qint64(100'000'000)
                                   << QStringList{"Downloading the support app: 25.0 MB of 100.0 MB (25%)",
                                                  "Downloading the support app: 50.0 MB of 100.0 MB (50%)",
                                                  "Downloading the support app: 75.0 MB of 100.0 MB (75%)",
                                                  "Downloading the support app: 100.0 MB of 100.0 MB (100%)"}
                                   << "Downloading the support app: 100.0 MB of 100.0 MB (100%)";
    QTest::newRow("a jump past two steps") << QList<qint64>{10'000'000, 80'000'000, 90'000'000} << qint64(100'000'000)
                                           << QStringList{"Downloading the support app: 80.0 MB of 100.0 MB (80%)"}
                                           << "Downloading the support app: 90.0 MB of 100.0 MB (90%)";
    QTest::newRow("total unknown") << QList<qint64>{10'000'000, 60'000'000} << qint64(-1) << QStringList()
                                   << "Downloading the support app: 60.0 MB";
}

void TestProgressWindow::announcements()
{
    QFETCH(QList<qint64>, received);
    QFETCH(qint64, expected);
    QFETCH(QStringList, heard);
    QFETCH(QString, shown);
    JoinProgressWindow* controller = JoinProgressWindow::getInstance();
    controller->showWindow(nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(controller->loadedWindow()));
    // A screen reader hears the phase line's accessible name change.
    QStringList heardNames;
    const auto hear = [&] {
        const QString name = controller->phaseLabel()->accessibleName();
        if (heardNames.isEmpty() || heardNames.last() != name) {
            heardNames << name;
        }
    };
    controller->showPhase(JoinProgressWindow::Phase::Downloading);
    hear();
    for (const qint64 bytes : received) {
        controller->showDownloadProgress(bytes, expected);
        // Reports are painted at most once a frame; these come slower, as a download's do.
        QTest::qWait(25);
        hear();
    }
    QCOMPARE(heardNames, QStringList{"Downloading the support app ..."} + heard);
    QCOMPARE(controller->phaseLabel()->text(), shown);

    controller->showFailure(QStringLiteral("The download stopped."), [] {});
    QAccessibleInterface* failure = QAccessible::queryAccessibleInterface(controller->failureLabel());
    QVERIFY(failure);
    QCOMPARE(failure->role(), QAccessible::AlertMessage);
    QCOMPARE(failure->text(QAccessible::Name), QStringLiteral("The download stopped."));
    controller->retryButtonAction();
}

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
