#pragma once

// The flat button's press state machine: a press flips the state, leaving while pressed flips it back and
// cancels, a release flips a momentary button back and sends the action.
class FlatButtonPress
{
public:
    enum class Event
    {
        Press,
        Enter,
        Exit,
        Release
    };
    struct State
    {
        int state = 0; // 0 off, 1 on, -1 mixed
        bool mouseDown = false;
    };
    struct Step
    {
        State next;
        bool flip = false;
        bool sendAction = false;
    };

    // 0 for on, 1 for off and mixed.
    static int flipped(int state);
    static Step step(State current, Event event, bool enabled, bool momentary);
};
