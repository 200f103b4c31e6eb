<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>AboutPanel</name>
    <message>
        <source>Frostpane! v.%1</source>
        <extracomment>%1 is the version number.</extracomment>
        <translation>¡Frostpane! v.%1</translation>
    </message>
    <message>
        <source>Game for kids. Interact with your computer using no mouse and no keyboard by simple hand waving in the air before the camera. The goal of the game is to clean the ice from the window before the window freezes back.</source>
        <translation>Un juego para los más pequeños, sin ratón ni teclado: basta con mover la mano delante de la cámara. El objetivo es quitar el hielo de la ventana antes de que vuelva a congelarse.</translation>
    </message>
    <message>
        <source>The game is perfect for kids, who still don&apos;t have skills how to use keyboard or the mouse. Improves physical coordination and provides a lot of fun.</source>
        <translation>Ideal para niños que todavía no saben usar el teclado ni el ratón. Mejora la coordinación de los movimientos y es muy divertido.</translation>
    </message>
    <message>
        <source>The program requires video capture device (e.g. web camera).</source>
        <translation>Para jugar se necesita una cámara (por ejemplo, una webcam).</translation>
    </message>
    <message>
        <source>Made by the Frostpane developers. Photographs by Aitzol Berasategi (%1), Lukas Baubkus (%2) and others: see %3.</source>
        <extracomment>%1 and %2 are licence names (CC BY 4.0, CC BY-SA 3.0), %3 the file that lists every picture&apos;s source.</extracomment>
        <translation>Hecho por los desarrolladores de Frostpane. Fotos de Aitzol Berasategi (%1), Lukas Baubkus (%2) y otros: véase %3.</translation>
    </message>
    <message>
        <source>Your own photos: put them in the folder Frostpane in your Pictures folder.</source>
        <translation>Sus propias fotos: colóquelas en la carpeta Frostpane de su carpeta Imágenes.</translation>
    </message>
    <message>
        <source>A finger or the mouse wipes the ice too: drag it over the picture.</source>
        <translation>Un dedo o el ratón también quitan el hielo: deslícelo sobre la imagen.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>What the game is and who made it.</source>
        <translation>Qué es el juego y quién lo hizo.</translation>
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
        <translation>Frostpane se ha cerrado por un error.</translation>
    </message>
    <message>
        <source>A game for small children: wave at the webcam to wipe the ice off a photograph.</source>
        <translation>Un juego para niños pequeños: saluda a la webcam para limpiar el hielo de una foto.</translation>
    </message>
    <message>
        <source>Start in full screen.</source>
        <translation>Empezar a pantalla completa.</translation>
    </message>
    <message>
        <source>Forget the settings saved for this user before starting.</source>
        <translation>Olvidar los ajustes guardados para este usuario antes de empezar.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argumento inesperado: %1</translation>
    </message>
</context>
<context>
    <name>CaptureResolutions</name>
    <message>
        <source>Camera width = %1, height = %2</source>
        <extracomment>The size of the camera&apos;s picture in pixels: %1 is the width, %2 the height.</extracomment>
        <translation>Resolución de la cámara: %1 × %2</translation>
    </message>
</context>
<context>
    <name>PictureView</name>
    <message>
        <source>Picture</source>
        <translation>Imagen</translation>
    </message>
    <message>
        <source>The picture under the ice. Wave at the camera or drag a finger over it to wipe the ice; tap it to show the tools.</source>
        <translation>La imagen bajo el hielo. Saluda a la cámara o desliza un dedo por encima para limpiar el hielo; tócala para mostrar las herramientas.</translation>
    </message>
</context>
<context>
    <name>SettingsPanel</name>
    <message>
        <source>Camera Resolutions Label</source>
        <extracomment>Above the resolution slider when the camera offers no 640 x 480 picture.</extracomment>
        <translation>Resolución de la cámara</translation>
    </message>
    <message>
        <source>Freezing Speed</source>
        <extracomment>The slider sets how fast the ice grows back.</extracomment>
        <translation>Velocidad a la que vuelve el hielo</translation>
    </message>
    <message>
        <source>Camera Sensitivity</source>
        <extracomment>The slider sets how much movement wipes the ice.</extracomment>
        <translation>Sensibilidad de la cámara</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Camera not available</source>
        <translation>No hay ninguna cámara disponible</translation>
    </message>
    <message>
        <source>Sound</source>
        <extracomment>A switch in the settings: the game&apos;s sounds on or off.</extracomment>
        <translation>Sonido</translation>
    </message>
    <message>
        <source>Camera resolution</source>
        <translation>Resolución de la cámara</translation>
    </message>
    <message>
        <source>The size of the camera&apos;s picture; it is taken when you press OK.</source>
        <translation>El tamaño de la imagen de la cámara; se aplica al pulsar Aceptar.</translation>
    </message>
    <message>
        <source>Camera sensitivity</source>
        <translation>Sensibilidad de la cámara</translation>
    </message>
    <message>
        <source>How much movement wipes the ice: to the right, smaller movements wipe too.</source>
        <translation>Cuánto movimiento limpia el hielo: hacia la derecha, también los movimientos más pequeños.</translation>
    </message>
    <message>
        <source>Freezing speed</source>
        <translation>Velocidad de congelación</translation>
    </message>
    <message>
        <source>How fast the ice grows back.</source>
        <translation>Lo rápido que vuelve a crecer el hielo.</translation>
    </message>
    <message>
        <source>The game&apos;s sounds on or off.</source>
        <translation>Los sonidos del juego, activados o desactivados.</translation>
    </message>
    <message>
        <source>Takes the settings and closes them.</source>
        <translation>Aplica los ajustes y los cierra.</translation>
    </message>
    <message>
        <source>Wave to go on</source>
        <extracomment>A switch in the settings: once a picture is won, a round target shows that a child fills by waving at it (or taps) to bring the next picture.</extracomment>
        <translation>Agitar la mano para seguir</translation>
    </message>
    <message>
        <source>Once a picture is won, a round target shows: waving at it brings the next picture.</source>
        <translation>Cuando se gana una imagen, aparece un blanco redondo: al agitar la mano ante él llega la imagen siguiente.</translation>
    </message>
</context>
<context>
    <name>ToolIcons</name>
    <message>
        <source>Camera</source>
        <translation>Cámara</translation>
    </message>
    <message>
        <source>Starts or stops the camera.</source>
        <translation>Enciende o apaga la cámara.</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>Opens the settings: camera resolution, camera sensitivity, freezing speed and sound.</source>
        <translation>Abre los ajustes: resolución de la cámara, sensibilidad de la cámara, velocidad de congelación y sonido.</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Vista</translation>
    </message>
    <message>
        <source>Switches between the game picture and the plain camera picture.</source>
        <translation>Cambia entre la imagen del juego y la imagen simple de la cámara.</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Tells what the game is and who made it.</source>
        <translation>Cuenta qué es el juego y quién lo hizo.</translation>
    </message>
    <message>
        <source>Switch camera</source>
        <translation>Cambiar de cámara</translation>
    </message>
    <message>
        <source>Switches between the front and the back camera.</source>
        <translation>Cambia entre la cámara frontal y la trasera.</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>Imagen siguiente</translation>
    </message>
    <message>
        <source>Shows the next picture.</source>
        <translation>Muestra la imagen siguiente.</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>Imagen anterior</translation>
    </message>
    <message>
        <source>Shows the previous picture.</source>
        <translation>Muestra la imagen anterior.</translation>
    </message>
</context>
<context>
    <name>WaveTarget</name>
    <message>
        <source>The round target on the won picture: waving at it, or pressing it, brings the next picture.</source>
        <extracomment>A screen reader&apos;s words for the target a won picture offers.</extracomment>
        <translation>El blanco redondo sobre la imagen ganada: agitar la mano ante él, o pulsarlo, trae la imagen siguiente.</translation>
    </message>
</context>
<context>
    <name>WebPage</name>
    <message>
        <source>The camera may not be used here. Allow it in the browser&apos;s address bar and tap the camera again.</source>
        <translation>Aquí no se permite usar la cámara. Permítala en la barra de direcciones del navegador y vuelva a tocar la cámara.</translation>
    </message>
    <message>
        <source>No camera was found. Plug one in and tap the camera again.</source>
        <translation>No se ha encontrado ninguna cámara. Conecte una y vuelva a tocar la cámara.</translation>
    </message>
    <message>
        <source>The camera is busy in another program. Close it there and tap the camera again.</source>
        <translation>La cámara está ocupada por otro programa. Ciérrela allí y vuelva a tocar la cámara.</translation>
    </message>
    <message>
        <source>The camera went away. Plug it in again and tap the camera to go on.</source>
        <translation>La cámara ha desaparecido. Vuelva a conectarla y toque la cámara para seguir.</translation>
    </message>
    <message>
        <source>The browser&apos;s storage is full: the settings will not be remembered.</source>
        <translation>El almacenamiento del navegador está lleno: los ajustes no se recordarán.</translation>
    </message>
    <message>
        <source>This browser is too old for Frostpane: it lacks WebAssembly with SIMD. A current Chrome, Edge, Firefox or Safari plays it.</source>
        <translation>Este navegador es demasiado antiguo para Frostpane: le falta WebAssembly con SIMD. Un Chrome, Edge, Firefox o Safari actual lo ejecuta.</translation>
    </message>
    <message>
        <source>Add photos…</source>
        <translation>Añadir fotos…</translation>
    </message>
    <message>
        <source>Remove this photo</source>
        <translation>Quitar esta foto</translation>
    </message>
    <message>
        <source>Remove photos</source>
        <translation>Quitar las fotos</translation>
    </message>
    <message>
        <source>Tap again to remove all photos</source>
        <translation>Toque otra vez para quitar todas las fotos</translation>
    </message>
    <message>
        <source>%1 was skipped: it is not a picture this browser can read.</source>
        <translation>Se omitió %1: no es una imagen que este navegador pueda leer.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too small.</source>
        <translation>Se omitió %1: la imagen es demasiado pequeña.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too large.</source>
        <translation>Se omitió %1: la imagen es demasiado grande.</translation>
    </message>
    <message>
        <source>%1 was skipped: the picture is too long and narrow.</source>
        <translation>Se omitió %1: la imagen es demasiado larga y estrecha.</translation>
    </message>
    <message>
        <source>%1 was skipped: the game keeps at most %2 photos.</source>
        <translation>Se omitió %1: el juego guarda como máximo %2 fotos.</translation>
    </message>
    <message>
        <source>%1 was skipped: this browser does not let the game keep photos.</source>
        <translation>Se omitió %1: este navegador no deja que el juego guarde fotos.</translation>
    </message>
    <message>
        <source>This page&apos;s address is not secure, so the browser turns off the camera, the sound and offline play. Open the game at an https:// address, or on this computer itself (http://localhost). A school serves it over HTTPS with a certificate for its server; the game&apos;s README tells how.</source>
        <translation>La dirección de esta página no es segura, así que el navegador desactiva la cámara, el sonido y el juego sin conexión. Abra el juego en una dirección https:// o en este mismo ordenador (http://localhost). Una escuela lo sirve por HTTPS con un certificado para su servidor; el README del juego explica cómo.</translation>
    </message>
    <message>
        <source>The frozen picture: wipe the ice away with a finger, the mouse or by waving at the camera</source>
        <translation>La imagen helada: quite el hielo con un dedo, el ratón o saludando a la cámara</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>The camera is off</source>
        <translation>La cámara está apagada</translation>
    </message>
    <message>
        <source>sensitivity %1 %</source>
        <translation>sensibilidad %1 %</translation>
    </message>
    <message>
        <source>freezing speed %1 %</source>
        <translation>velocidad de congelación %1 %</translation>
    </message>
    <message>
        <source>%1 photos were skipped: %2: %3</source>
        <translation>Se omitieron %1 fotos: %2: %3</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 y %2 más</translation>
    </message>
    <message>
        <source>%1 was skipped: this browser cannot read HEIC/HEIF photos (as an iPhone takes them). Save it as JPEG first.</source>
        <translation>%1 se omitió: este navegador no puede leer fotos HEIC/HEIF (como las de un iPhone). Guárdela antes como JPEG.</translation>
    </message>
    <message>
        <source>this browser cannot read them</source>
        <translation>este navegador no puede leerlas</translation>
    </message>
    <message>
        <source>this browser cannot read HEIC/HEIF photos (as an iPhone takes them): save them as JPEG first</source>
        <translation>este navegador no puede leer fotos HEIC/HEIF (como las de un iPhone): guárdelas antes como JPEG</translation>
    </message>
    <message>
        <source>the pictures are too small</source>
        <translation>las imágenes son demasiado pequeñas</translation>
    </message>
    <message>
        <source>the pictures are too large</source>
        <translation>las imágenes son demasiado grandes</translation>
    </message>
    <message>
        <source>the pictures are too long and narrow</source>
        <translation>las imágenes son demasiado largas y estrechas</translation>
    </message>
    <message>
        <source>the game keeps at most %1 photos</source>
        <translation>el juego guarda como máximo %1 fotos</translation>
    </message>
    <message>
        <source>this browser does not let the game keep photos</source>
        <translation>este navegador no deja que el juego guarde fotos</translation>
    </message>
    <message>
        <source>the browser&apos;s storage for this game is full</source>
        <translation>el almacenamiento del navegador para este juego está lleno</translation>
    </message>
    <message>
        <source>%1 was skipped: the browser&apos;s storage for this game is full. Remove some photos or free space on this device.</source>
        <translation>Se omitió %1: el almacenamiento del navegador para este juego está lleno. Quite algunas fotos o libere espacio en este dispositivo.</translation>
    </message>
    <message>
        <source>This browser may delete the photos when space runs short: it did not agree to keep them.</source>
        <translation>Este navegador puede borrar las fotos cuando falte espacio: no aceptó guardarlas.</translation>
    </message>
</context>
</TS>
