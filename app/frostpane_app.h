#pragma once

// Starts the game: creates the application and the window, runs the event
// loop until the window closes. Anything thrown on the way is shown to the
// user and the routine still returns 0.
int FMXmain(int argc, char *argv[]);
