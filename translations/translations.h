#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// Installs the game's texts, and Qt's own for the buttons of standard
// dialogs, in the first of `locale`'s user-interface languages that the game
// is translated into, replacing those installed by an earlier call. English is
// built in: it ends the search, so someone who puts English before German
// reads English. A language without a translation, or a translation file that
// does not load, leaves the English texts. Call it before the windows are
// built: they take their texts then. Returns whether a translation of the
// game was installed. The translators belong to `application`.
//
// `directory` holds frostpane_<language>.qm; the game's are compiled in.
bool installTranslations(QCoreApplication &application, const QLocale &locale,
                         const QString &directory = QStringLiteral(":/i18n"));
