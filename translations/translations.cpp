#include "translations/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcTranslations, "frostpane.translations")

namespace {

const char kTranslatorName[] = "frostpaneTranslator";

// Loads and installs "<baseName>_<language>.qm" from `directory`. For "de_CH"
// QTranslator tries frostpane_de_CH.qm, then frostpane_de.qm.
bool install(QCoreApplication &application, const QString &baseName, const QString &language, const QString &directory)
{
    auto *translator = new QTranslator(&application);
    translator->setObjectName(QLatin1String(kTranslatorName));
    if (!translator->load(baseName + QLatin1Char('_') + language, directory)
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    qCDebug(lcTranslations) << "installed" << translator->filePath();
    return true;
}

} // namespace

bool installTranslations(QCoreApplication &application, const QLocale &locale, const QString &directory)
{
    // A translator takes itself out of the application when it is deleted.
    qDeleteAll(application.findChildren<QTranslator *>(QLatin1String(kTranslatorName), Qt::FindDirectChildrenOnly));

    const QStringList languages = locale.uiLanguages();
    for (const QString &language : languages) {
        const QLocale candidate(language);
        if (candidate.language() == QLocale::English) {
            qCDebug(lcTranslations) << "English comes first in" << languages;
            return false;
        }
        if (candidate.language() == QLocale::C)
            continue;
        QString name = language; // "de-CH" -> "de_CH"
        name.replace(QLatin1Char('-'), QLatin1Char('_'));
        if (!install(application, QStringLiteral("frostpane"), name, directory))
            continue;
        // Qt's own texts in the same language; without them the standard
        // buttons stay English, which is no reason to give up ours.
        if (!install(application, QStringLiteral("qtbase"), name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            qCInfo(lcTranslations) << "Qt's own translation for" << name << "is not installed";
        return true;
    }
    qCInfo(lcTranslations) << "no translation for" << languages << "- the texts stay English";
    return false;
}
