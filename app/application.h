#pragma once

// Runs the game: the application object, the window on the system's camera,
// the event loop. Anything thrown on the way is logged and shown in a message
// box, and the routine still returns 0.
int runFrostpane(int argc, char *argv[]);
