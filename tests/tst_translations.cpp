#include "FlatButton/SYFlatButton.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoDmgDownloader.h"
#include "Handlers/OrvoPluginWindowHandler.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/Translations.h"
#include "Platform/Log/TestHooks.h"
#include "TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// Run once per language (CTest sets LANG): the windows as a customer with that system language sees them.
class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windows_data();
    void windows();

private:
    // Pictures for review, named after the language.
    void keep(QWidget* window, const QString& state) const;
    // Every shown widget inside the window, and no wrapped label shorter than its text.
    static void verifyNothingClipped(QWidget* window);

    const HookGuard<QString> m_images{TestHooks::resourceFolder, QStringLiteral(ORVO_BUNDLE_DIR "/Contents/Resources")};
    QTemporaryDir m_home;
    QString m_language;
};

void TestTranslations::initTestCase()
{
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("ORVO_SYSTEM_ROOT", m_home.filePath(QStringLiteral("system-root")).toLocal8Bit());
    Translations::install();
    const QString name = QLocale::system().name();
    m_language = name == QLatin1String("zh_CN") ? name : name.section(QLatin1Char('_'), 0, 0);
}

void TestTranslations::windows_data()
{
    QTest::addColumn<QString>("join");
    QTest::addColumn<QString>("mandatory");
    QTest::addColumn<QString>("interrupted"); // a cut download's message
    QTest::addColumn<QString>("serviceError");
    QTest::addColumn<QString>("retry");
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("about");
    QTest::addColumn<bool>("rightToLeft");
    const auto row = [this](const char* language) {
        // Only this run's language: each run starts the windows afresh under its own LANG.
        return m_language == QLatin1String(language) ? &QTest::newRow(language) : nullptr;
    };
    if (auto* r = row("C")) {
        *r << "Join Session"
           << "*Mandatory field"
           << "The download of the support app was interrupted. Check your internet connection, then press Retry."
           << "The service could not provide the support app (error 503). Press Retry; if it happens again, tell "
              "your technician."
           << "Retry"
           << "Downloading the support app: 12.4 MB of 96.0 MB (12%)"
           << "About" << false;
    }
    if (auto* r = row("ja")) {
        *r << "セッションに参加"
           << "*必須項目"
           << "サポートアプリのダウンロードが中断されました。インターネット接続を確認してから、「再試行」を押してくださ"
              "い。"
           << "サービスからサポートアプリを受け取れませんでした（エラー "
              "503）。「再試行」を押してください。もう一度起きたら"
              "、担当の技術者に伝えてください。"
           << "再試行"
           << "サポートアプリをダウンロード中: 12.4 MB / 96.0 MB (12%)"
           << "バージョン情報" << false;
    }
    if (auto* r = row("zh_CN")) {
        *r << "加入会话"
           << "*必填项"
           << "支持应用的下载中断了。请检查网络连接，然后点击“重试”。"
           << "服务无法提供支持应用（错误 503）。请点击“重试”；如果再次出现，请告诉您的技术人员。"
           << "重试"
           << "正在下载支持应用: 12.4 MB / 96.0 MB (12%)"
           << "关于" << false;
    }
    if (auto* r = row("ar")) {
        // The numbers and byte counts sit in left-to-right isolates (U+2066 ... U+2069).
        *r << "انضمام إلى الجلسة"
           << "*حقل مطلوب"
           << "انقطع تنزيل تطبيق الدعم. تحقّق من اتصالك بالإنترنت، ثم اضغط «إعادة المحاولة»."
           << "تعذّر على الخدمة توفير تطبيق الدعم (الخطأ \u2066503\u2069). اضغط «إعادة المحاولة»، وإذا تكرّر ذلك فأخبر "
              "الفنيّ الذي يساعدك."
           << "إعادة المحاولة"
           << "جارٍ تنزيل تطبيق الدعم: \u206612.4 MB / 96.0 MB (12%)\u2069"
           << "حول" << true;
    }
    if (auto* r = row("hi")) {
        *r << "सत्र में जुड़ें"
           << "*ज़रूरी फ़ील्ड"
           << "सहायता ऐप का डाउनलोड बीच में रुक गया। अपना इंटरनेट कनेक्शन जाँचें, फिर “फिर से कोशिश करें” दबाएँ।"
           << "सेवा सहायता ऐप नहीं दे सकी (त्रुटि 503)। “फिर से कोशिश करें” दबाएँ; अगर फिर से ऐसा हो, तो अपने तकनीशियन को "
              "बताएँ।"
           << "फिर से कोशिश करें"
           << "सहायता ऐप डाउनलोड हो रहा है: 96.0 MB में से 12.4 MB (12%)"
           << "परिचय" << false;
    }
    if (auto* r = row("de")) {
        *r << "Sitzung beitreten"
           << "*Pflichtfeld"
           << "Der Download der Support-App wurde unterbrochen. Prüfen Sie Ihre Internetverbindung und klicken Sie "
              "dann auf „Erneut versuchen“."
           << "Der Dienst konnte die Support-App nicht bereitstellen (Fehler 503). Klicken Sie auf „Erneut versuchen“. "
              "Wenn es wieder passiert, sagen Sie es Ihrem Techniker."
           << "Erneut versuchen"
           << "Die Support-App wird heruntergeladen: 12,4 MB von 96,0 MB (12 %)"
           << "Über" << false;
    }
    if (auto* r = row("fr")) {
        *r << "Rejoindre la session"
           << "*Champ obligatoire"
           << "Le téléchargement de l’application d’assistance a été interrompu. Vérifiez votre connexion Internet, "
              "puis cliquez sur « Réessayer »."
           << "Le service n’a pas pu fournir l’application d’assistance (erreur 503). Cliquez sur « Réessayer » ; si "
              "cela se reproduit, prévenez votre technicien."
           << "Réessayer"
           << "Téléchargement de l’application d’assistance : 12,4 Mo sur 96,0 Mo (12 %)"
           << "À propos" << false;
    }
    if (auto* r = row("es")) {
        *r << "Unirse a la sesión"
           << "*Campo obligatorio"
           << "La descarga de la aplicación de soporte se interrumpió. Compruebe su conexión a Internet y pulse "
              "«Reintentar»."
           << "El servicio no pudo proporcionar la aplicación de soporte (error 503). Pulse «Reintentar»; si vuelve a "
              "ocurrir, avise a su técnico."
           << "Reintentar"
           << "Descargando la aplicación de soporte: 12,4 MB de 96,0 MB (12 %)"
           << "Acerca de" << false;
    }
}

void TestTranslations::windows()
{
    QFETCH(QString, join);
    QFETCH(QString, mandatory);
    QFETCH(QString, interrupted);
    QFETCH(QString, serviceError);
    QFETCH(QString, retry);
    QFETCH(QString, progress);
    QFETCH(QString, about);
    QFETCH(bool, rightToLeft);
    QCOMPARE(QGuiApplication::layoutDirection(), rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);

    // The join window, with both messages up: its longest state.
    OrvoPluginWindowHandler controller;
    controller.showWindow(nullptr);
    QWidget* window = controller.orvoPluginWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(controller.joinButton()->text(), join);
    QCOMPARE(window->isRightToLeft(), rightToLeft);
    // The session ID and its grouping read left to right in every language.
    QCOMPARE(controller.sessionkeytextfield()->layoutDirection(), Qt::LeftToRight);
    QTest::keyClicks(controller.sessionkeytextfield(), QStringLiteral("123"));
    QCOMPARE(controller.sessionkeytextfield()->text(), QStringLiteral("1 2 3"));
    controller.joinButton()->click();
    QCOMPARE(controller.nameEmptyShow()->text(), mandatory);
    verifyNothingClipped(window);
    keep(window, QStringLiteral("join"));

    // The progress window's failure, logged in English whatever the language.
    JoinProgressWindow* progressWindow = JoinProgressWindow::getInstance();
    progressWindow->showWindow(nullptr);
    progressWindow->showDownloadProgress(12'400'000, 96'000'000);
    QCOMPARE(progressWindow->phaseLabel()->text(), progress);
    LogCapture capture;
    UrlError cut;
    cut.code = UrlErrorCode::NetworkConnectionLost;
    progressWindow->showFailure(OrvoDmgDownloader::messageForError(cut), [] {});
    QCOMPARE(progressWindow->failureLabel()->text(), interrupted);
    QCOMPARE(progressWindow->retryButton()->text(), retry);
    QVERIFY(capture.text().contains(
        QStringLiteral("-[JoinProgressWindow showFailure:] : The download of the support app was interrupted. Check "
                       "your internet connection, then press Retry.\n")));
    QCOMPARE(progressWindow->loadedWindow()->isRightToLeft(), rightToLeft);
    verifyNothingClipped(progressWindow->loadedWindow());
    keep(progressWindow->loadedWindow(), QStringLiteral("failure"));
    UrlError status;
    status.httpStatus = 503;
    progressWindow->showFailure(OrvoDmgDownloader::messageForError(status), [] {});
    QCOMPARE(progressWindow->failureLabel()->text(), serviceError);
    verifyNothingClipped(progressWindow->loadedWindow());

    // About.
    SessionDetails::getInstance()->setLocalOrvoPluginAppVersion(QStringLiteral("4.2"));
    controller.moreInfoButton()->click();
    QWidget* aboutWindow = nullptr;
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        if (shown->objectName() == QLatin1String("InfoWindowHandler") && shown->isVisible()) {
            aboutWindow = shown;
        }
    }
    QVERIFY(aboutWindow);
    QCOMPARE(aboutWindow->windowTitle(), about);
    verifyNothingClipped(aboutWindow);
    keep(aboutWindow, QStringLiteral("about"));
}

void TestTranslations::keep(QWidget* window, const QString& state) const
{
    QVERIFY(QDir().mkpath(QStringLiteral(ORVO_SCREENSHOT_DIR)));
    QVERIFY(window->grab().save(QStringLiteral(ORVO_SCREENSHOT_DIR "/%1-%2.png").arg(m_language, state)));
}

void TestTranslations::verifyNothingClipped(QWidget* window)
{
    window->layout()->activate();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisible()) {
            continue;
        }
        const QRect inWindow(child->mapTo(window, QPoint(0, 0)), child->size());
        QVERIFY2(window->rect().contains(inWindow), qPrintable(child->objectName()));
        auto* label = qobject_cast<QLabel*>(child);
        if (label && label->wordWrap()) {
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->objectName()));
        } else if (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child)) {
            QVERIFY2(child->width() >= child->sizeHint().width(), qPrintable(child->objectName()));
        }
    }
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
