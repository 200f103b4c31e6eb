<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutPanel</name>
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
        <source>Made by the Frostpane developers. Photographs by Aitzol Berasategi (%1), Lukas Baubkus (%2) and others: see %3.</source>
        <extracomment>%1 and %2 are licence names (CC BY 4.0, CC BY-SA 3.0), %3 the file that lists every picture&apos;s source.</extracomment>
        <translation>Gemacht von den Frostpane-Entwicklern. Fotos von Aitzol Berasategi (%1), Lukas Baubkus (%2) und anderen: siehe %3.</translation>
    </message>
    <message>
        <source>Your own photos: put them in the folder Frostpane in your Pictures folder.</source>
        <translation>Eigene Fotos: Legen Sie sie in den Ordner Frostpane in Ihrem Bilder-Ordner.</translation>
    </message>
    <message>
        <source>A finger or the mouse wipes the ice too: drag it over the picture.</source>
        <translation>Auch mit dem Finger oder der Maus lässt sich das Eis wegwischen: einfach über das Bild ziehen.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>What the game is and who made it.</source>
        <translation>Was das Spiel ist und wer es gemacht hat.</translation>
    </message>
</context>
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
    <name>PictureView</name>
    <message>
        <source>Picture</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>The picture under the ice. Wave at the camera or drag a finger over it to wipe the ice; tap it to show the tools.</source>
        <translation>Das Bild unter dem Eis. Winke in die Kamera oder zieh einen Finger darüber, um das Eis wegzuwischen; tippe darauf, um die Werkzeuge zu zeigen.</translation>
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
        <source>Camera resolution</source>
        <translation>Kameraauflösung</translation>
    </message>
    <message>
        <source>The size of the camera&apos;s picture; it is taken when you press OK.</source>
        <translation>Die Größe des Kamerabilds; sie gilt, sobald Sie OK drücken.</translation>
    </message>
    <message>
        <source>Camera sensitivity</source>
        <translation>Kameraempfindlichkeit</translation>
    </message>
    <message>
        <source>How much movement wipes the ice: to the right, smaller movements wipe too.</source>
        <translation>Wie viel Bewegung das Eis wegwischt: nach rechts wischen auch kleinere Bewegungen.</translation>
    </message>
    <message>
        <source>Freezing speed</source>
        <translation>Gefriergeschwindigkeit</translation>
    </message>
    <message>
        <source>How fast the ice grows back.</source>
        <translation>Wie schnell das Eis nachwächst.</translation>
    </message>
    <message>
        <source>The game&apos;s sounds on or off.</source>
        <translation>Die Töne des Spiels an oder aus.</translation>
    </message>
    <message>
        <source>Takes the settings and closes them.</source>
        <translation>Übernimmt die Einstellungen und schließt sie.</translation>
    </message>
    <message>
        <source>Wave to go on</source>
        <extracomment>A switch in the settings: once a picture is won, a round target shows that a child fills by waving at it (or taps) to bring the next picture.</extracomment>
        <translation>Winken, um weiterzugehen</translation>
    </message>
    <message>
        <source>Once a picture is won, a round target shows: waving at it brings the next picture.</source>
        <translation>Ist ein Bild gewonnen, erscheint ein rundes Ziel: Wer ihm zuwinkt, bekommt das nächste Bild.</translation>
    </message>
</context>
<context>
    <name>ToolIcons</name>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Starts or stops the camera.</source>
        <translation>Startet oder stoppt die Kamera.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Opens the settings: camera resolution, camera sensitivity, freezing speed and sound.</source>
        <translation>Öffnet die Einstellungen: Kameraauflösung, Kameraempfindlichkeit, Gefriergeschwindigkeit und Ton.</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Switches between the game picture and the plain camera picture.</source>
        <translation>Wechselt zwischen dem Spielbild und dem reinen Kamerabild.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Tells what the game is and who made it.</source>
        <translation>Erzählt, was das Spiel ist und wer es gemacht hat.</translation>
    </message>
    <message>
        <source>Switch camera</source>
        <translation>Kamera wechseln</translation>
    </message>
    <message>
        <source>Switches between the front and the back camera.</source>
        <translation>Wechselt zwischen vorderer und hinterer Kamera.</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Shows the next picture.</source>
        <translation>Zeigt das nächste Bild.</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>Vorheriges Bild</translation>
    </message>
    <message>
        <source>Shows the previous picture.</source>
        <translation>Zeigt das vorherige Bild.</translation>
    </message>
</context>
<context>
    <name>WaveTarget</name>
    <message>
        <source>The round target on the won picture: waving at it, or pressing it, brings the next picture.</source>
        <extracomment>A screen reader&apos;s words for the target a won picture offers.</extracomment>
        <translation>Das runde Ziel auf dem gewonnenen Bild: Zuwinken oder Drücken bringt das nächste Bild.</translation>
    </message>
</context>
<context>
    <name>WebPage</name>
    <message>
        <source>The camera may not be used here. Allow it in the browser&apos;s address bar and tap the camera again.</source>
        <translation>Die Kamera darf hier nicht verwendet werden. Erlauben Sie sie in der Adressleiste des Browsers und tippen Sie noch einmal auf die Kamera.</translation>
    </message>
    <message>
        <source>No camera was found. Plug one in and tap the camera again.</source>
        <translation>Es wurde keine Kamera gefunden. Schließen Sie eine an und tippen Sie noch einmal auf die Kamera.</translation>
    </message>
    <message>
        <source>The camera is busy in another program. Close it there and tap the camera again.</source>
        <translation>Die Kamera wird gerade von einem anderen Programm benutzt. Schließen Sie es dort und tippen Sie noch einmal auf die Kamera.</translation>
    </message>
    <message>
        <source>The camera went away. Plug it in again and tap the camera to go on.</source>
        <translation>Die Kamera ist weg. Schließen Sie sie wieder an und tippen Sie auf die Kamera, um weiterzuspielen.</translation>
    </message>
    <message>
        <source>The browser&apos;s storage is full: the settings will not be remembered.</source>
        <translation>Der Speicher des Browsers ist voll: Die Einstellungen werden nicht gespeichert.</translation>
    </message>
    <message>
        <source>This browser is too old for Frostpane: it lacks WebAssembly with SIMD. A current Chrome, Edge, Firefox or Safari plays it.</source>
        <translation>Dieser Browser ist zu alt für Frostpane: Ihm fehlt WebAssembly mit SIMD. Ein aktueller Chrome, Edge, Firefox oder Safari spielt es.</translation>
    </message>
    <message>
        <source>Add photos…</source>
        <translation>Fotos hinzufügen…</translation>
    </message>
    <message>
        <source>Remove this photo</source>
        <translation>Dieses Foto entfernen</translation>
    </message>
    <message>
        <source>Remove photos</source>
        <translation>Fotos entfernen</translation>
    </message>
    <message>
        <source>Tap again to remove all photos</source>
        <translation>Noch einmal tippen, um alle Fotos zu entfernen</translation>
    </message>
    <message>
        <source>%1 was skipped: it is not a picture this browser can read.</source>
        <translation>%1 wurde übersprungen: Es ist kein Bild, das dieser Browser lesen kann.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too small.</source>
        <translation>%1 wurde übersprungen: Das Bild ist zu klein.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too large.</source>
        <translation>%1 wurde übersprungen: Das Bild ist zu groß.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too long and narrow.</source>
        <translation>%1 wurde übersprungen: Das Bild ist zu lang und schmal.</translation>
    </message>
    <message>
        <source>%1 was skipped: the game keeps at most %2 photos.</source>
        <translation>%1 wurde übersprungen: Das Spiel behält höchstens %2 Fotos.</translation>
    </message>
    <message>
        <source>%1 was skipped: this browser does not let the game keep photos.</source>
        <translation>%1 wurde übersprungen: Dieser Browser lässt das Spiel keine Fotos behalten.</translation>
    </message>
    <message>
        <source>This page&apos;s address is not secure, so the browser turns off the camera, the sound and offline play. Open the game at an https:// address, or on this computer itself (http://localhost). A school serves it over HTTPS with a certificate for its server; the game&apos;s README tells how.</source>
        <translation>Die Adresse dieser Seite ist nicht sicher, darum schaltet der Browser die Kamera, den Ton und das Spielen ohne Netz ab. Öffnen Sie das Spiel unter einer https://-Adresse oder auf diesem Computer selbst (http://localhost). Eine Schule stellt es über HTTPS mit einem Zertifikat für ihren Server bereit; die README des Spiels erklärt, wie.</translation>
    </message>
    <message>
        <source>The frozen picture: wipe the ice away with a finger, the mouse or by waving at the camera</source>
        <translation>Das gefrorene Bild: Wischen Sie das Eis mit dem Finger, der Maus oder durch Winken vor der Kamera weg</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The camera is off</source>
        <translation>Die Kamera ist aus</translation>
    </message>
    <message>
        <source>sensitivity %1 %</source>
        <translation>Empfindlichkeit %1 %</translation>
    </message>
    <message>
        <source>freezing speed %1 %</source>
        <translation>Gefriergeschwindigkeit %1 %</translation>
    </message>
    <message>
        <source>%1 photos were skipped: %2: %3</source>
        <translation>%1 Fotos wurden übersprungen: %2: %3</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message>
        <source>%1 was skipped: this browser cannot read HEIC/HEIF photos (as an iPhone takes them). Save it as JPEG first.</source>
        <translation>%1 wurde übersprungen: Dieser Browser kann keine HEIC/HEIF-Fotos lesen (wie ein iPhone sie macht). Speichern Sie es zuerst als JPEG.</translation>
    </message>
    <message>
        <source>this browser cannot read them</source>
        <translation>dieser Browser kann sie nicht lesen</translation>
    </message>
    <message>
        <source>this browser cannot read HEIC/HEIF photos (as an iPhone takes them): save them as JPEG first</source>
        <translation>dieser Browser kann keine HEIC/HEIF-Fotos lesen (wie ein iPhone sie macht): speichern Sie sie zuerst als JPEG</translation>
    </message>
    <message>
        <source>the pictures are too small</source>
        <translation>die Bilder sind zu klein</translation>
    </message>
    <message>
        <source>the pictures are too large</source>
        <translation>die Bilder sind zu groß</translation>
    </message>
    <message>
        <source>the pictures are too long and narrow</source>
        <translation>die Bilder sind zu lang und schmal</translation>
    </message>
    <message>
        <source>the game keeps at most %1 photos</source>
        <translation>das Spiel behält höchstens %1 Fotos</translation>
    </message>
    <message>
        <source>this browser does not let the game keep photos</source>
        <translation>dieser Browser lässt das Spiel keine Fotos behalten</translation>
    </message>
    <message>
        <source>the browser&apos;s storage for this game is full</source>
        <translation>der Speicher des Browsers für dieses Spiel ist voll</translation>
    </message>
    <message>
        <source>%1 was skipped: the browser&apos;s storage for this game is full. Remove some photos or free space on this device.</source>
        <translation>%1 wurde übersprungen: Der Speicher des Browsers für dieses Spiel ist voll. Entfernen Sie einige Fotos oder schaffen Sie Platz auf diesem Gerät.</translation>
    </message>
    <message>
        <source>This browser may delete the photos when space runs short: it did not agree to keep them.</source>
        <translation>Dieser Browser kann die Fotos löschen, wenn der Platz knapp wird: Er hat nicht zugestimmt, sie zu behalten.</translation>
    </message>
</context>
</TS>
