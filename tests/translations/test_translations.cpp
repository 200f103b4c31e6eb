#include "app/settings_panel.h"
#include "core/capture_resolutions.h"
#include "support/window_fixture.h"
#include "translations/translations.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// One text of a .ts file, as the translator wrote it.
struct Message
{
    QString context;
    QString source;
    QString comment; // the disambiguation, when a source text has two meanings
    QString translation;
    bool finished = true;
};

QList<Message> readTranslationSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QList<Message> messages;
    QString context;
    Message message;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == u"name") {
            context = xml.readElementText();
        } else if (name == u"message") {
            message = Message{context, {}, {}, {}, true};
        } else if (name == u"source") {
            message.source = xml.readElementText();
        } else if (name == u"comment") {
            message.comment = xml.readElementText();
        } else if (name == u"translation") {
            message.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            message.translation = xml.readElementText();
            messages.append(message);
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

// "%2 x %1" -> {"%1", "%2"}
QStringList placeholders(const QString &text)
{
    QStringList found;
    const QRegularExpression marker(QStringLiteral("%L?\\d"));
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found.append(it.next().captured());
    found.sort();
    return found;
}

QCoreApplication &application()
{
    return *QCoreApplication::instance();
}

} // namespace

// The window in the user's language, the compiled translations, and English
// whenever there is no usable translation.
class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        // Back to the English built into the code for the next test.
        installTranslations(application(), QLocale(QLocale::English));
    }

    void theWindowSpeaksTheLanguageOfTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QString>("freezing");
        QTest::addColumn<QString>("sensitivity");
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<QString>("noCamera");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<QString>("madeBy"); // how the credits paragraph begins

        const auto english = [](const char *name, const char *locale) {
            QTest::newRow(name) << QString::fromLatin1(locale) << false << QStringLiteral("Freezing Speed")
                                << QStringLiteral("Camera Sensitivity")
                                << QStringLiteral("Camera width = 640, height = 480")
                                << QStringLiteral("Camera not available") << QStringLiteral("OK")
                                << QStringLiteral("Made by the Frostpane developers. ");
        };
        const auto german = [](const char *name, const char *locale) {
            QTest::newRow(name) << QString::fromLatin1(locale) << true
                                << QStringLiteral("Wie schnell das Eis nachwächst")
                                << QStringLiteral("Empfindlichkeit der Kamera")
                                << QStringLiteral("Kameraauflösung: 640 × 480 Pixel")
                                << QStringLiteral("Keine Kamera verfügbar") << QStringLiteral("OK")
                                << QStringLiteral("Gemacht von den Frostpane-Entwicklern. ");
        };
        german("German", "de_DE");
        german("Swiss German falls back to German", "de_CH");
        QTest::newRow("Canadian French") << QStringLiteral("fr_CA") << true
                                         << QStringLiteral("Vitesse à laquelle le givre revient")
                                         << QStringLiteral("Sensibilité de la caméra")
                                         << QStringLiteral("Résolution de la caméra\u00a0: 640 × 480")
                                         << QStringLiteral("Aucune caméra disponible") << QStringLiteral("OK")
                                         << QStringLiteral("Réalisé par les développeurs de Frostpane. ");
        QTest::newRow("Mexican Spanish") << QStringLiteral("es_MX") << true
                                         << QStringLiteral("Velocidad a la que vuelve el hielo")
                                         << QStringLiteral("Sensibilidad de la cámara")
                                         << QStringLiteral("Resolución de la cámara: 640 × 480")
                                         << QStringLiteral("No hay ninguna cámara disponible")
                                         << QStringLiteral("Aceptar")
                                         << QStringLiteral("Hecho por los desarrolladores de Frostpane. ");
        english("English", "en_US");
        english("an unknown language", "xx");
        english("a language without a translation", "it_IT");
        english("the C locale", "C");
    }

    void theWindowSpeaksTheLanguageOfTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(bool, translated);
        QFETCH(QString, freezing);
        QFETCH(QString, sensitivity);
        QFETCH(QString, resolution);
        QFETCH(QString, noCamera);
        QFETCH(QString, ok);
        QFETCH(QString, madeBy);

        QCOMPARE(installTranslations(application(), QLocale(locale)), translated);
        {
            WindowFixture f(typicalWebcamSettings());
            QCOMPARE(f.labelIn("freezingSpeedBox"), freezing);
            QCOMPARE(f.labelIn("sensitivityBox"), sensitivity);
            QCOMPARE(f.labelIn("resolutionBox"), resolution);
            QCOMPARE(f.find<QPushButton>("okButton")->text(), ok);
            const QStringList about = f.find<QPlainTextEdit>("aboutText")->toPlainText().split(QLatin1Char('\n'));
            QCOMPARE(about.size(), 9);
            QVERIFY2(about[6].startsWith(madeBy), qPrintable(about[6]));
            for (int line : {0, 2, 3, 4, 6, 7, 8})
                QVERIFY2(!about[line].isEmpty(), qPrintable(QString::number(line)));
        }
        WindowFixture withoutCamera;
        withoutCamera.openSettings();
        QCOMPARE(withoutCamera.labelIn("resolutionBox"), noCamera);
    }

    void theLabelsFitTheirBoxes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("English") << QStringLiteral("en_US");
        QTest::newRow("German") << QStringLiteral("de_DE");
        QTest::newRow("French") << QStringLiteral("fr_FR");
        QTest::newRow("Spanish") << QStringLiteral("es_ES");
    }

    // Every text a settings box can show, the widest camera size included,
    // ends inside the box.
    void theLabelsFitTheirBoxes()
    {
        QFETCH(QString, locale);
        installTranslations(application(), QLocale(locale));
        WindowFixture f(typicalWebcamSettings());
        const QStringList resolutionTexts = {
            f.labelIn("resolutionBox"), resolutionLabel({1920, 1080, 30}), resolutionLabel({1280, 1024, 30}),
            SettingsPanel::tr("Camera not available"), SettingsPanel::tr("Camera Resolutions Label")};
        const std::pair<const char *, QStringList> boxes[] = {
            {"resolutionBox", resolutionTexts},
            {"sensitivityBox", {f.labelIn("sensitivityBox")}},
            {"freezingSpeedBox", {f.labelIn("freezingSpeedBox")}},
        };
        for (const auto &[name, texts] : boxes) {
            const QWidget *box = f.find(name);
            const auto *label = box->findChild<QLabel *>();
            QCOMPARE(box->width(), 280);
            for (const QString &text : texts) {
                const int right = label->x() + label->fontMetrics().horizontalAdvance(text);
                QVERIFY2(right <= box->width(),
                         qPrintable(text + QStringLiteral(" ends at ") + QString::number(right)));
            }
        }
    }

    void theSoundSwitchSpeaksTheLanguageAndFitsItsBox_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QByteArray>("box");
        const QByteArray sound("soundSwitch"), soundBox("soundBox");
        QTest::newRow("English") << QStringLiteral("en_US") << QStringLiteral("Sound") << sound << soundBox;
        QTest::newRow("German") << QStringLiteral("de_DE") << QStringLiteral("Ton") << sound << soundBox;
        QTest::newRow("French") << QStringLiteral("fr_FR") << QStringLiteral("Son") << sound << soundBox;
        QTest::newRow("Spanish") << QStringLiteral("es_ES") << QStringLiteral("Sonido") << sound << soundBox;
        const QByteArray wave("waveToGoOnSwitch"), waveBox("waveToGoOnBox");
        QTest::newRow("wave to go on, English")
            << QStringLiteral("en_US") << QStringLiteral("Wave to go on") << wave << waveBox;
        QTest::newRow("wave to go on, German")
            << QStringLiteral("de_DE") << QStringLiteral("Winken, um weiterzugehen") << wave << waveBox;
        QTest::newRow("wave to go on, French")
            << QStringLiteral("fr_FR") << QStringLiteral("Agiter la main pour continuer") << wave << waveBox;
        QTest::newRow("wave to go on, Spanish")
            << QStringLiteral("es_ES") << QStringLiteral("Agitar la mano para seguir") << wave << waveBox;
    }

    void theSoundSwitchSpeaksTheLanguageAndFitsItsBox()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QByteArray, control);
        QFETCH(QByteArray, box);
        installTranslations(application(), QLocale(locale));
        WindowFixture f(typicalWebcamSettings());
        const auto *sound = f.find<QCheckBox>(control.constData());
        QCOMPARE(sound->text(), text);
        // The whole text gets its room, inside the box.
        QVERIFY(sound->width() >= sound->sizeHint().width());
        QVERIFY(f.find(box.constData())->rect().contains(sound->geometry()));
    }

    void theAboutTextKeepsItsWordsTogether_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("English") << QStringLiteral("en_US");
        QTest::newRow("German") << QStringLiteral("de_DE");
        QTest::newRow("French") << QStringLiteral("fr_FR");
        QTest::newRow("Spanish") << QStringLiteral("es_ES");
    }

    // The open About panel of a 640 x 480 window, as laid out on the screen:
    // every paragraph begins as a sentence does, and no line ends inside a
    // licence's name.
    void theAboutTextKeepsItsWordsTogether()
    {
        QFETCH(QString, locale);
        installTranslations(application(), QLocale(locale));
        WindowFixture f;
        f.openAbout();
        QApplication::processEvents();
        auto *about = f.find<QPlainTextEdit>("aboutText");
        QVERIFY(!about->isHidden());
        const QStringList licences = {QStringLiteral("CC\u00a0BY\u00a04.0"),
                                      QStringLiteral("CC\u00a0BY\u2011SA\u00a03.0")};
        int licencesFound = 0;
        for (QTextBlock block = about->document()->begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            if (text.isEmpty())
                continue;
            QVERIFY2(!text.at(0).isLower(), qPrintable(text));
            about->document()->documentLayout()->blockBoundingRect(block); // lays the block out
            const QTextLayout *layout = block.layout();
            QVERIFY(layout->lineCount() > 0);
            for (const QString &licence : licences) {
                const qsizetype start = text.indexOf(licence);
                if (start < 0)
                    continue;
                ++licencesFound;
                for (int i = 1; i < layout->lineCount(); ++i) {
                    const int lineStart = layout->lineAt(i).textStart();
                    QVERIFY2(lineStart <= start || lineStart >= start + licence.size(),
                             qPrintable(licence + QStringLiteral(" broken in: ") + text));
                }
            }
            QVERIFY2(!text.contains(QStringLiteral("CC BY")), qPrintable(text));
        }
        QCOMPARE(licencesFound, 2);
    }

    // French sets a no-break space (or a narrow one) before : ; ! and ?, in
    // every text, so that the sign never starts a line; the colon of an
    // address (https://) is no punctuation.
    void frenchPunctuationHasItsNoBreakSpace()
    {
        const QList<Message> messages = readTranslationSource(
            QStringLiteral(FROSTPANE_TRANSLATIONS_SOURCE_DIR "/frostpane_fr.ts"));
        const QRegularExpression wrong(QStringLiteral("[^\\x{00a0}\\x{202f}][:;!?](?!//)"));
        for (const Message &message : messages) {
            const QRegularExpressionMatch match = wrong.match(message.translation);
            QVERIFY2(!match.hasMatch(), qPrintable(message.translation));
        }
    }

    void aLaterCallReplacesTheEarlierLanguage()
    {
        const VideoCaptureSetting vga{640, 480, 30};
        QVERIFY(installTranslations(application(), QLocale(QStringLiteral("de_DE"))));
        QVERIFY(installTranslations(application(), QLocale(QStringLiteral("fr_FR"))));
        QCOMPARE(resolutionLabel(vga), QStringLiteral("Résolution de la caméra\u00a0: 640 × 480"));
        QVERIFY(!installTranslations(application(), QLocale(QStringLiteral("xx"))));
        QCOMPARE(resolutionLabel(vga), QStringLiteral("Camera width = 640, height = 480"));
    }

    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << QStringLiteral("de");
        QTest::newRow("French") << QStringLiteral("fr");
        QTest::newRow("Spanish") << QStringLiteral("es");
    }

    // Each compiled translation turns every text of the game, as its .ts file
    // lists them, into a non-empty one that keeps the %1, %2 of the English.
    void everyTextIsTranslated()
    {
        QFETCH(QString, language);
        const QList<Message> messages = readTranslationSource(
            QStringLiteral(FROSTPANE_TRANSLATIONS_SOURCE_DIR "/frostpane_") + language + QStringLiteral(".ts"));
        QVERIFY(messages.size() >= 14);
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(":/i18n/frostpane_") + language + QStringLiteral(".qm")));
        for (const Message &message : messages) {
            const QByteArray what = (message.context + QStringLiteral(": ") + message.source).toUtf8();
            QVERIFY2(message.finished, what.constData());
            const QString text = translator.translate(
                message.context.toUtf8().constData(), message.source.toUtf8().constData(),
                message.comment.isEmpty() ? nullptr : message.comment.toUtf8().constData());
            QVERIFY2(!text.trimmed().isEmpty(), what.constData());
            QCOMPARE(text, message.translation);
            QCOMPARE(placeholders(text), placeholders(message.source));
        }
    }

    void anUnusableTranslationLeavesEnglish_data()
    {
        QFile compiled(QStringLiteral(":/i18n/frostpane_de.qm"));
        if (!compiled.open(QIODevice::ReadOnly))
            qFatal("the German translation is not compiled in");
        const QByteArray german = compiled.readAll();

        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no file") << false << QByteArray();
        QTest::newRow("an empty file") << true << QByteArray();
        QTest::newRow("not a compiled translation") << true << QByteArray("<TS>Wie schnell das Eis nachwächst</TS>");
        QTest::newRow("the header alone") << true << german.left(16);
        QTest::newRow("cut off in the middle") << true << german.left(german.size() / 2);
        QTest::newRow("its last byte missing") << true << german.chopped(1);
    }

    void anUnusableTranslationLeavesEnglish()
    {
        QFETCH(bool, present);
        QFETCH(QByteArray, content);
        QTemporaryDir directory;
        QVERIFY(directory.isValid());
        if (present) {
            QFile file(directory.filePath(QStringLiteral("frostpane_de.qm")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(content), content.size());
        }
        QVERIFY(!installTranslations(application(), QLocale(QStringLiteral("de_DE")), directory.path()));
        WindowFixture f;
        QCOMPARE(f.labelIn("freezingSpeedBox"), QStringLiteral("Freezing Speed"));
        QCOMPARE(f.find<QPushButton>("okButton")->text(), QStringLiteral("OK"));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
