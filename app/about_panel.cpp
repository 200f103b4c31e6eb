#include "app/about_panel.h"

#include "widgets/accessible_text.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// A licence's name stays on one line: no-break spaces and hyphens inside it.
QString unbreakable(QString name)
{
    return name.replace(QLatin1Char(' '), QChar(0x00a0)).replace(QLatin1Char('-'), QChar(0x2011));
}

// The list of every picture's source, installed beside the copyright notice;
// found from where the program itself is, so that it holds for any prefix.
QString creditsFile()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(FROSTPANE_CREDITS_FROM_PROGRAM));
}

// The About panel, paragraph by paragraph, in the user's language.
QStringList aboutLines()
{
    return {
        //: %1 is the version number.
        AboutPanel::tr("Frostpane! v.%1").arg(QStringLiteral(FROSTPANE_VERSION)),
        QString(),
        AboutPanel::tr("Game for kids. Interact with your computer using no mouse and no keyboard by "
                       "simple hand waving in the air before the camera. The goal of the game is to "
                       "clean the ice from the window before the window freezes back."),
        AboutPanel::tr("The game is perfect for kids, who still don't have skills how to use keyboard "
                       "or the mouse. Improves physical coordination and provides a lot of fun."),
        AboutPanel::tr("The program requires video capture device (e.g. web camera)."),
        QString(),
        //: %1 and %2 are licence names (CC BY 4.0, CC BY-SA 3.0), %3 the file that lists every picture's source.
        AboutPanel::tr("Made by the Frostpane developers. Photographs by Aitzol Berasategi (%1), "
                       "Lukas Baubkus (%2) and others: see %3.")
            .arg(unbreakable(QStringLiteral("CC BY 4.0")), unbreakable(QStringLiteral("CC BY-SA 3.0")), creditsFile()),
        AboutPanel::tr("Your own photos: put them in the folder Frostpane in your Pictures folder."),
        AboutPanel::tr("A finger or the mouse wipes the ice too: drag it over the picture."),
    };
}

} // namespace

AboutPanel::AboutPanel(QWidget *window)
    : QPlainTextEdit(window)
{
    setObjectName(QStringLiteral("aboutText"));
    setReadOnly(true);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    resize(400, 270);
    for (const QString &line : aboutLines())
        appendPlainText(line);
    setAccessibleText(this, tr("About"), tr("What the game is and who made it."));
    setVisible(false);
    place();
}

void AboutPanel::place()
{
    const QWidget *window = parentWidget();
    move((window->width() - width()) / 2, (window->height() - height()) / 2);
}
