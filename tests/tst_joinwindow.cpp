#include "FlatButton/SYFlatButton.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Handlers/OrvoPluginWindowHandler.h"
#include "Handlers/SessionKeyText.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/Browser.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/ResourceImages.h"
#include "Platform/App/Window.h"
#include "Platform/Log/Log.h"
#include "Platform/Log/TestHooks.h"
#include "Platform/Net/UrlConnection.h"
#include "ProvisioningFixtures.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

namespace {

const QString mandatory = QStringLiteral("*Mandatory field");
const QString invalid = QStringLiteral("The session ID is invalid.Verify session ID with your technician again.");

// A shown join window, as start-up leaves it.
struct JoinWindow
{
    JoinWindow()
    {
        controller.showWindow(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(controller.window()));
    }
    void type(QLineEdit* field, const QString& keys, const QString& paste = {}, int backspaces = 0)
    {
        field->setFocus();
        QTest::keyClicks(field, keys);
        if (!paste.isEmpty()) {
            QGuiApplication::clipboard()->setText(paste);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        }
        for (int i = 0; i < backspaces; ++i) {
            QTest::keyClick(field, Qt::Key_Backspace);
        }
    }
    OrvoPluginWindowHandler controller;
};

} // namespace

class TestJoinWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowSetUp();
    void typing_data();
    void typing();
    void groupedDisplay_data();
    void groupedDisplay();
    void firstCharacters_data();
    void firstCharacters();
    void nameCut_data();
    void nameCut();
    void messages_data();
    void messages();
    void dataCentre_data();
    void dataCentre();
    void joinRoad_data();
    void joinRoad();
    void closeBox();
    void moreInfoAndAbout();
    void renderedWindowFitsAndIsNotBlank();

private:
    const HookGuard<std::optional<std::chrono::milliseconds>> m_timeout{TestHooks::checkTimeout,
                                                                        std::chrono::seconds(10)};
    const HookGuard<QString> m_images{TestHooks::resourceFolder, QStringLiteral(ORVO_BUNDLE_DIR "/Contents/Resources")};
    QTemporaryDir m_home;
    QTemporaryDir m_service_dir;
    Standin m_service;
};

// Writes a log line when a window of the given layout is shown, so the test can place it among the others.
class ShowMarker : public QObject
{
public:
    explicit ShowMarker(const QString& layout) : m_layout(layout) { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == m_layout && watched->isWidgetType()) {
            Log::write("test: %@ shown", m_layout);
        }
        return false;
    }

private:
    QString m_layout;
};

void TestJoinWindow::initTestCase()
{
    qputenv("HOME", m_home.path().toLocal8Bit());
    // No disk-image tool and no system files from the machine.
    qputenv("ORVO_SYSTEM_ROOT", m_home.filePath(QStringLiteral("system-root")).toLocal8Bit());
    const QString certs = m_service_dir.filePath(QStringLiteral("certs"));
    QVERIFY(makeTestCertificates(certs));
    qputenv("SSL_CERT_FILE", (certs + QStringLiteral("/ca.pem")).toLocal8Bit());
    QVERIFY(m_service.start(certs, m_service_dir.path()));
}

void TestJoinWindow::windowSetUp()
{
    JoinWindow w;
    OrvoPluginWindowHandler& c = w.controller;
    QWidget* window = c.orvoPluginWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Orvo Wendra Customer Plugin"));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(c.sessionKeyTextField()->placeholderText(), QStringLiteral("Enter Session ID"));
    QCOMPARE(c.nameTextField()->placeholderText(), QStringLiteral("Enter your name"));
    QVERIFY(c.keyIncorrectTextField()->isHidden() && c.nameEmptyShow()->isHidden());
    QVERIFY(!c.moreInfoButton()->icon().isNull() && !c.nameRedStar()->icon().isNull());

    SYFlatButton* join = c.joinButton();
    QCOMPARE(join->title(), OptionalString(QStringLiteral("Join Session")));
    QCOMPARE(join->layer()->backgroundColor()->toRgb(), QColor(14, 123, 196));
    QVERIFY(join->momentary() && join->isEnabled());

    // Focus starts in the session-ID field, whose underline is the blue one; Tab goes to the name, then Join.
    QCOMPARE(QApplication::focusWidget(), c.sessionkeytextfield());
    QVERIFY(c.blueKeyLine()->isVisible() && c.SessionIDLine()->isHidden());
    QVERIFY(c.blueNameLine()->isHidden() && c.nameLine()->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.nameText());
    QVERIFY(c.blueNameLine()->isVisible() && c.nameLine()->isHidden());
    QVERIFY(c.blueKeyLine()->isHidden() && c.SessionIDLine()->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), join);
    // Return on the focused button presses it: empty fields get their messages.
    QTest::keyClick(join, Qt::Key_Return);
    QCOMPARE(c.keyIncorrectTextField()->text(), mandatory);
    QVERIFY(c.keyIncorrectTextField()->isVisible() && c.nameEmptyShow()->isVisible());

    // The trust notice: Lucida Grande 12 pt, indented 5 pt, a red "Report abuse" link to the main host's page.
    QLabel* trust = c.trustTextField();
    QCOMPARE(trust->font().families().value(0), QStringLiteral("Lucida Grande"));
    QCOMPARE(trust->font().pointSizeF(), 12.0);
    QTextDocument document;
    document.setHtml(trust->text());
    QCOMPARE(document.toPlainText(), QStringLiteral("Join remote support session only with people you recognize and "
                                                    "trust. Report abuse"));
    QVERIFY(document.begin().blockFormat().leftMargin() > 0);
    // The main host of the tests' host table.
    const QString page = QStringLiteral("https://127.0.0.1:0/report-abuse");
    QTextCursor link(&document);
    link.setPosition(int(document.toPlainText().indexOf(QStringLiteral("Report"))) + 1);
    QCOMPARE(link.charFormat().anchorHref(), page);
    QCOMPARE(link.charFormat().foreground().color(), QColor(Qt::red));
    link.setPosition(3);
    QVERIFY(!link.charFormat().isAnchor());
    QUrl opened;
    {
        const HookGuard browser(TestHooks::openURL, [&](const QUrl& url) {
            opened = url;
            return true;
        });
        emit trust->linkActivated(page);
    }
    QCOMPARE(opened, QUrl(page));
    // No browser takes it: the window stays as it is, and the log says so.
    const HookGuard noBrowser(TestHooks::openURL, [](const QUrl&) { return false; });
    LogCapture capture;
    emit trust->linkActivated(page);
    QVERIFY2(capture.text().contains(QStringLiteral(
                 "-[OrvoPluginWindowHandler linkActivated:] : no browser opened https://127.0.0.1:0/report-abuse\n")),
             qPrintable(capture.text()));
    QVERIFY(window->isVisible());
}

void TestJoinWindow::typing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters dropped") << "12a3"
                                     << "" << 0 << "1 2 3";
    QTest::newRow("ten digits pasted in hyphenated groups") << ""
                                                            << "123-456-7890" << 0 << "1 2 3 - 4 5 6 - 7 8 9 0";
    QTest::newRow("twelve digits keep the first ten") << ""
                                                      << "123456789012" << 0 << "1 2 3 - 4 5 6 - 7 8 9 0";
    QTest::newRow("typing past ten changes nothing") << "12345678901"
                                                     << "" << 0 << "1 2 3 - 4 5 6 - 7 8 9 0";
    QTest::newRow("deleting the fourth digit") << "1234"
                                               << "" << 1 << "1 2 3";
    QTest::newRow("blanks and hyphens typed") << "1 2-3 4"
                                              << "" << 0 << "1 2 3 - 4";
    QTest::newRow("Arabic-Indic and Devanagari digits") << "" << QString::fromUtf8("\u0661\u0662\u0663\u0967") << 0
                                                        << QString::fromUtf8("\u0661 \u0662 \u0663 - \u0967");
    QTest::newRow("digits beyond the basic plane")
        << "" << QString::fromUtf8("\U0001D7CF2\U0001D7D0") << 0 << QString::fromUtf8("\U0001D7CF 2 \U0001D7D0");
}

void TestJoinWindow::typing()
{
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(int, backspaces);
    QFETCH(QString, shown);
    JoinWindow w;
    QLineEdit* field = w.controller.sessionkeytextfield();
    w.type(field, typed, pasted, backspaces);
    QCOMPARE(field->text(), shown);
    QCOMPARE(field->cursorPosition(), int(shown.size()));
}

void TestJoinWindow::groupedDisplay_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("shown");
    const QStringList shown{"",
                            "1",
                            "1 2",
                            "1 2 3",
                            "1 2 3 - 4",
                            "1 2 3 - 4 5",
                            "1 2 3 - 4 5 6",
                            "1 2 3 - 4 5 6 - 7",
                            "1 2 3 - 4 5 6 - 7 8",
                            "1 2 3 - 4 5 6 - 7 8 9",
                            "1 2 3 - 4 5 6 - 7 8 9 0"};
    for (int n = 0; n <= 10; ++n) {
        QTest::addRow("%d digits", n) << QStringLiteral("1234567890").left(n) << shown[n];
    }
}

void TestJoinWindow::groupedDisplay()
{
    QFETCH(QString, digits);
    QFETCH(QString, shown);
    QCOMPARE(OrvoPluginWindowHandler().formattedStringFromString(digits), shown);
}

void TestJoinWindow::firstCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("kept");
    const QString smile = QString::fromUtf8("\U0001F600");
    QTest::newRow("a pair is one character") << "1" + smile + "2" << 2 << "1" + smile;
    QTest::newRow("shorter than asked") << "12" << 10 << "12";
    // Found by fuzz_sessionkey: the lone surrogate came back as U+FFFD.
    QTest::newRow("a lone surrogate kept as it is")
        << "1" + QString(QChar(0xD800)) + "2" << 2 << "1" + QString(QChar(0xD800));
}

void TestJoinWindow::firstCharacters()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, kept);
    QCOMPARE(SessionKeyText::firstCharacters(text, count), kept);
}

void TestJoinWindow::nameCut_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    const QString forty = QStringLiteral("Ada Lovelace Byron King, Countess of Lov");
    QTest::newRow("45 typed") << forty + QStringLiteral("elace") << "" << forty;
    QTest::newRow("45 pasted") << "" << forty + QStringLiteral("elace") << forty;
    QTest::newRow("exactly 40") << forty << "" << forty;
    QTest::newRow("blanks kept") << "  Ada  "
                                 << ""
                                 << "  Ada  ";
    const QString smile = QString::fromUtf8("\U0001F600");
    QTest::newRow("a pair across the cut stays out whole") << "" << forty.left(39) + smile << forty.left(39);
}

void TestJoinWindow::nameCut()
{
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    JoinWindow w;
    w.type(w.controller.nameText(), typed, pasted);
    QCOMPARE(w.controller.nameText()->text(), kept);
}

void TestJoinWindow::messages_data()
{
    QTest::addColumn<QString>("sessionId");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keyMessage"); // empty: hidden
    QTest::addColumn<QString>("nameMessage");
    QTest::newRow("both empty") << ""
                                << "" << mandatory << mandatory;
    QTest::newRow("no ID, a name") << ""
                                   << "Ada" << mandatory << "";
    QTest::newRow("1 digit, no name") << "1"
                                      << "" << invalid << mandatory;
    QTest::newRow("8 digits, a name") << "12345678"
                                      << "Ada" << invalid << "";
    QTest::newRow("9 digits, no name") << "123456789"
                                       << ""
                                       << "" << mandatory;
    // Typing the ID hid the message an earlier press left.
    QTest::newRow("10 digits, no name, stale ID message") << "1234567890"
                                                          << ""
                                                          << "" << mandatory;
}

void TestJoinWindow::messages()
{
    QFETCH(QString, sessionId);
    QFETCH(QString, name);
    QFETCH(QString, keyMessage);
    QFETCH(QString, nameMessage);
    JoinWindow w;
    OrvoPluginWindowHandler& c = w.controller;
    // A first press with an invalid ID and a name, then the row's entries and Return in the name field.
    w.type(c.sessionkeytextfield(), QStringLiteral("12"));
    w.type(c.nameText(), QStringLiteral("x"));
    QTest::keyClick(c.nameText(), Qt::Key_Return);
    QVERIFY(c.keyIncorrectTextField()->isVisible());
    c.nameText()->selectAll();
    w.type(c.nameText(), name.isEmpty() ? QString() : name);
    if (name.isEmpty()) {
        QTest::keyClick(c.nameText(), Qt::Key_Backspace);
    }
    c.sessionkeytextfield()->selectAll();
    QTest::keyClick(c.sessionkeytextfield(), Qt::Key_Backspace);
    w.type(c.sessionkeytextfield(), sessionId);
    QTest::keyClick(c.sessionkeytextfield(), Qt::Key_Return);
    QCOMPARE(c.keyIncorrectTextField()->isVisible(), !keyMessage.isEmpty());
    QCOMPARE(c.nameEmptyShow()->isVisible(), !nameMessage.isEmpty());
    if (!keyMessage.isEmpty()) {
        QCOMPARE(c.keyIncorrectTextField()->text(), keyMessage);
    }
    if (!nameMessage.isEmpty()) {
        QCOMPARE(c.nameEmptyShow()->text(), nameMessage);
    }
    // Nothing was joined: the window stays up with the entries.
    QVERIFY(c.orvoPluginWindow()->isVisible());
    QCOMPARE(SessionKeyText::digits(c.sessionkeytextfield()->text()), sessionId);
}

void TestJoinWindow::dataCentre_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<OptionalString>("plistDc");
    QTest::addColumn<QString>("dc");
    QTest::addColumn<QString>("host"); // data centres' hosts as the tests' host table has them
    const OptionalString none;
    const auto text = [](const char* s) {
        return OptionalString(QString::fromUtf8(s));
    };
    QTest::newRow("9, lab") << "123456789" << text("lab") << "lab"
                            << "127.0.0.2:0";
    QTest::newRow("9, com") << "123456789" << text("com") << "com"
                            << "127.0.0.1:0";
    QTest::newRow("9, eu keeps the installer's host") << "123456789" << text("eu") << "eu"
                                                      << "installer.example";
    QTest::newRow("9, Lab is not lab") << "123456789" << text("Lab") << "Lab"
                                       << "installer.example";
    QTest::newRow("9, no installer code") << "123456789" << text("") << ""
                                          << "installer.example";
    QTest::newRow("10, fourth 0 leaves both") << "1230567890" << text("lab") << "before"
                                              << "before.example";
    const char* codes[] = {"eu", "in", "au", "cn", "jp", "ca", "uk", "sa", "ae"};
    const char* hosts[] = {"127.0.0.3:0", "127.0.0.4:0", "127.0.0.5:0",  "127.0.0.6:0", "127.0.0.7:0",
                           "127.0.0.8:0", "127.0.0.9:0", "127.0.0.10:0", "127.0.0.11:0"};
    for (int digit = 1; digit <= 9; ++digit) {
        QTest::addRow("10, fourth %d", digit)
            << QStringLiteral("555") + QString::number(digit) + QStringLiteral("555555") << text("lab")
            << QString::fromLatin1(codes[digit - 1]) << QString::fromLatin1(hosts[digit - 1]);
    }
    QTest::newRow("10, only the fourth digit matters") << "9992000001" << none << "in"
                                                       << "127.0.0.4:0";
    QTest::newRow("10, another script's 1 is no match") << QString::fromUtf8("123\u0661567890") << none << "before"
                                                        << "before.example";
    QTest::newRow("8 digits change nothing") << "12345678" << text("lab") << "before"
                                             << "before.example";
}

void TestJoinWindow::dataCentre()
{
    QFETCH(QString, key);
    QFETCH(OptionalString, plistDc);
    QFETCH(QString, dc);
    QFETCH(QString, host);
    SessionDetails* s = SessionDetails::getInstance();
    s->setPlistDcName(plistDc);
    s->setPlistWebServerName(QStringLiteral("installer.example"));
    s->setDcName(QStringLiteral("before"));
    s->setWebServerName(QStringLiteral("before.example"));
    OrvoPluginWindowHandler().findDcNameUsingKey(key);
    QCOMPARE(s->dcName(), OptionalString(dc));
    QCOMPARE(s->webServerName(), OptionalString(host));
}

void TestJoinWindow::joinRoad_data()
{
    QTest::addColumn<bool>("agentCurrent");
    QTest::newRow("agent to fetch") << false;
    QTest::newRow("installed agent launched") << true;
}

void TestJoinWindow::joinRoad()
{
    QFETCH(bool, agentCurrent);
    const QString agent = m_home.path() + QStringLiteral("/Library/Application Support/OrvoMeetingNative/Orvo.app");
    QDir(agent).removeRecursively();
    QVERIFY(QDir().mkpath(agent + QStringLiteral("/..")));
    if (QWidget* progress = JoinProgressWindow::getInstance()->loadedWindow()) {
        Window::orderOut(progress);
    }
    if (agentCurrent) {
        QVERIFY(ProvisioningFixtures::makeRecordingAgent(agent));
        QVERIFY(signBundleForTest(agent));
    }
    m_service.configure(
        QJsonDocument(QJsonObject{{QStringLiteral("agent"),
                                   QJsonObject{{QStringLiteral("update_needed"), !agentCurrent},
                                               {QStringLiteral("download_url"),
                                                QStringLiteral("https://%1/cdn/none.dmg").arg(m_service.host())}}}})
            .toJson());
    // A 9-digit ID takes the installer's data centre and host: the stand-in.
    SessionDetails* s = SessionDetails::getInstance();
    s->setPlistDcName(QStringLiteral("eu"));
    s->setPlistWebServerName(m_service.host());
    s->setLocalOrvoAppVersion(QStringLiteral("0"));

    JoinWindow w;
    OrvoPluginWindowHandler& c = w.controller;
    QStringList atQuit;
    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("OrvoPluginTerminate"), nullptr,
        [&](const Notification&) { atQuit << c.sessionkeytextfield()->text() << c.nameText()->text(); });
    ShowMarker marker(QStringLiteral("JoinProgressWindow"));
    LogCapture capture;
    w.type(c.sessionkeytextfield(), QStringLiteral("123456789"));
    QTest::keyClick(c.sessionkeytextfield(), Qt::Key_Tab);
    w.type(c.nameText(), QStringLiteral(" Ada  Lovelace "));
    QTest::keyClick(c.nameText(), Qt::Key_Return);
    NotificationCenter::defaultCenter().removeObserver(this);
    const QString log = capture.text();

    const QStringList steps{QStringLiteral("test: JoinProgressWindow shown"),
                            QStringLiteral("-[ApiHandler agentCheckUpdate] : Request Url URL : https://") +
                                m_service.host(),
                            agentCurrent ? QStringLiteral("-[OrvoAppUpgrader orvoAppUpdater] : This mac has latest")
                                         : QStringLiteral("-[OrvoAppUpgrader orvoAppUpdater] : Updated Orvo App"),
                            QStringLiteral("-[OrvoPluginWindowHandler close] Orvo Plugin window Ordered out...")};
    qsizetype at = -1;
    for (const QString& step : steps) {
        const qsizetype next = log.indexOf(step);
        QVERIFY2(next > at, qPrintable(step + QStringLiteral("\n") + log));
        at = next;
    }
    QCOMPARE(s->sessionKey(), OptionalString(QStringLiteral("123456789")));
    QCOMPARE(s->name(), OptionalString(QStringLiteral(" Ada  Lovelace ")));
    QCOMPARE(s->dcName(), OptionalString(QStringLiteral("eu")));
    QVERIFY(
        ProvisioningFixtures::readFile(m_home.path() + QStringLiteral("/Library/Application Support/OrvoMeetingNative/"
                                                                      "orvojoindetails.conf"))
            .contains("&key=123456789&"));
    QVERIFY(c.sessionkeytextfield()->text().isEmpty() && c.nameText()->text().isEmpty());
    QVERIFY(c.orvoPluginWindow()->isHidden());
    QWidget* progress = JoinProgressWindow::getInstance()->loadedWindow();
    if (agentCurrent) {
        // The quit came while the entries were still there; the agent got its launch arguments.
        QCOMPARE(atQuit, (QStringList{QStringLiteral("1 2 3 - 4 5 6 - 7 8 9"), QStringLiteral(" Ada  Lovelace ")}));
        QVERIFY(progress->isHidden());
        QTRY_COMPARE(ProvisioningFixtures::recordedAgentArguments(agent), ProvisioningFixtures::agentArguments());
    } else {
        QVERIFY(atQuit.isEmpty());
        QVERIFY(progress->isVisible());
    }
}

void TestJoinWindow::closeBox()
{
    JoinWindow w;
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [&](const Notification& n) {
                                                        ++posts;
                                                        QCOMPARE(n.object, &w.controller);
                                                    });
    LogCapture capture;
    QVERIFY(!w.controller.window()->close()); // the platform does not close it
    NotificationCenter::defaultCenter().removeObserver(this);
    QCOMPARE(posts, 1);
    QVERIFY(w.controller.window()->isHidden());
    QVERIFY(capture.text().contains(
        QStringLiteral("-[OrvoPluginWindowHandler windowShouldClose:] Orvo Plugin Main Window Close Clicked...")));
}

void TestJoinWindow::moreInfoAndAbout()
{
    SessionDetails::getInstance()->setLocalOrvoPluginAppVersion(QStringLiteral("4.2"));
    JoinWindow w;
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OrvoPluginTerminate"), nullptr,
                                                    [&](const Notification&) { ++posts; });
    LogCapture capture;
    const auto aboutWindows = [] {
        QSet<QWidget*> windows;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("InfoWindowHandler") && window->isVisible()) {
                windows.insert(window);
            }
        }
        return windows;
    };
    QList<QWidget*> abouts;
    for (int press = 0; press < 2; ++press) {
        const QSet<QWidget*> before = aboutWindows();
        w.controller.moreInfoButton()->click();
        // A new window each time; the one already up is not reused.
        const QSet<QWidget*> added = aboutWindows() - before;
        QCOMPARE(added.size(), 1);
        abouts << *added.begin();
    }
    const QString log = capture.text();
    QCOMPARE(log.count(QStringLiteral("+[InfoWindowHandler getInstance] : Update Info Object Allocated")), 2);
    QCOMPARE(log.count(QStringLiteral("-[OrvoPluginWindowHandler moreActionClick:] MoreInfo Action Button Clicked...")),
             2);
    QWidget* about = abouts.last();
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QVERIFY(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("versionTextField"))->text(), QStringLiteral("version - 4.2"));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("orvoWendraTextField"))->text(),
             QStringLiteral("Orvo Wendra - Customer Plugin"));
    QVERIFY(!about->findChild<QLabel*>(QStringLiteral("orvoIconImage"))->pixmap().isNull());
    // Its close box hides it and leaves the join window and the plugin running.
    QVERIFY(!about->close());
    QVERIFY(about->isHidden());
    QVERIFY(w.controller.orvoPluginWindow()->isVisible());
    NotificationCenter::defaultCenter().removeObserver(this);
    QCOMPARE(posts, 0);
}

void TestJoinWindow::renderedWindowFitsAndIsNotBlank()
{
    JoinWindow w;
    OrvoPluginWindowHandler& c = w.controller;
    // With both messages up, the longest state of the window.
    QTest::keyClick(c.sessionkeytextfield(), Qt::Key_3);
    QTest::keyClick(c.sessionkeytextfield(), Qt::Key_Return);
    QWidget* window = c.orvoPluginWindow();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisible()) {
            continue;
        }
        const QRect inWindow(child->mapTo(window, QPoint(0, 0)), child->size());
        QVERIFY2(window->rect().contains(inWindow), qPrintable(child->objectName()));
        if (auto* label = qobject_cast<QLabel*>(child); label && label->wordWrap()) {
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->objectName()));
        }
    }
    const QImage image = window->grab().toImage();
    QVERIFY(image.save(QCoreApplication::applicationDirPath() + QStringLiteral("/joinwindow.png")));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            colours.insert(image.pixel(x, y));
        }
    }
    QVERIFY(colours.size() > 20);
}

QTEST_MAIN(TestJoinWindow)
#include "tst_joinwindow.moc"
