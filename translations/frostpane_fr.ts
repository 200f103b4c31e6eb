<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AboutPanel</name>
    <message>
        <source>Frostpane! v.%1</source>
        <extracomment>%1 is the version number.</extracomment>
        <translation>Frostpane&#xa0;! v.%1</translation>
    </message>
    <message>
        <source>Game for kids. Interact with your computer using no mouse and no keyboard by simple hand waving in the air before the camera. The goal of the game is to clean the ice from the window before the window freezes back.</source>
        <translation>Un jeu pour les tout-petits, sans souris ni clavier&#xa0;: il suffit d’agiter la main devant la caméra. Le but est d’effacer le givre de la fenêtre avant qu’elle ne gèle à nouveau.</translation>
    </message>
    <message>
        <source>The game is perfect for kids, who still don&apos;t have skills how to use keyboard or the mouse. Improves physical coordination and provides a lot of fun.</source>
        <translation>Idéal pour les enfants qui ne savent pas encore se servir d’un clavier ou d’une souris. Le jeu développe la coordination des gestes et amuse beaucoup.</translation>
    </message>
    <message>
        <source>The program requires video capture device (e.g. web camera).</source>
        <translation>Pour jouer, il faut une caméra (une webcam, par exemple).</translation>
    </message>
    <message>
        <source>Made by the Frostpane developers. Photographs by Aitzol Berasategi (%1), Lukas Baubkus (%2) and others: see %3.</source>
        <extracomment>%1 and %2 are licence names (CC BY 4.0, CC BY-SA 3.0), %3 the file that lists every picture&apos;s source.</extracomment>
        <translation>Réalisé par les développeurs de Frostpane. Photos d’Aitzol Berasategi (%1), de Lukas Baubkus (%2) et d’autres&#xa0;: voir %3.</translation>
    </message>
    <message>
        <source>Your own photos: put them in the folder Frostpane in your Pictures folder.</source>
        <translation>Vos propres photos&#xa0;: placez-les dans le dossier Frostpane de votre dossier Images.</translation>
    </message>
    <message>
        <source>A finger or the mouse wipes the ice too: drag it over the picture.</source>
        <translation>Un doigt ou la souris efface aussi la glace&#xa0;: faites-le glisser sur l’image.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>What the game is and who made it.</source>
        <translation>Ce qu’est le jeu et qui l’a fait.</translation>
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
        <translation>Frostpane s’est arrêté à cause d’une erreur.</translation>
    </message>
    <message>
        <source>A game for small children: wave at the webcam to wipe the ice off a photograph.</source>
        <translation>Un jeu pour les petits enfants&#xa0;: fais signe à la webcam pour essuyer la glace d’une photo.</translation>
    </message>
    <message>
        <source>Start in full screen.</source>
        <translation>Démarrer en plein écran.</translation>
    </message>
    <message>
        <source>Forget the settings saved for this user before starting.</source>
        <translation>Oublier les réglages enregistrés pour cet utilisateur avant de démarrer.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argument inattendu&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>CaptureResolutions</name>
    <message>
        <source>Camera width = %1, height = %2</source>
        <extracomment>The size of the camera&apos;s picture in pixels: %1 is the width, %2 the height.</extracomment>
        <translation>Résolution de la caméra&#xa0;: %1 × %2</translation>
    </message>
</context>
<context>
    <name>PictureView</name>
    <message>
        <source>Picture</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>The picture under the ice. Wave at the camera or drag a finger over it to wipe the ice; tap it to show the tools.</source>
        <translation>L’image sous la glace. Faites signe à la caméra ou glissez un doigt dessus pour essuyer la glace&#xa0;; touchez-la pour afficher les outils.</translation>
    </message>
</context>
<context>
    <name>SettingsPanel</name>
    <message>
        <source>Camera Resolutions Label</source>
        <extracomment>Above the resolution slider when the camera offers no 640 x 480 picture.</extracomment>
        <translation>Résolution de la caméra</translation>
    </message>
    <message>
        <source>Freezing Speed</source>
        <extracomment>The slider sets how fast the ice grows back.</extracomment>
        <translation>Vitesse à laquelle le givre revient</translation>
    </message>
    <message>
        <source>Camera Sensitivity</source>
        <extracomment>The slider sets how much movement wipes the ice.</extracomment>
        <translation>Sensibilité de la caméra</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Camera not available</source>
        <translation>Aucune caméra disponible</translation>
    </message>
    <message>
        <source>Sound</source>
        <extracomment>A switch in the settings: the game&apos;s sounds on or off.</extracomment>
        <translation>Son</translation>
    </message>
    <message>
        <source>Camera resolution</source>
        <translation>Résolution de la caméra</translation>
    </message>
    <message>
        <source>The size of the camera&apos;s picture; it is taken when you press OK.</source>
        <translation>La taille de l’image de la caméra&#xa0;; elle est prise en compte quand vous appuyez sur OK.</translation>
    </message>
    <message>
        <source>Camera sensitivity</source>
        <translation>Sensibilité de la caméra</translation>
    </message>
    <message>
        <source>How much movement wipes the ice: to the right, smaller movements wipe too.</source>
        <translation>Quel mouvement essuie la glace&#xa0;: vers la droite, de plus petits mouvements l’essuient aussi.</translation>
    </message>
    <message>
        <source>Freezing speed</source>
        <translation>Vitesse de gel</translation>
    </message>
    <message>
        <source>How fast the ice grows back.</source>
        <translation>La vitesse à laquelle la glace repousse.</translation>
    </message>
    <message>
        <source>The game&apos;s sounds on or off.</source>
        <translation>Les sons du jeu activés ou désactivés.</translation>
    </message>
    <message>
        <source>Takes the settings and closes them.</source>
        <translation>Applique les réglages et les ferme.</translation>
    </message>
    <message>
        <source>Wave to go on</source>
        <extracomment>A switch in the settings: once a picture is won, a round target shows that a child fills by waving at it (or taps) to bring the next picture.</extracomment>
        <translation>Agiter la main pour continuer</translation>
    </message>
    <message>
        <source>Once a picture is won, a round target shows: waving at it brings the next picture.</source>
        <translation>Une fois l’image gagnée, une cible ronde apparaît&#xa0;: agiter la main devant elle amène l’image suivante.</translation>
    </message>
</context>
<context>
    <name>ToolIcons</name>
    <message>
        <source>Camera</source>
        <translation>Caméra</translation>
    </message>
    <message>
        <source>Starts or stops the camera.</source>
        <translation>Démarre ou arrête la caméra.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Réglages</translation>
    </message>
    <message>
        <source>Opens the settings: camera resolution, camera sensitivity, freezing speed and sound.</source>
        <translation>Ouvre les réglages&#xa0;: résolution de la caméra, sensibilité de la caméra, vitesse de gel et son.</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Vue</translation>
    </message>
    <message>
        <source>Switches between the game picture and the plain camera picture.</source>
        <translation>Passe de l’image du jeu à l’image brute de la caméra, et inversement.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Tells what the game is and who made it.</source>
        <translation>Explique ce qu’est le jeu et qui l’a fait.</translation>
    </message>
    <message>
        <source>Switch camera</source>
        <translation>Changer de caméra</translation>
    </message>
    <message>
        <source>Switches between the front and the back camera.</source>
        <translation>Passe de la caméra avant à la caméra arrière, et inversement.</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>Image suivante</translation>
    </message>
    <message>
        <source>Shows the next picture.</source>
        <translation>Affiche l’image suivante.</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>Image précédente</translation>
    </message>
    <message>
        <source>Shows the previous picture.</source>
        <translation>Affiche l’image précédente.</translation>
    </message>
</context>
<context>
    <name>WaveTarget</name>
    <message>
        <source>The round target on the won picture: waving at it, or pressing it, brings the next picture.</source>
        <extracomment>A screen reader&apos;s words for the target a won picture offers.</extracomment>
        <translation>La cible ronde sur l’image gagnée&#xa0;: agiter la main devant elle, ou appuyer dessus, amène l’image suivante.</translation>
    </message>
</context>
<context>
    <name>WebPage</name>
    <message>
        <source>The camera may not be used here. Allow it in the browser&apos;s address bar and tap the camera again.</source>
        <translation>La caméra n’est pas autorisée ici. Autorisez-la dans la barre d’adresse du navigateur et touchez de nouveau la caméra.</translation>
    </message>
    <message>
        <source>No camera was found. Plug one in and tap the camera again.</source>
        <translation>Aucune caméra n’a été trouvée. Branchez-en une et touchez de nouveau la caméra.</translation>
    </message>
    <message>
        <source>The camera is busy in another program. Close it there and tap the camera again.</source>
        <translation>La caméra est occupée par un autre programme. Fermez-la là-bas et touchez de nouveau la caméra.</translation>
    </message>
    <message>
        <source>The camera went away. Plug it in again and tap the camera to go on.</source>
        <translation>La caméra a disparu. Rebranchez-la et touchez la caméra pour continuer.</translation>
    </message>
    <message>
        <source>The browser&apos;s storage is full: the settings will not be remembered.</source>
        <translation>La mémoire du navigateur est pleine&#xa0;: les réglages ne seront pas retenus.</translation>
    </message>
    <message>
        <source>This browser is too old for Frostpane: it lacks WebAssembly with SIMD. A current Chrome, Edge, Firefox or Safari plays it.</source>
        <translation>Ce navigateur est trop ancien pour Frostpane&#xa0;: il lui manque WebAssembly avec SIMD. Un Chrome, Edge, Firefox ou Safari récent permet d’y jouer.</translation>
    </message>
    <message>
        <source>Add photos…</source>
        <translation>Ajouter des photos…</translation>
    </message>
    <message>
        <source>Remove this photo</source>
        <translation>Retirer cette photo</translation>
    </message>
    <message>
        <source>Remove photos</source>
        <translation>Retirer les photos</translation>
    </message>
    <message>
        <source>Tap again to remove all photos</source>
        <translation>Touchez encore pour retirer toutes les photos</translation>
    </message>
    <message>
        <source>%1 was skipped: it is not a picture this browser can read.</source>
        <translation>%1 a été ignoré&#xa0;: ce n&apos;est pas une image que ce navigateur sait lire.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too small.</source>
        <translation>%1 a été ignoré&#xa0;: l&apos;image est trop petite.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too large.</source>
        <translation>%1 a été ignoré&#xa0;: l&apos;image est trop grande.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too long and narrow.</source>
        <translation>%1 a été ignoré&#xa0;: l&apos;image est trop longue et étroite.</translation>
    </message>
    <message>
        <source>%1 was skipped: the game keeps at most %2 photos.</source>
        <translation>%1 a été ignoré&#xa0;: le jeu garde au plus %2 photos.</translation>
    </message>
    <message>
        <source>%1 was skipped: this browser does not let the game keep photos.</source>
        <translation>%1 a été ignoré&#xa0;: ce navigateur ne laisse pas le jeu garder des photos.</translation>
    </message>
    <message>
        <source>This page&apos;s address is not secure, so the browser turns off the camera, the sound and offline play. Open the game at an https:// address, or on this computer itself (http://localhost). A school serves it over HTTPS with a certificate for its server; the game&apos;s README tells how.</source>
        <translation>L&apos;adresse de cette page n&apos;est pas sécurisée&#xa0;: le navigateur coupe donc la caméra, le son et le jeu hors ligne. Ouvrez le jeu à une adresse https:// ou sur cet ordinateur même (http://localhost). Une école le sert en HTTPS avec un certificat pour son serveur&#xa0;; le README du jeu explique comment.</translation>
    </message>
    <message>
        <source>The frozen picture: wipe the ice away with a finger, the mouse or by waving at the camera</source>
        <translation>L&apos;image gelée&#xa0;: effacez la glace avec un doigt, la souris ou en faisant signe devant la caméra</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>The camera is off</source>
        <translation>La caméra est éteinte</translation>
    </message>
    <message>
        <source>sensitivity %1 %</source>
        <translation>sensibilité %1&#xa0;%</translation>
    </message>
    <message>
        <source>freezing speed %1 %</source>
        <translation>vitesse de gel %1&#xa0;%</translation>
    </message>
    <message>
        <source>%1 photos were skipped: %2: %3</source>
        <translation>%1 photos ont été ignorées&#xa0;: %2&#xa0;: %3</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 et %2 autres</translation>
    </message>
    <message>
        <source>%1 was skipped: this browser cannot read HEIC/HEIF photos (as an iPhone takes them). Save it as JPEG first.</source>
        <translation>%1 a été ignoré&#xa0;: ce navigateur ne sait pas lire les photos HEIC/HEIF (celles d&apos;un iPhone). Enregistrez-la d&apos;abord en JPEG.</translation>
    </message>
    <message>
        <source>this browser cannot read them</source>
        <translation>ce navigateur ne sait pas les lire</translation>
    </message>
    <message>
        <source>this browser cannot read HEIC/HEIF photos (as an iPhone takes them): save them as JPEG first</source>
        <translation>ce navigateur ne sait pas lire les photos HEIC/HEIF (celles d&apos;un iPhone)&#xa0;: enregistrez-les d&apos;abord en JPEG</translation>
    </message>
    <message>
        <source>the pictures are too small</source>
        <translation>les images sont trop petites</translation>
    </message>
    <message>
        <source>the pictures are too large</source>
        <translation>les images sont trop grandes</translation>
    </message>
    <message>
        <source>the pictures are too long and narrow</source>
        <translation>les images sont trop longues et étroites</translation>
    </message>
    <message>
        <source>the game keeps at most %1 photos</source>
        <translation>le jeu garde au plus %1 photos</translation>
    </message>
    <message>
        <source>this browser does not let the game keep photos</source>
        <translation>ce navigateur ne laisse pas le jeu garder des photos</translation>
    </message>
    <message>
        <source>the browser&apos;s storage for this game is full</source>
        <translation>l&apos;espace de stockage du navigateur pour ce jeu est plein</translation>
    </message>
    <message>
        <source>%1 was skipped: the browser&apos;s storage for this game is full. Remove some photos or free space on this device.</source>
        <translation>%1 a été ignoré&#xa0;: la mémoire du navigateur pour ce jeu est pleine. Retirez quelques photos ou libérez de la place sur cet appareil.</translation>
    </message>
    <message>
        <source>This browser may delete the photos when space runs short: it did not agree to keep them.</source>
        <translation>Ce navigateur peut effacer les photos quand la place manque&#xa0;: il n&apos;a pas accepté de les garder.</translation>
    </message>
</context>
</TS>
