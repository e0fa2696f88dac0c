// The reference for start-up, memory and idle cost: the least a Qt Widgets program does to put up a form that
// shows text, as the join window does: a heading, two line edits and a push button.
#include "window/BenchForm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BenchForm window;
    window.show();
    return QApplication::exec();
}
