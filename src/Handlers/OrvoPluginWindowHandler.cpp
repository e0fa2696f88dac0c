#include "Handlers/OrvoPluginWindowHandler.h"

#include "FlatButton/SYFlatButton.h"
#include "Handlers/InfoWindowHandler.h"
#include "Handlers/JoinProgressWindow.h"
#include "Handlers/OrvoAppUpgrader.h"
#include "Handlers/SessionKeyText.h"
#include "Objects/DataCentres.h"
#include "Objects/SessionDetails.h"
#include "Platform/App/Browser.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/ResourceImages.h"
#include "Platform/App/Window.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "ui_OrvoPluginWindowHandler.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QLayout>
#include <QUrl>

#include <array>

namespace {

// The customer's entries at the last Join press.
QString sessionKey;
QString name;

// The trust and disclosure notices' paragraph: left-aligned, indented 5 points, "Lucida Grande" at 12 points.
struct MessageStyle
{
    double headIndent = 0.0;
    double firstLineHeadIndent = 0.0;
    Qt::Alignment alignment = Qt::AlignLeft;
};
struct MessageAttributes
{
    QFont font;
    MessageStyle paragraph;
};
MessageStyle leftStyle;
MessageAttributes leftMessageDict;

// Translated where they are shown (OrvoPluginWindowHandler::tr).
const char* const mandatoryField = QT_TRANSLATE_NOOP("OrvoPluginWindowHandler", "*Mandatory field");
const char* const invalidSessionId = QT_TRANSLATE_NOOP(
    "OrvoPluginWindowHandler", "The session ID is invalid.Verify session ID with your technician again.");
//: Ends with the text of "Report abuse", which becomes the link.
const char* const trustNotice = QT_TRANSLATE_NOOP(
    "OrvoPluginWindowHandler", "Join remote support session only with people you recognize and trust. Report abuse");
//: The link at the end of the trust notice.
const char* const reportAbuse = QT_TRANSLATE_NOOP("OrvoPluginWindowHandler", "Report abuse");
const char* const disclosureNotice = QT_TRANSLATE_NOOP(
    "OrvoPluginWindowHandler", "Do not disclose your passwords, credit card/bank details or any other "
                               "sensitive information during a session.");

// Data-centre codes of the fourth digit "1" to "9" of a 10-digit session ID.
constexpr std::array<const char*, 9> digitCodes{"eu", "in", "au", "cn", "jp", "ca", "uk", "sa", "ae"};

// Rich text of text in the attributes; linkRange (when given) becomes a red link to url.
QString attributedHtml(const QString& text, const MessageAttributes& attributes, const QWidget* label,
                       const QString& linkText = QString(), const QUrl& url = QUrl())
{
    const double pointsToPixels = label->logicalDpiX() / 72.0;
    QString body = text.toHtmlEscaped();
    if (!linkText.isEmpty()) {
        const qsizetype at = text.lastIndexOf(linkText);
        if (at >= 0) {
            body = text.left(at).toHtmlEscaped() +
                   QStringLiteral("<a href=\"%1\" style=\"color:#ff0000;\">%2</a>")
                       .arg(QString::fromUtf8(url.toEncoded()).toHtmlEscaped(), linkText.toHtmlEscaped()) +
                   text.mid(at + linkText.size()).toHtmlEscaped();
        }
    }
    // The leading side: the right one in a right-to-left window.
    return QStringLiteral("<p style=\"margin-%1:%2px; text-indent:%3px;\" align=\"%1\">%4</p>")
        .arg(label->isRightToLeft() ? QStringLiteral("right") : QStringLiteral("left"))
        .arg(attributes.paragraph.headIndent * pointsToPixels, 0, 'f', 2)
        .arg((attributes.paragraph.firstLineHeadIndent - attributes.paragraph.headIndent) * pointsToPixels, 0, 'f', 2)
        .arg(body);
}

void setHidden(QWidget* widget, bool hidden)
{
    if (widget) {
        widget->setVisible(!hidden);
    }
}

} // namespace

OrvoPluginWindowHandler::OrvoPluginWindowHandler(QObject* parent)
    : WindowController(QStringLiteral("OrvoPluginWindowHandler"), parent)
{
}

OrvoPluginWindowHandler::~OrvoPluginWindowHandler() = default;

void OrvoPluginWindowHandler::loadWindowLayout(QWidget* window)
{
    m_ui = std::make_unique<Ui::OrvoPluginWindowHandler>();
    m_ui->setupUi(window);
    m_ui->joinButton->awakeFromNib();
    // The layout's actions: Join (also Return in either field) and More-info.
    connect(m_ui->joinButton, &QAbstractButton::clicked, this, [this] { joinButtonAction(m_ui->joinButton); });
    connect(m_ui->sessionkeytextfield, &QLineEdit::returnPressed, this, [this] { joinButtonAction(m_ui->joinButton); });
    connect(m_ui->nameText, &QLineEdit::returnPressed, this, [this] { joinButtonAction(m_ui->joinButton); });
    connect(m_ui->moreInfoButton, &QAbstractButton::clicked, this, [this] { moreActionClick(m_ui->moreInfoButton); });
    connect(m_ui->trustTextField, &QLabel::linkActivated, this, [](const QString& link) {
        // The window has no place for it: the link stays there to be clicked again, and the log says why.
        if (const Result<> opened = Browser::openURL(link); !opened.ok()) {
            Log::write("%s : %@", "-[OrvoPluginWindowHandler linkActivated:]", opened.error());
        }
    });
    // Messages keep their room while hidden, so the window never jumps when one appears.
    for (QLabel* message : {m_ui->keyIncorrectTextField, m_ui->nameEmptyShow}) {
        QSizePolicy policy = message->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        message->setSizePolicy(policy);
    }
    for (QFrame* line : {m_ui->SessionIDLine, m_ui->nameLine, m_ui->blueKeyLine, m_ui->blueNameLine}) {
        QSizePolicy policy = line->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        line->setSizePolicy(policy);
    }
    m_ui->sessionkeytextfield->setFocus();
}

void OrvoPluginWindowHandler::windowDidLoad()
{
    const char* fullName = "-[OrvoPluginWindowHandler windowDidLoad]";
    ExceptionGuard::run(fullName, [&] {
        QWidget* window = orvoPluginWindow();
        Window::setFloatingLevel(window);
        Window::setWhiteBackground(window);

        sessionKeyTextField()->setPlaceholderText(tr("Enter Session ID"));
        nameTextField()->setPlaceholderText(tr("Enter your name"));

        SYFlatButton* join = joinButton();
        join->setTitle(tr("Join Session"));
        join->setCornerRadius(5.0);
        join->setBackgroundHighlightColor(QColor::fromRgbF(0.12156f, 0.55294f, 0.83921f, 1.0f));
        join->setBackgroundNormalColor(QColor::fromRgbF(0.054901f, 0.482352f, 0.7686274f, 1.0f));
        join->setTitleNormalColor(QColor(Qt::white));
        join->setTitleHighlightColor(QColor(Qt::white));
        join->setMomentary(true);
        join->setEnabled(true);

        keyIncorrectTextField()->setVisible(false);
        keyIncorrectTextField()->setTextInteractionFlags(Qt::NoTextInteraction);
        nameEmptyShow()->setVisible(false);
        nameEmptyShow()->setTextInteractionFlags(Qt::NoTextInteraction);

        moreInfoButton()->setIcon(ResourceImages::icon(QStringLiteral("moreInfoImage"), QStringLiteral("png")));
        const QIcon star = ResourceImages::icon(QStringLiteral("importantStar"), QStringLiteral("png"));
        sessionIDRedStar()->setIcon(star);
        nameRedStar()->setIcon(star);

        leftStyle = MessageStyle{5.0, 5.0, Qt::AlignLeft};
        QFont lucida;
        // Lucida Grande where it is installed, else the system's own interface font.
        lucida.setFamilies(
            {QStringLiteral("Lucida Grande"), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
        lucida.setPointSizeF(12.0);
        leftMessageDict = MessageAttributes{lucida, leftStyle};

        // Built as every service location is: the host text may carry a port.
        const QUrl abusePage(QStringLiteral("https://") + DataCentres::mainServiceHost() +
                             QStringLiteral("/report-abuse"));
        QLabel* trust = trustTextField();
        trust->setFont(leftMessageDict.font);
        trust->setAlignment(leftMessageDict.paragraph.alignment | Qt::AlignTop);
        trust->setText(attributedHtml(tr(trustNotice), leftMessageDict, trust, tr(reportAbuse), abusePage));
        QLabel* details = detailsTextField();
        details->setFont(leftMessageDict.font);
        details->setAlignment(leftMessageDict.paragraph.alignment | Qt::AlignTop);
        details->setText(attributedHtml(tr(disclosureNotice), leftMessageDict, details));

        // Selectable, not editable, links followed by mouse and keyboard.
        trust->setTextInteractionFlags(Qt::TextBrowserInteraction);
        details->setTextInteractionFlags(Qt::NoTextInteraction);

        for (QLineEdit* field : {nameText(), sessionkeytextfield()}) {
            connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
            field->installEventFilter(this);
        }

        blueKeyLine()->setVisible(false);
        blueNameLine()->setVisible(false);

        fitWindowToLayout();
        Window::center(window);
        WindowController::windowDidLoad();
    });
}

void OrvoPluginWindowHandler::showWindow(QObject* sender)
{
    QWidget* w = window();
    Window::setFloatingLevel(w);
    Window::center(w);
    Window::makeKeyAndOrderFront(w);
    w->activateWindow();
    WindowController::showWindow(sender);
}

void OrvoPluginWindowHandler::close()
{
    const char* fullName = "-[OrvoPluginWindowHandler close]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s Orvo Plugin window Ordered out...", fullName);
        if (QWidget* window = orvoPluginWindow()) {
            Window::orderOut(window);
        }
    });
}

bool OrvoPluginWindowHandler::windowShouldClose(QWidget* /*window*/)
{
    Log::write("%s Orvo Plugin Main Window Close Clicked...", "-[OrvoPluginWindowHandler windowShouldClose:]");
    Window::orderOut(orvoPluginWindow());
    Window::orderOut(window());
    NotificationCenter::defaultCenter().post(QStringLiteral("OrvoPluginTerminate"), this);
    return false;
}

void OrvoPluginWindowHandler::moreActionClick(QObject* /*sender*/)
{
    const char* fullName = "-[OrvoPluginWindowHandler moreActionClick:]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s MoreInfo Action Button Clicked...", fullName);
        if (InfoWindowHandler* about = InfoWindowHandler::getInstance()) {
            about->startWindow();
        }
    });
}

void OrvoPluginWindowHandler::controlTextDidBeginEditing(QObject* object)
{
    ExceptionGuard::run("-[OrvoPluginWindowHandler controlTextDidBeginEditing:]", [&] {
        if (object && object == sessionkeytextfield()) {
            setHidden(SessionIDLine(), true);
            setHidden(blueKeyLine(), false);
            setHidden(nameLine(), false);
            setHidden(blueNameLine(), true);
        }
        if (object && object == nameText()) {
            setHidden(SessionIDLine(), false);
            setHidden(blueKeyLine(), true);
            setHidden(nameLine(), true);
            setHidden(blueNameLine(), false);
        }
    });
}

void OrvoPluginWindowHandler::controlTextDidChange(QObject* object)
{
    ExceptionGuard::run("-[OrvoPluginWindowHandler controlTextDidChange:]", [&] {
        if (object && object == sessionkeytextfield()) {
            setHidden(keyIncorrectTextField(), true);
            const QString digits = SessionKeyText::firstCharacters(
                SessionKeyText::digits(sessionkeytextfield()->text()), SessionKeyText::maximumDigits);
            // setText puts the insertion point at the end and raises no edit of its own.
            sessionkeytextfield()->setText(formattedStringFromString(digits));
        } else if (object && object == nameText()) {
            setHidden(nameEmptyShow(), true);
            const QString typed = nameText()->text();
            const QString cut = SessionKeyText::cutName(typed);
            if (cut != typed) {
                nameText()->setText(cut);
            }
        }
    });
}

QString OrvoPluginWindowHandler::formattedStringFromString(const QString& digits)
{
    QString result;
    const bool done = ExceptionGuard::run("-[OrvoPluginWindowHandler formattedStringFromString:]", [&] {
        const QList<uint> characters = QStringView(digits).toUcs4();
        const qsizetype n = characters.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char32_t c = characters[i];
            result += QString::fromUcs4(&c, 1);
            if (i < n - 1) {
                result += QLatin1Char(' ');
            }
            if (i <= 6 && (i + 1) % 3 == 0 && i < n - 1) {
                result += QStringLiteral("- ");
            }
        }
    });
    // After a failure the digits go back unformatted.
    return done ? result : digits;
}

void OrvoPluginWindowHandler::makeSessionKeyEmpty()
{
    ExceptionGuard::run("-[OrvoPluginWindowHandler makeSessionKeyEmpty]", [&] {
        sessionkeytextfield()->setText(QString());
        nameTextField()->setText(QString());
    });
}

void OrvoPluginWindowHandler::joinButtonAction(QObject* /*sender*/)
{
    ExceptionGuard::run("-[OrvoPluginWindowHandler joinButtonAction:]", [&] {
        sessionKey = SessionKeyText::digits(sessionKeyTextField()->text());
        name = nameTextField()->text();
        setHidden(nameEmptyShow(), true);

        const qsizetype k = SessionKeyText::characterCount(sessionKey);
        const bool nameEmpty = name.isEmpty();
        if (k == 0) {
            showMessage(keyIncorrectTextField(), tr(mandatoryField));
            if (nameEmpty) {
                showMessage(nameEmptyShow(), tr(mandatoryField));
            }
            return;
        }
        if (k <= 8) {
            showMessage(keyIncorrectTextField(), tr(invalidSessionId));
            if (nameEmpty) {
                showMessage(nameEmptyShow(), tr(mandatoryField));
            }
            return;
        }
        if (nameEmpty) {
            showMessage(nameEmptyShow(), tr(mandatoryField));
            return;
        }
        if (k > 10) {
            return;
        }

        // The progress window goes up first: it stays on screen through the slow steps that follow.
        if (JoinProgressWindow* progress = JoinProgressWindow::getInstance()) {
            progress->showWindow(this);
        }
        findDcNameUsingKey(sessionKey);
        SessionDetails* session = SessionDetails::getInstance();
        session->setSessionKey(sessionKey);
        session->setName(name);
        // The agent's checks, then the upgrade decision; launching the installed agent ends the run here, through
        // the progress window's quit notification. A failure leaves the progress window offering Retry.
        OrvoAppUpgrader::getInstance()->agentCheckThenUpdate();
        makeSessionKeyEmpty();
        close();
    });
}

void OrvoPluginWindowHandler::findDcNameUsingKey(const QString& key)
{
    SessionDetails* session = SessionDetails::getInstance();
    const QList<uint> characters = QStringView(key).toUcs4();
    if (characters.size() == 9) {
        const OptionalString plistDc = session->plistDcName();
        if (plistDc == QStringLiteral("lab") || plistDc == QStringLiteral("com")) {
            session->setDcName(*plistDc);
            session->setWebServerName(DataCentres::hostForCode(*plistDc));
        } else {
            session->setDcName(plistDc);
            session->setWebServerName(session->plistWebServerName());
        }
    } else if (characters.size() == 10) {
        const char32_t fourth = characters[3];
        for (std::size_t digit = 1; digit <= digitCodes.size(); ++digit) {
            if (fourth == U'0' + digit) {
                const QString code = QLatin1String(digitCodes[digit - 1]);
                session->setDcName(code);
                session->setWebServerName(DataCentres::hostForCode(code));
                break;
            }
        }
    }
}

bool OrvoPluginWindowHandler::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == sessionkeytextfield() || watched == nameText())) {
        controlTextDidBeginEditing(watched);
    }
    return WindowController::eventFilter(watched, event);
}

void OrvoPluginWindowHandler::showMessage(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(true);
    // Screen readers announce the message as it appears.
    QAccessibleEvent announce(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&announce);
}

void OrvoPluginWindowHandler::fitWindowToLayout()
{
    // A fixed width; the height follows the wrapped notices at the current font sizes.
    constexpr int width = 400;
    QWidget* window = orvoPluginWindow();
    // Polished first: style sheets can change the sizes the notices need.
    window->ensurePolished();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        child->ensurePolished();
    }
    QLayout* layout = window->layout();
    // Each message keeps room for its longest text.
    const QMargins margins = layout->contentsMargins();
    const int contentWidth = width - margins.left() - margins.right();
    const auto reserve = [contentWidth](QLabel* label, const QString& longest) {
        const QString shown = label->text();
        label->setText(longest);
        label->setMinimumHeight(label->heightForWidth(contentWidth));
        label->setText(shown);
    };
    reserve(keyIncorrectTextField(), tr(invalidSessionId));
    reserve(nameEmptyShow(), tr(mandatoryField));
    layout->activate();
    const int height =
        layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : layout->totalSizeHint().height();
    window->setFixedSize(width, std::max(height, layout->totalMinimumSize().height()));
}

#define ORVO_OUTLET(Type, getter, member)                                                                              \
    Type* OrvoPluginWindowHandler::getter() const                                                                      \
    {                                                                                                                  \
        return m_ui ? m_ui->member : nullptr;                                                                          \
    }

ORVO_OUTLET(QLineEdit, sessionKeyTextField, sessionkeytextfield)
ORVO_OUTLET(QLineEdit, sessionkeytextfield, sessionkeytextfield)
ORVO_OUTLET(QLineEdit, nameText, nameText)
ORVO_OUTLET(QLineEdit, nameTextField, nameText)
ORVO_OUTLET(SYFlatButton, joinButton, joinButton)
ORVO_OUTLET(QLabel, keyIncorrectTextField, keyIncorrectTextField)
ORVO_OUTLET(QLabel, nameEmptyShow, nameEmptyShow)
ORVO_OUTLET(QToolButton, moreInfoButton, moreInfoButton)
ORVO_OUTLET(QLabel, trustTextField, trustTextField)
ORVO_OUTLET(QLabel, detailsTextField, detailsTextField)
ORVO_OUTLET(QToolButton, sessionIDRedStar, sessionIDRedStar)
ORVO_OUTLET(QToolButton, nameRedStar, nameRedStar)
ORVO_OUTLET(QFrame, SessionIDLine, SessionIDLine)
ORVO_OUTLET(QFrame, nameLine, nameLine)
ORVO_OUTLET(QFrame, blueKeyLine, blueKeyLine)
ORVO_OUTLET(QFrame, blueNameLine, blueNameLine)

#undef ORVO_OUTLET

QWidget* OrvoPluginWindowHandler::orvoPluginWindow() const
{
    return loadedWindow();
}
