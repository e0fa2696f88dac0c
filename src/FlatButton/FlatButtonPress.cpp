#include "FlatButton/FlatButtonPress.h"

int FlatButtonPress::flipped(int state)
{
    return state == 1 ? 0 : 1;
}

FlatButtonPress::Step FlatButtonPress::step(State current, Event event, bool enabled, bool momentary)
{
    Step result{current, false, false};
    const auto flip = [&] {
        result.next.state = flipped(result.next.state);
        result.flip = true;
    };
    switch (event) {
    case Event::Press:
        if (enabled) {
            result.next.mouseDown = true;
            flip();
        }
        break;
    case Event::Enter:
        if (current.mouseDown) {
            flip();
        }
        break;
    case Event::Exit:
        if (current.mouseDown) {
            result.next.mouseDown = false;
            flip();
        }
        break;
    case Event::Release:
        if (current.mouseDown) {
            result.next.mouseDown = false;
            if (momentary) {
                flip();
            }
            result.sendAction = true;
        }
        break;
    }
    return result;
}
