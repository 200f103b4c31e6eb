#pragma once

class MainWindow;
class SettingsFiles;

// Runs the game: the command line, one game per user and display, the
// remembered settings, the window on the system's camera, the event loop.
// Returns the exit status: 0 after a game, 2 for a command line it does not
// understand, 1 after an error was shown in a message box (logged too).
int runFrostpane(int argc, char *argv[]);

// Saves the window's settings into `store` whenever they change (the
// settings panel's OK, the camera side) and when the window closes. Both
// must outlive the window's signals.
void keepSettings(MainWindow &window, const SettingsFiles &store);
