<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <source>Frostpane</source>
        <translation>Frostpane</translation>
    </message>
    <message>
        <source>Frostpane has stopped because of an error.</source>
        <translation>Frostpane wurde wegen eines Fehlers beendet.</translation>
    </message>
    <message>
        <source>A game for small children: wave at the webcam to wipe the ice off a photograph.</source>
        <translation>Ein Spiel für kleine Kinder: Winke in die Webcam, um das Eis von einem Foto zu wischen.</translation>
    </message>
    <message>
        <source>Start in full screen.</source>
        <translation>Im Vollbild starten.</translation>
    </message>
    <message>
        <source>Forget the settings saved for this user before starting.</source>
        <translation>Vor dem Start die für diesen Benutzer gespeicherten Einstellungen vergessen.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
</context>
<context>
    <name>CaptureResolutions</name>
    <message>
        <source>Camera width = %1, height = %2</source>
        <extracomment>The size of the camera&apos;s picture in pixels: %1 is the width, %2 the height.</extracomment>
        <translation>Kameraauflösung: %1 × %2 Pixel</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Frostpane! v.%1</source>
        <extracomment>%1 is the version number.</extracomment>
        <translation>Frostpane! v.%1</translation>
    </message>
    <message>
        <source>Game for kids. Interact with your computer using no mouse and no keyboard by simple hand waving in the air before the camera. The goal of the game is to clean the ice from the window before the window freezes back.</source>
        <translation>Ein Spiel für kleine Kinder, ganz ohne Maus und Tastatur: Ihr Kind winkt einfach mit der Hand vor der Kamera. Ziel ist es, das Eis vom Fenster zu wischen, bevor es wieder zufriert.</translation>
    </message>
    <message>
        <source>The game is perfect for kids, who still don&apos;t have skills how to use keyboard or the mouse. Improves physical coordination and provides a lot of fun.</source>
        <translation>Ideal für Kinder, die noch nicht mit Tastatur oder Maus umgehen können. Das Spiel fördert die Bewegungskoordination und macht viel Spaß.</translation>
    </message>
    <message>
        <source>The program requires video capture device (e.g. web camera).</source>
        <translation>Zum Spielen wird eine Kamera benötigt (z. B. eine Webcam).</translation>
    </message>
    <message>
        <source>Made by</source>
        <extracomment>The next line says who.</extracomment>
        <translation>Entwickelt von</translation>
    </message>
    <message>
        <source>the Frostpane developers. Photographs by Aitzol Berasategi (CC BY 4.0), Lukas Baubkus (CC BY-SA 3.0) and others: see CREDITS.</source>
        <translation>den Frostpane-Entwicklern. Fotos von Aitzol Berasategi (CC BY 4.0), Lukas Baubkus (CC BY-SA 3.0) und anderen: siehe CREDITS.</translation>
    </message>
    <message>
        <source>Your own photos: put them in the folder Frostpane in your Pictures folder.</source>
        <translation>Eigene Fotos: Legen Sie sie in den Ordner Frostpane in Ihrem Bilder-Ordner.</translation>
    </message>
</context>
<context>
    <name>SettingsPanel</name>
    <message>
        <source>Camera Resolutions Label</source>
        <extracomment>Above the resolution slider when the camera offers no 640 x 480 picture.</extracomment>
        <translation>Kameraauflösung</translation>
    </message>
    <message>
        <source>Freezing Speed</source>
        <extracomment>The slider sets how fast the ice grows back.</extracomment>
        <translation>Wie schnell das Eis nachwächst</translation>
    </message>
    <message>
        <source>Camera Sensitivity</source>
        <extracomment>The slider sets how much movement wipes the ice.</extracomment>
        <translation>Empfindlichkeit der Kamera</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Camera not available</source>
        <translation>Keine Kamera verfügbar</translation>
    </message>
    <message>
        <source>Sound</source>
        <extracomment>A switch in the settings: the game&apos;s sounds on or off.</extracomment>
        <translation>Ton</translation>
    </message>
    <message>
        <source>A finger or the mouse wipes the ice too: drag it over the picture.</source>
        <translation>Auch mit dem Finger oder der Maus lässt sich das Eis wegwischen: einfach über das Bild ziehen.</translation>
    </message>
    <message>
        <source>Made by the Frostpane developers. Photographs by Aitzol Berasategi (%1), Lukas Baubkus (%2) and others: see %3.</source>
        <extracomment>%1 and %2 are licence names (CC BY 4.0, CC BY-SA 3.0), %3 the file that lists every picture&apos;s source.</extracomment>
        <translation>Gemacht von den Frostpane-Entwicklern. Fotos von Aitzol Berasategi (%1), Lukas Baubkus (%2) und anderen: siehe %3.</translation>
    </message>
</context>
</TS>
