// When input ends a run: the rules the screensaver window and the black windows share,
// as plain arithmetic so that they are tested without a window.
#pragma once

// A cursor position in screen pixels.
struct CursorPoint {
  long x = 0;
  long y = 0;
};

// Input is ignored until this much rendered run time has passed, seconds.
constexpr double kInputGraceSeconds = 1.0;
// More than this many pixels on either axis from the initial cursor ends the run.
constexpr long kMouseMoveLimit = 30;

// One notch of a mouse wheel, in the units of the wheel messages' turn.
constexpr long kWheelNotch = 120;

// True once keys, buttons, the wheel and mouse movement may end the run (strictly after the
// grace time).
bool IsPastGraceTime(double runTime);

// True when the cursor is more than kMouseMoveLimit pixels from where it was when
// the window was created, on the x axis or else on the y axis.
bool HasCursorMovedFar(CursorPoint initial, CursorPoint now);

// Adds one wheel message's turn (either direction, either wheel) to turned, the total
// since the window was created, and says whether the total now comes to a notch. A
// smooth wheel or a touchpad reports parts of a notch: a light touch must not end the
// run, the parts of a whole notch do. The total stops growing at one notch.
bool AddWheelTurn(long& turned, int delta);
