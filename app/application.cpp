#include "app/application.h"

#include "app/main_window.h"
#include "app/session_bus.h"
#include "app/settings_files.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "app/window_geometry.h"
#include "camera/qt_video_camera.h"
#include "sound/sound_output.h"
#include "translations/translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QIcon>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>

Q_LOGGING_CATEGORY(lcApplication, "frostpane.application")

namespace {

// A second start waits this long for the running game's answer; one that
// does not answer is left to itself.
constexpr int kAnswerMilliseconds = 1000;
// A start waits this long for a game that is closing (or starting) to end
// (or to listen) before it starts alone.
constexpr int kClosingGameMilliseconds = 10000;
// The longest the exit waits for the settings still being written: long
// enough for a slow network home, short enough that a hung one does not keep
// the game from ending.
constexpr int kLastWriteMilliseconds = 5000;

// The longest the start asks the session bus whether it answers. A healthy
// bus answers in a few milliseconds.
constexpr int kSessionBusMilliseconds = 1000;

struct Options
{
    bool fullScreen = false;
    bool resetSettings = false;
};

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The options, or the exit status when the command line is answered here.
std::optional<int> parseCommandLine(const QStringList &arguments, Options &options)
{
    QCommandLineParser parser;
    // Qt's own options are written with one dash (-platform xcb).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate(
        "Application", "A game for small children: wave at the webcam to wipe the ice off a photograph."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption fullScreen(QStringLiteral("fullscreen"),
                                        QCoreApplication::translate("Application", "Start in full screen."));
    const QCommandLineOption reset(
        QStringLiteral("reset-settings"),
        QCoreApplication::translate("Application", "Forget the settings saved for this user before starting."));
    parser.addOption(fullScreen);
    parser.addOption(reset);
    // Qt's standard options stay accepted; QApplication takes them.
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display", "style",
                             "stylesheet", "qwindowgeometry", "qwindowicon", "qwindowtitle", "session"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setValueName(QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char *name : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }

    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + QLatin1Char('\n') + parser.helpText());
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QCoreApplication::translate("Application", "Unexpected argument: %1")
                              .arg(parser.positionalArguments().constFirst())
                          + QLatin1Char('\n') + parser.helpText());
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("Frostpane %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    options.fullScreen = parser.isSet(fullScreen);
    options.resetSettings = parser.isSet(reset);
    return std::nullopt;
}

// While the application object connects to the display: Qt's complaints
// about it are held back, and a display that cannot be opened (none named,
// none answering) ends the game with one line and status 1 instead of
// Qt's abort. Any other reason the platform cannot start (a platform plugin
// that is not there, one named wrongly with -platform) is Qt's to tell: its
// own words reach standard error, then the status is 1 too.
class DisplayConnection
{
public:
    DisplayConnection() { s_previous = qInstallMessageHandler(&handle); }
    ~DisplayConnection() { release(); }
    // Connected: what was held back is said after all.
    void release()
    {
        if (!s_previous)
            return;
        qInstallMessageHandler(s_previous);
        const QtMessageHandler previous = std::exchange(s_previous, nullptr);
        for (const Held &held : std::as_const(s_held)) {
            const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
            previous(held.type, context, held.message);
        }
        s_held.clear();
    }

private:
    struct Held
    {
        QtMsgType type;
        QByteArray category;
        QString message;
    };
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtFatalMsg) {
            // xcb says "could not connect to display", Wayland "Failed to
            // create wl_display": the display, not the platform, is missing.
            const bool noDisplay = std::any_of(s_held.cbegin(), s_held.cend(), [](const Held &held) {
                return held.message.contains(QLatin1StringView("display"), Qt::CaseInsensitive);
            });
            if (!noDisplay) {
                for (const Held &held : std::as_const(s_held))
                    print(stderr,
                          QString::fromLatin1(held.category) + QStringLiteral(": ") + held.message + QLatin1Char('\n'));
                print(stderr, QStringLiteral("frostpane: ") + message.trimmed() + QLatin1Char('\n'));
                std::_Exit(1);
            }
            const QByteArray display = qgetenv("WAYLAND_DISPLAY").isEmpty() ? qgetenv("DISPLAY")
                                                                            : qgetenv("WAYLAND_DISPLAY");
            print(stderr,
                  display.isEmpty()
                      ? QStringLiteral("frostpane: no display to open (neither DISPLAY nor "
                                       "WAYLAND_DISPLAY is set)\n")
                      : QStringLiteral("frostpane: cannot open the display %1\n").arg(QString::fromLocal8Bit(display)));
            std::_Exit(1);
        }
        s_held.append({type, QByteArray(context.category ? context.category : "default"), message});
    }
    static inline QtMessageHandler s_previous = nullptr;
    static inline QList<Held> s_held;
};

// Qt's accessibility bridge connects to the session bus on the GUI thread
// the first time a widget is named for screen readers, and waits for it with
// no bound. A bus that takes connections but never answers (a hung desktop
// session) would keep the window from ever showing, so it is asked first;
// when it stays silent this game plays without it. A bus that answers, or
// none at all, is left to Qt: screen readers keep working.
void leaveOutASilentSessionBus()
{
    QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty()) {
        // libdbus's own default without the variable.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return;
        address = "unix:path=" + runtime + "/bus";
    }
    const SessionBusProbe probe = probeSessionBus(address.toStdString(), kSessionBusMilliseconds);
    if (probe.answer != SessionBusAnswer::Silent)
        return;
    qCWarning(lcApplication).noquote()
        << QStringLiteral("the session bus at %1 did not answer within %3 ms (%2); this game plays without it, so "
                          "no screen reader reaches it")
               .arg(QString::fromStdString(probe.where), QString::fromStdString(probe.detail))
               .arg(kSessionBusMilliseconds);
    // An address of no transport at all: every connection to it fails at once.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

void showException(const QString &message)
{
    qCritical("Frostpane stopped: %s", qPrintable(message));
    if (!QApplication::instance())
        return;
    // The error's own words are for whoever fixes it; the parent reads what
    // happened in their language.
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("Application", "Frostpane"),
                    QCoreApplication::translate("Application", "Frostpane has stopped because of an error."),
                    QMessageBox::Ok);
    box.setInformativeText(message);
    box.exec();
}

// The icon theme's application icon, as the menu shows it; the one built in
// when no theme has it. Window managers and task bars read it from the window.
QIcon applicationIcon()
{
    QIcon builtIn;
    QDirIterator sizes(QStringLiteral(":/appicon"));
    while (sizes.hasNext())
        builtIn.addFile(sizes.next() + QStringLiteral("/apps/" FROSTPANE_APP_ID ".png"));
    return QIcon::fromTheme(QStringLiteral(FROSTPANE_APP_ID), builtIn);
}

// Calls `onClose` when the watched window is asked to close; the close
// itself goes on. The window's close is never refused for good, only put off
// while the camera stops.
class CloseWatcher final : public QObject
{
public:
    explicit CloseWatcher(std::function<void()> onClose)
        : m_onClose(std::move(onClose))
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            m_onClose();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClose;
};

void bringToFront(QWidget &window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void runWindow(const Options &options, SingleInstance &instance)
{
    const SettingsFiles store;
    if (options.resetSettings)
        store.forgetUserValues();
    const StoredSettings settings = store.load();

    MainWindow window(std::make_unique<QtVideoCamera>(), Clock::system(), settings);
    // After the camera: Qt's media devices then belong to this thread. The
    // sound opens its device on a thread of its own, so the window never
    // waits for a sound server.
    window.setSounds(std::make_unique<SoundOutput>());
    keepSettings(window, store);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&window] { bringToFront(window); });
    // From the moment the window is asked to close (its camera may take a
    // while to stop), a new start waits for this game to end instead of
    // asking it to come to the front.
    CloseWatcher closing([&instance] { instance.stopListening(); });
    window.installEventFilter(&closing);
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &instance, &SingleInstance::stopListening);
    instance.listen();
    // A desktop logging out or a closed terminal ends the game as Escape
    // does: the camera stops, the settings are saved, the status is 0.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &QWidget::close);

    // No saved place (or one that cannot be played in): 640 x 480 in the
    // middle of the screen.
    window.setMinimumSize(kMinimumWindowSize);
    QByteArray geometry = QByteArray::fromStdString(settings.geometry);
    if (!geometry.isEmpty()) {
        QList<QRect> screens;
        for (const QScreen *screen : QGuiApplication::screens())
            screens.append(screen->availableGeometry());
        QString problem = savedGeometryProblem(geometry, screens);
        if (problem.isEmpty() && !window.restoreGeometry(geometry))
            problem = QStringLiteral("not a saved window geometry");
        if (!problem.isEmpty()) {
            qCWarning(lcApplication).noquote() << "window/geometry:" << problem + QStringLiteral("; it is left out");
            geometry.clear();
        }
    }
    if (geometry.isEmpty()) {
        if (const QScreen *display = window.screen()) {
            QRect frame = window.frameGeometry();
            frame.moveCenter(display->availableGeometry().center());
            window.move(frame.topLeft());
        }
    }
    // A saved geometry may hold a full-screen state of its own; the key says.
    window.setWindowState(window.windowState() & ~Qt::WindowFullScreen);
    if (options.fullScreen || settings.fullScreen)
        window.showFullScreen();
    else
        window.show();
    QApplication::exec();
    instance.stopListening();
    // The last save may still be on its way to a slow disk: it gets a few
    // seconds, never more (a hung network home would keep the game from
    // ending).
    store.finishWrites(kLastWriteMilliseconds);
}

} // namespace

void keepSettings(MainWindow &window, const SettingsFiles &store)
{
    QObject::connect(&window, &MainWindow::settingsChanged, &window,
                     [&window, &store] { store.save(window.storedSettings()); });
}

int runFrostpane(int argc, char *argv[])
{
    Options options;
    std::optional<SingleInstance> instance;
    {
        // Answered before anything needs a display.
        QCoreApplication core(argc, argv);
        // The application name stays the program's file name here: the lock
        // file records it, and a later start checks it against the process
        // that holds the lock.
        QCoreApplication::setApplicationVersion(QStringLiteral(FROSTPANE_VERSION));
        installTranslations(core, QLocale());
        if (const std::optional<int> status = parseCommandLine(QCoreApplication::arguments(), options))
            return *status;
        instance.emplace();
        QElapsedTimer asked;
        asked.start();
        switch (instance->start(kAnswerMilliseconds, kClosingGameMilliseconds)) {
        case SingleInstance::Start::RaisedRunningGame:
            qCInfo(lcApplication) << "a game runs already; it came to the front after" << asked.elapsed() << "ms";
            return 0;
        case SingleInstance::Start::Claimed:
        case SingleInstance::Start::Alone: // said why
            break;
        }
    }

    // Widgets draw on the CPU; this also keeps video frame conversion off the
    // slow OpenGL path under X.
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    leaveOutASilentSessionBus();
    bool failed = false;
    const auto fail = [&failed](const QString &message) {
        failed = true;
        showException(message);
    };
    try {
        std::optional<DisplayConnection> connecting(std::in_place);
        QApplication application(argc, argv);
        connecting.reset();
        QApplication::setApplicationName(QStringLiteral("Frostpane"));
        QApplication::setApplicationVersion(QStringLiteral(FROSTPANE_VERSION));
        QGuiApplication::setDesktopFileName(QStringLiteral(FROSTPANE_APP_ID));
        QApplication::setWindowIcon(applicationIcon());
        // The system's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); English
        // when the game has no translation for it.
        installTranslations(application, QLocale());
        try {
            runWindow(options, *instance);
        } catch (const std::exception &error) {
            fail(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            fail(QString());
        }
    } catch (const std::exception &error) {
        fail(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        fail(QString());
    }
    return failed ? 1 : 0;
}
