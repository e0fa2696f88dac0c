#include "Handlers/JoinProgressWindow.h"
#include "Platform/Application.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Window.h"
#include "TestSupport.h"

#include <QLabel>
#include <QProgressBar>
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

private:
    QList<const void*> m_posts;
    int m_exits = 0;
};

void TestProgressWindow::initTestCase()
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [this](const Notification& n) { m_posts << n.object; });
    Application::setExitFunction([this](int) { ++m_exits; });
    LogCapture capture;
    QCOMPARE(JoinProgressWindow::getInstance(), JoinProgressWindow::getInstance());
    QCOMPARE(capture.text().count(QStringLiteral("+[JoinProgressWindow getInstance] : Update Info Object Allocated\n")),
             1);
}

void TestProgressWindow::init()
{
    m_posts.clear();
    m_exits = 0;
    Application::resetTermination();
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
    QProgressBar* progress = window->findChild<QProgressBar*>(QStringLiteral("progress"));
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

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
