// The reference for start-up and idle cost: the least a Qt Widgets program does to put up a window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Orvo bench window"));
    window.resize(400, 300);
    window.show();
    return app.exec();
}
