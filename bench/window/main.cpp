// The reference for start-up, memory and idle cost: the least a Qt Widgets program does to put up a form that
// shows text, as the join window does: a heading, two line edits and a push button.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Orvo bench form"));
    auto* layout = new QVBoxLayout(&window);
    auto* heading = new QLabel(QStringLiteral("Join a support session"));
    QFont headingFont = heading->font();
    headingFont.setPointSize(15);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);
    auto* sessionId = new QLineEdit;
    sessionId->setPlaceholderText(QStringLiteral("Session ID"));
    layout->addWidget(sessionId);
    auto* name = new QLineEdit;
    name->setPlaceholderText(QStringLiteral("Your name"));
    layout->addWidget(name);
    layout->addWidget(new QPushButton(QStringLiteral("Join")));
    window.show();
    return app.exec();
}
