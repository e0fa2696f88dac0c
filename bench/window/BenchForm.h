#pragma once

#include <QWidget>

// The least a Qt Widgets program shows that looks like the join window: a bold heading, two line edits and a push
// button.
class BenchForm : public QWidget
{
public:
    BenchForm();
};
