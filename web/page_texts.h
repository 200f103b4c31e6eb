#pragma once

// Every text the page shows, by the name the page asks for it by. Each is the
// English source text of the game's translations (translations/*.ts), under
// the context the desktop uses where the desktop shows it too. lupdate finds
// the entries by their QT_TRANSLATE_NOOP marks; the build (tools/build_site.py)
// reads this file for the English texts and the .ts files for the others, and
// writes one JSON file per language that the page loads. Nothing compiles it:
// it is C++ only so that lupdate reads it as it reads the game's sources.

#define QT_TRANSLATE_NOOP(context, text) context, text

struct PageText
{
    const char *name;
    const char *context;
    const char *source;
};

inline constexpr PageText kPageTexts[] = {
    {"title", QT_TRANSLATE_NOOP("Application", "Frostpane")},
    {"aboutVersion", QT_TRANSLATE_NOOP("AboutPanel", "Frostpane! v.%1")},
    {"aboutGame",
     QT_TRANSLATE_NOOP("AboutPanel", "Game for kids. Interact with your computer using no mouse and no keyboard by "
                                     "simple hand waving in the air before the camera. The goal of the game is to "
                                     "clean the ice from the window before the window freezes back.")},
    {"aboutKids",
     QT_TRANSLATE_NOOP("AboutPanel", "The game is perfect for kids, who still don't have skills how to use keyboard "
                                     "or the mouse. Improves physical coordination and provides a lot of fun.")},
    {"aboutCamera", QT_TRANSLATE_NOOP("AboutPanel", "The program requires video capture device (e.g. web camera).")},
    {"aboutCredits", QT_TRANSLATE_NOOP("AboutPanel", "Made by the Frostpane developers. Photographs by Aitzol "
                                                     "Berasategi (%1), Lukas Baubkus (%2) and others: see %3.")},
    {"cameraName", QT_TRANSLATE_NOOP("ToolIcons", "Camera")},
    {"cameraDescription", QT_TRANSLATE_NOOP("ToolIcons", "Starts or stops the camera.")},
    {"settingsName", QT_TRANSLATE_NOOP("ToolIcons", "Settings")},
    {"settingsDescription", QT_TRANSLATE_NOOP("ToolIcons", "Opens the settings: camera resolution, camera "
                                                           "sensitivity, freezing speed and sound.")},
    {"eyeName", QT_TRANSLATE_NOOP("ToolIcons", "View")},
    {"eyeDescription",
     QT_TRANSLATE_NOOP("ToolIcons", "Switches between the game picture and the plain camera picture.")},
    {"aboutName", QT_TRANSLATE_NOOP("ToolIcons", "About")},
    {"aboutDescription", QT_TRANSLATE_NOOP("ToolIcons", "Tells what the game is and who made it.")},
    {"switchName", QT_TRANSLATE_NOOP("ToolIcons", "Switch camera")},
    {"switchDescription", QT_TRANSLATE_NOOP("ToolIcons", "Switches between the front and the back camera.")},
    {"nextName", QT_TRANSLATE_NOOP("ToolIcons", "Next picture")},
    {"nextDescription", QT_TRANSLATE_NOOP("ToolIcons", "Shows the next picture.")},
    {"previousName", QT_TRANSLATE_NOOP("ToolIcons", "Previous picture")},
    {"previousDescription", QT_TRANSLATE_NOOP("ToolIcons", "Shows the previous picture.")},
    {"sensitivity", QT_TRANSLATE_NOOP("SettingsPanel", "Camera Sensitivity")},
    {"freezingSpeed", QT_TRANSLATE_NOOP("SettingsPanel", "Freezing Speed")},
    {"sound", QT_TRANSLATE_NOOP("SettingsPanel", "Sound")},
    {"waveToGoOn", QT_TRANSLATE_NOOP("SettingsPanel", "Wave to go on")},
    {"waveToGoOnDescription", QT_TRANSLATE_NOOP("SettingsPanel", "Once a picture is won, a round target shows: "
                                                                 "waving at it brings the next picture.")},
    {"waveTargetDescription", QT_TRANSLATE_NOOP("WaveTarget", "The round target on the won picture: waving at it, "
                                                              "or pressing it, brings the next picture.")},
    {"ok", QT_TRANSLATE_NOOP("SettingsPanel", "OK")},
    {"cameraNotAvailable", QT_TRANSLATE_NOOP("SettingsPanel", "Camera not available")},
    {"resolution", QT_TRANSLATE_NOOP("CaptureResolutions", "Camera width = %1, height = %2")},
    // The browser's own troubles, each with what to do about it.
    {"cameraDenied",
     QT_TRANSLATE_NOOP("WebPage", "The camera may not be used here. Allow it in the browser's address bar and tap "
                                  "the camera again.")},
    {"noCamera", QT_TRANSLATE_NOOP("WebPage", "No camera was found. Plug one in and tap the camera again.")},
    {"cameraBusy",
     QT_TRANSLATE_NOOP("WebPage", "The camera is busy in another program. Close it there and tap the camera again.")},
    {"cameraEnded",
     QT_TRANSLATE_NOOP("WebPage", "The camera went away. Plug it in again and tap the camera to go on.")},
    {"storageFull",
     QT_TRANSLATE_NOOP("WebPage", "The browser's storage is full: the settings will not be remembered.")},
    {"oldBrowser",
     QT_TRANSLATE_NOOP("WebPage", "This browser is too old for Frostpane: it lacks WebAssembly with SIMD. A current "
                                  "Chrome, Edge, Firefox or Safari plays it.")},
    // A parent's own photos: the buttons in the settings panel and the note
    // for each file skipped (%1 its name).
    {"addPhotos", QT_TRANSLATE_NOOP("WebPage", "Add photos…")},
    {"removePhoto", QT_TRANSLATE_NOOP("WebPage", "Remove this photo")},
    {"removePhotos", QT_TRANSLATE_NOOP("WebPage", "Remove photos")},
    {"removePhotosAgain", QT_TRANSLATE_NOOP("WebPage", "Tap again to remove all photos")},
    {"photoUnreadable", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: it is not a picture this browser can read.")},
    {"photoTooSmall", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: the picture is too small.")},
    {"photoTooLarge", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: the picture is too large.")},
    {"photoTooLong", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: the picture is too long and narrow.")},
    {"photoTooMany", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: the game keeps at most %2 photos.")},
    {"photoNotKept", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: this browser does not let the game keep photos.")},
    // A page served over plain http from another computer: the browser turns
    // off what needs a secure context.
    {"notSecure",
     QT_TRANSLATE_NOOP("WebPage",
                       "This page's address is not secure, so the browser turns off the camera, the sound and offline "
                       "play. Open the game at an https:// address, or on this computer itself (http://localhost). A "
                       "school serves it over HTTPS with a certificate for its server; the game's README tells how.")},
    // The picture's name for a screen reader; the close button of a note;
    // the settings' state when the camera is off; what the sliders read out
    // (%1 a percentage).
    {"pictureName",
     QT_TRANSLATE_NOOP("WebPage",
                       "The frozen picture: wipe the ice away with a finger, the mouse or by waving at the camera")},
    {"close", QT_TRANSLATE_NOOP("WebPage", "Close")},
    {"cameraOff", QT_TRANSLATE_NOOP("WebPage", "The camera is off")},
    {"sensitivityValue", QT_TRANSLATE_NOOP("WebPage", "sensitivity %1 %")},
    {"freezingValue", QT_TRANSLATE_NOOP("WebPage", "freezing speed %1 %")},
    // Notes about several photos skipped for one reason: %1 their number, %2
    // the first names (photosAndMore: %1 those names, %2 the number of the
    // rest), %3 the reason, one of the skipped... texts (skippedFull: %1 the
    // most photos kept).
    {"photosSkipped", QT_TRANSLATE_NOOP("WebPage", "%1 photos were skipped: %2: %3")},
    {"photosAndMore", QT_TRANSLATE_NOOP("WebPage", "%1 and %2 more")},
    {"photoHeic", QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: this browser cannot read HEIC/HEIF photos (as an "
                                               "iPhone takes them). Save it as JPEG first.")},
    {"skippedUnreadable", QT_TRANSLATE_NOOP("WebPage", "this browser cannot read them")},
    {"skippedHeic",
     QT_TRANSLATE_NOOP("WebPage",
                       "this browser cannot read HEIC/HEIF photos (as an iPhone takes them): save them as JPEG first")},
    {"skippedSmall", QT_TRANSLATE_NOOP("WebPage", "the pictures are too small")},
    {"skippedLarge", QT_TRANSLATE_NOOP("WebPage", "the pictures are too large")},
    {"skippedLong", QT_TRANSLATE_NOOP("WebPage", "the pictures are too long and narrow")},
    {"skippedFull", QT_TRANSLATE_NOOP("WebPage", "the game keeps at most %1 photos")},
    {"skippedNotKept", QT_TRANSLATE_NOOP("WebPage", "this browser does not let the game keep photos")},
    {"skippedStorageFull", QT_TRANSLATE_NOOP("WebPage", "the browser's storage for this game is full")},
    {"photoStorageFull",
     QT_TRANSLATE_NOOP("WebPage", "%1 was skipped: the browser's storage for this game is full. Remove some photos "
                                  "or free space on this device.")},
    // In the settings panel when the browser would not promise to keep the
    // photos.
    {"photosMayGo", QT_TRANSLATE_NOOP("WebPage", "This browser may delete the photos when space runs short: it did "
                                                 "not agree to keep them.")},
};
