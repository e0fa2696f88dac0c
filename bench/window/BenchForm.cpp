#include "window/BenchForm.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

BenchForm::BenchForm()
{
    setWindowTitle(QStringLiteral("Orvo bench form"));
    auto* layout = new QVBoxLayout(this);
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
}
