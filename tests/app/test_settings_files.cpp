#include "app/settings_files.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace QTest {
template <> inline char *toString(const StoredSettings &s)
{
    return qstrdup(QByteArray("sensitivity " + QByteArray::number(s.cameraSensitivity) + ", freezing "
                              + QByteArray::number(s.freezingSpeed) + ", sound " + QByteArray::number(s.sound)
                              + ", back " + QByteArray::number(s.backCamera) + ", fullScreen "
                              + QByteArray::number(s.fullScreen) + ", resolutions "
                              + QByteArray::number(s.resolutions.size()))
                       .constData());
}
} // namespace QTest

namespace {

// What a file holds: its bytes, nothing (no file), or a folder or a FIFO in
// its place (files that cannot be read; opening a FIFO to read waits for a
// writer that never comes).
struct FileContent
{
    enum class Kind { Missing, Bytes, Folder, Fifo } kind = Kind::Missing;
    QByteArray bytes;
};
FileContent missing()
{
    return {};
}
FileContent bytes(const QByteArray &b)
{
    return {FileContent::Kind::Bytes, b};
}
FileContent folder()
{
    return {FileContent::Kind::Folder, {}};
}
FileContent fifo()
{
    return {FileContent::Kind::Fifo, {}};
}

void put(const QString &path, const FileContent &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (content.kind == FileContent::Kind::Folder) {
        QVERIFY(QDir().mkpath(path));
    } else if (content.kind == FileContent::Kind::Fifo) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (content.kind == FileContent::Kind::Bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content.bytes);
    }
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a symbolic link holds, as written.
QString linkText(const QString &path)
{
    char text[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), text, sizeof text);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(text, qsizetype(length)));
}

StoredSettings with(const std::function<void(StoredSettings &)> &change)
{
    StoredSettings s;
    change(s);
    return s;
}

// The warnings of frostpane.settings while it lives.
class SettingsWarnings
{
public:
    SettingsWarnings()
    {
        s_messages.clear();
        s_previous = qInstallMessageHandler(&collect);
    }
    ~SettingsWarnings() { qInstallMessageHandler(s_previous); }
    const QStringList &messages() const { return s_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && qstrcmp(context.category, "frostpane.settings") == 0)
            s_messages.append(message);
    }
    static inline QStringList s_messages;
    static inline QtMessageHandler s_previous = nullptr;
};

const QByteArray kGoodFile = "[game]\ncameraSensitivity=60\nfreezingSpeed=3\nsound=false\n"
                             "[camera]\nback=true\nresolution=1280x720@30\n"
                             "[window]\nfullScreen=true\n";

// kGoodFile made `size` bytes long with empty lines.
QByteArray goodFileOfSize(qint64 size)
{
    return kGoodFile + QByteArray(size - kGoodFile.size(), '\n');
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data)
        c = char(random.bounded(256));
    return data;
}

} // namespace

Q_DECLARE_METATYPE(FileContent)

// The user's and the system's settings files, from disk to the values the
// game takes, and back.
class TestSettingsFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.emplace().isValid());
        m_user = m_dir->filePath(u"home/frostpane/frostpane.conf"_s);
        m_system = m_dir->filePath(u"etc/frostpane/frostpane.conf"_s);
    }

    void load_data()
    {
        QTest::addColumn<FileContent>("user");
        QTest::addColumn<FileContent>("system");
        QTest::addColumn<StoredSettings>("expected");
        QTest::addColumn<QStringList>("warned"); // what the warnings must name, one warning each

        const StoredSettings good = with([](StoredSettings &s) {
            s.cameraSensitivity = 60;
            s.freezingSpeed = 3;
            s.sound = false;
            s.backCamera = true;
            s.fullScreen = true;
            s.resolutions[""] = VideoCaptureSetting{1280, 720, 30.0};
        });
        QTest::newRow("missing: the defaults") << missing() << missing() << StoredSettings{} << QStringList{};
        QTest::newRow("good") << bytes(kGoodFile) << missing() << good << QStringList{};
        QTest::newRow("empty") << bytes({}) << missing() << StoredSettings{} << QStringList{};
        QTest::newRow("garbage text") << bytes("%%%\n[[[\n=\n]]]\ncameraSensitivity\n\\\\\n@Variant(\n") << missing()
                                      << StoredSettings{} << QStringList{};
        QTest::newRow("truncated in the middle of a line")
            << bytes(kGoodFile.left(kGoodFile.indexOf("freezingSpeed") + 10)) << missing()
            << with([](StoredSettings &s) { s.cameraSensitivity = 60; }) << QStringList{};
        QTest::newRow("binary") << bytes(randomBytes(4096, 7)) << missing() << StoredSettings{} << QStringList{};
        QTest::newRow("a NUL ends a value")
            << bytes(QByteArray("[game]\nfreezingSpeed=5\0"
                                "0\n",
                                22))
            << missing() << with([](StoredSettings &s) { s.freezingSpeed = 5; }) << QStringList{};
        QTest::newRow("unreadable (a folder)")
            << folder() << missing() << StoredSettings{} << QStringList{u"cannot read"_s};
        QTest::newRow("a FIFO") << fifo() << missing() << StoredSettings{} << QStringList{u"cannot read"_s};
        QTest::newRow("64 KB: read") << bytes(goodFileOfSize(SettingsFiles::kMaximumFileSize)) << missing() << good
                                     << QStringList{};
        QTest::newRow("a byte over 64 KB: refused") << bytes(goodFileOfSize(SettingsFiles::kMaximumFileSize + 1))
                                                    << missing() << StoredSettings{} << QStringList{u"64 KB"_s};
        QTest::newRow("a FIFO as the system file, the user's read")
            << bytes("[game]\nfreezingSpeed=2\n") << fifo() << with([](StoredSettings &s) { s.freezingSpeed = 2; })
            << QStringList{u"cannot read"_s};
        QTest::newRow("wrong types")
            << bytes("[game]\ncameraSensitivity=much\nfreezingSpeed=2.5\nsound=loud\n"
                     "[camera]\nback=front\nresolution=big\n[window]\nfullScreen=1,2\ngeometry=here\n")
            << missing() << StoredSettings{}
            << QStringList{u"game/cameraSensitivity"_s, u"game/freezingSpeed"_s, u"game/sound"_s,     u"camera/back"_s,
                           u"camera/resolution"_s,      u"window/fullScreen"_s,  u"window/geometry"_s};
        QTest::newRow("out of range: the nearest value")
            << bytes("[game]\ncameraSensitivity=-5000\nfreezingSpeed=500\n") << missing()
            << with([](StoredSettings &s) {
                   s.cameraSensitivity = -1530;
                   s.freezingSpeed = 100;
               })
            << QStringList{u"game/cameraSensitivity"_s, u"game/freezingSpeed"_s};
        QTest::newRow("the system file only") << missing() << bytes(kGoodFile) << good << QStringList{};
        QTest::newRow("both: the user's values over the system's")
            << bytes("[game]\nfreezingSpeed=2\n[camera]\nresolution=default\n") << bytes(kGoodFile)
            << with([&good](StoredSettings &s) {
                   s = good;
                   s.freezingSpeed = 2;
                   s.resolutions[""] = std::nullopt;
               })
            << QStringList{};
        QTest::newRow("both: a bad user value keeps the system's")
            << bytes("[game]\nfreezingSpeed=fast\n") << bytes(kGoodFile) << good
            << QStringList{u"game/freezingSpeed"_s};
        QTest::newRow("both broken") << bytes(randomBytes(1000, 1)) << bytes(randomBytes(1000, 2)) << StoredSettings{}
                                     << QStringList{};
    }

    void load()
    {
        QFETCH(FileContent, user);
        QFETCH(FileContent, system);
        QFETCH(StoredSettings, expected);
        QFETCH(QStringList, warned);
        put(m_user, user);
        put(m_system, system);

        const SettingsWarnings warnings;
        const StoredSettings loaded = SettingsFiles(m_user, {m_system}).load();
        QCOMPARE(loaded, expected);
        for (const QString &what : warned) {
            const qsizetype naming = warnings.messages().filter(what).size();
            QVERIFY2(naming == 1, qPrintable(what + u" named "_s + QString::number(naming) + u" times in: "_s
                                             + warnings.messages().join(u" | "_s)));
        }
        if (warned.isEmpty()) {
            // Garbage may say the file is broken, but names no key of ours.
            for (const QString &message : warnings.messages())
                QVERIFY2(!message.contains(u"game/"_s) && !message.contains(u"camera/"_s), qPrintable(message));
        }
    }

    void theSystemFilesInOrder()
    {
        // The first of $XDG_CONFIG_DIRS wins over the later ones.
        const QString second = m_dir->filePath(u"etc2/frostpane/frostpane.conf"_s);
        put(m_system, bytes("[game]\nfreezingSpeed=4\n"));
        put(second, bytes("[game]\nfreezingSpeed=9\ncameraSensitivity=99\n"));
        const StoredSettings loaded = SettingsFiles(m_user, {m_system, second}).load();
        QCOMPARE(loaded.freezingSpeed, 4);
        QCOMPARE(loaded.cameraSensitivity, 99);
    }

    void theEnvironmentNamesTheFiles()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(u"home"_s)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir->filePath(u"etc"_s) + u":/nowhere"_s));
        const SettingsFiles store;
        QCOMPARE(store.userFile(), m_user);
        QCOMPARE(store.systemFiles(), (QStringList{m_system, u"/nowhere/frostpane/frostpane.conf"_s}));
        qunsetenv("XDG_CONFIG_DIRS");
        QCOMPARE(SettingsFiles().systemFiles(), QStringList{u"/etc/xdg/frostpane/frostpane.conf"_s});
    }

    void whatIsSavedLoadsTheSame()
    {
        put(m_system, bytes(kGoodFile));
        const QByteArray systemBefore = contentOf(m_system);
        const StoredSettings saved = with([](StoredSettings &s) {
            s.cameraSensitivity = -700;
            s.freezingSpeed = 0;
            s.sound = false;
            s.backCamera = false;
            s.geometry = randomBytes(66, 3).toStdString();
            s.resolutions = {{"/dev/video0", VideoCaptureSetting{1280, 720, 29.97}},
                             {"/dev/video2", std::nullopt},
                             {"", VideoCaptureSetting{640, 480, 15.0}}};
        });
        const SettingsFiles store(m_user, {m_system});
        QVERIFY(store.save(saved));
        QCOMPARE(store.load(), saved);
        QCOMPARE(contentOf(m_system), systemBefore); // only ever read
        // Nothing is left beside the file: no temporary, no lock.
        QCOMPARE(QDir(QFileInfo(m_user).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"frostpane.conf"_s});
    }

    void savingReplacesABrokenFile()
    {
        put(m_user, bytes(randomBytes(2000, 5)));
        const SettingsFiles store(m_user, {});
        const StoredSettings saved = with([](StoredSettings &s) { s.freezingSpeed = 42; });
        QVERIFY(store.save(saved));
        const SettingsWarnings warnings;
        QCOMPARE(store.load(), saved);
        QVERIFY2(warnings.messages().isEmpty(), qPrintable(warnings.messages().join(u" | "_s))); // no junk kept
    }

    void anUnwritablePlaceLeavesTheOldFile()
    {
        // A folder where the file should be: nothing can replace it (as root
        // too, where permissions would not stop the test).
        put(m_user, folder());
        const SettingsWarnings warnings;
        QVERIFY(!SettingsFiles(m_user, {}).save(StoredSettings{}));
        QVERIFY(QFileInfo(m_user).isDir());
        QCOMPARE(warnings.messages().size(), 1);

        // A file where the folder should be.
        const QString blocked = m_dir->filePath(u"file/frostpane/frostpane.conf"_s);
        put(m_dir->filePath(u"file"_s), bytes("x"));
        QVERIFY(!SettingsFiles(blocked, {}).save(StoredSettings{}));
        QCOMPARE(contentOf(m_dir->filePath(u"file"_s)), QByteArray("x"));
    }

    // A user's file that could not be read may hold the parent's values: it
    // is left as it is, with one warning however often the game saves.
    void anUnreadableFileIsNeverReplaced_data()
    {
        QTest::addColumn<FileContent>("user");
        QTest::newRow("a FIFO") << fifo();
        QTest::newRow("a folder") << folder();
        QTest::newRow("over 64 KB") << bytes(goodFileOfSize(SettingsFiles::kMaximumFileSize + 100));
    }

    void anUnreadableFileIsNeverReplaced()
    {
        QFETCH(FileContent, user);
        put(m_user, user);
        const QFileInfo before(m_user);
        const SettingsFiles store(m_user, {});
        const SettingsWarnings warnings;
        QCOMPARE(store.load(), StoredSettings{});
        QCOMPARE(warnings.messages().size(), 1); // cannot read
        for (int freezing : {5, 6, 7})
            QVERIFY(!store.save(with([freezing](StoredSettings &s) { s.freezingSpeed = freezing; })));
        QCOMPARE(warnings.messages().size(), 2); // not saved, once
        const QFileInfo after(m_user);
        QCOMPARE(after.isFile(), before.isFile());
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.lastModified(), before.lastModified());
        if (user.kind == FileContent::Kind::Bytes)
            QCOMPARE(contentOf(m_user), user.bytes);
        // Once it is gone (the parent reset the settings), the game saves again.
        if (user.kind == FileContent::Kind::Folder)
            return; // a folder is not removed
        QVERIFY(store.forgetUserValues());
        QVERIFY(store.save(with([](StoredSettings &s) { s.freezingSpeed = 8; })));
        QCOMPARE(store.load().freezingSpeed, 8);
    }

    void aFifoPutInPlaceAfterLoadingIsLeftAlone()
    {
        const SettingsFiles store(m_user, {});
        QCOMPARE(store.load(), StoredSettings{});
        put(m_user, fifo());
        const SettingsWarnings warnings;
        QVERIFY(!store.save(StoredSettings{}));
        QCOMPARE(warnings.messages().size(), 1);
        struct stat status
        { };
        QCOMPARE(::lstat(QFile::encodeName(m_user).constData(), &status), 0);
        QVERIFY(S_ISFIFO(status.st_mode));
    }

    void onlyTheGamesKeysAreWritten()
    {
        put(m_user, bytes("[game]\nfreezingSpeed=9\nbonus=1\n[junk]\n" + randomBytes(3000, 11).toBase64()
                          + "=x\nother=y\n[camera]\nresolution%2Fx=640x480@30\n"));
        const SettingsFiles store(m_user, {});
        const StoredSettings loaded = store.load();
        QCOMPARE(loaded.freezingSpeed, 9);
        QVERIFY(store.save(loaded));
        const QSettings written(m_user, QSettings::IniFormat);
        QStringList expected;
        for (const auto &[key, value] : storedSettingsValues(loaded))
            expected.append(QString::fromStdString(key));
        QStringList keys = written.allKeys();
        keys.sort();
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(store.load(), loaded);
    }

    void aSaveReplacesTheFileWholeNeverInPlace()
    {
        const SettingsFiles store(m_user, {});
        QVERIFY(store.save(with([](StoredSettings &s) { s.freezingSpeed = 7; })));
        const QByteArray before = contentOf(m_user);
        // A second name for the old file: written in place, it would change too.
        const QString oldName = m_dir->filePath(u"old.conf"_s);
        QCOMPARE(::link(QFile::encodeName(m_user).constData(), QFile::encodeName(oldName).constData()), 0);
        const SettingsWarnings warnings;
        QVERIFY(store.save(with([](StoredSettings &s) { s.freezingSpeed = 8; })));
        QCOMPARE(contentOf(oldName), before);
        // The link taken apart is said, naming the file.
        QCOMPARE(warnings.messages().size(), 1);
        QVERIFY2(warnings.messages().constFirst().contains(u"hard link"_s)
                     && warnings.messages().constFirst().contains(m_user),
                 qPrintable(warnings.messages().constFirst()));
        QCOMPARE(store.load().freezingSpeed, 8);
    }

    // Dotfiles kept in a folder of their own: the settings file is a link
    // (or a chain of them) to the file there. Saving replaces the file at
    // the end and leaves every link a link; a link to a file not there yet
    // creates it, in a folder that is there.
    void aLinkedFileIsSavedThroughTheLinks_data()
    {
        QTest::addColumn<QStringList>("chain"); // each link's text, the first one's at the user's file
        QTest::addColumn<bool>("targetThere");
        QTest::newRow("absolute link") << QStringList{u"@/dotfiles/frostpane.conf"_s} << true;
        QTest::newRow("relative link") << QStringList{u"../../dotfiles/frostpane.conf"_s} << true;
        QTest::newRow("two links, the second relative")
            << QStringList{u"@/links/frostpane.conf"_s, u"../dotfiles/frostpane.conf"_s} << true;
        QTest::newRow("a link to a file not there yet") << QStringList{u"@/dotfiles/frostpane.conf"_s} << false;
    }

    void aLinkedFileIsSavedThroughTheLinks()
    {
        QFETCH(QStringList, chain);
        QFETCH(bool, targetThere);
        const QString target = m_dir->filePath(u"dotfiles/frostpane.conf"_s);
        QVERIFY(QDir().mkpath(m_dir->filePath(u"dotfiles"_s)));
        QVERIFY(QDir().mkpath(m_dir->filePath(u"links"_s)));
        QVERIFY(QDir().mkpath(QFileInfo(m_user).absolutePath()));
        if (targetThere)
            put(target, bytes(kGoodFile));
        QStringList links{m_user};
        for (qsizetype i = 1; i < chain.size(); ++i)
            links.append(m_dir->filePath(u"links/frostpane.conf"_s));
        for (qsizetype i = 0; i < chain.size(); ++i) {
            chain[i].replace(u"@"_s, m_dir->path());
            QCOMPARE(::symlink(QFile::encodeName(chain[i]).constData(), QFile::encodeName(links[i]).constData()), 0);
        }

        const SettingsFiles store(m_user, {});
        QCOMPARE(store.load().freezingSpeed, targetThere ? 3 : StoredSettings{}.freezingSpeed);
        const SettingsWarnings warnings;
        QVERIFY(store.save(with([](StoredSettings &s) { s.freezingSpeed = 42; })));
        QVERIFY2(warnings.messages().isEmpty(), qPrintable(warnings.messages().join(u" | "_s)));
        for (qsizetype i = 0; i < chain.size(); ++i) {
            QVERIFY(QFileInfo(links[i]).isSymLink());
            QCOMPARE(linkText(links[i]), chain[i]); // as written, not replaced
        }
        QCOMPARE(QSettings(target, QSettings::IniFormat).value(u"game/freezingSpeed"_s).toInt(), 42);
        QCOMPARE(store.load().freezingSpeed, 42);
        // No new file is left beside the target or the links.
        QCOMPARE(QDir(m_dir->filePath(u"dotfiles"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{u"frostpane.conf"_s});
        QCOMPARE(QDir(QFileInfo(m_user).absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{u"frostpane.conf"_s});
    }

    // A link into a folder that is not there (a drive not mounted, a
    // dotfiles folder moved away): nothing is made on its far side.
    void aLinkIntoAMissingFolderIsRefused()
    {
        const QString target = m_dir->filePath(u"unmounted/dotfiles/frostpane.conf"_s);
        QVERIFY(QDir().mkpath(QFileInfo(m_user).absolutePath()));
        QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(m_user).constData()), 0);
        const SettingsFiles store(m_user, {});
        QCOMPARE(store.load(), StoredSettings{});
        const SettingsWarnings warnings;
        QVERIFY(!store.save(with([](StoredSettings &s) { s.freezingSpeed = 42; })));
        QCOMPARE(warnings.messages().size(), 1);
        QVERIFY2(warnings.messages().constFirst().contains(m_dir->filePath(u"unmounted/dotfiles"_s)),
                 qPrintable(warnings.messages().constFirst()));
        QVERIFY(!QFileInfo::exists(m_dir->filePath(u"unmounted"_s)));
        QVERIFY(QFileInfo(m_user).isSymLink());
        QCOMPARE(QDir(QFileInfo(m_user).absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{u"frostpane.conf"_s});
    }

    void forgettingKeepsTheSystemValues()
    {
        put(m_system, bytes("[game]\nfreezingSpeed=4\n"));
        const SettingsFiles store(m_user, {m_system});
        QVERIFY(store.save(with([](StoredSettings &s) { s.freezingSpeed = 77; })));
        QCOMPARE(store.load().freezingSpeed, 77);
        QVERIFY(store.forgetUserValues());
        QVERIFY(!QFileInfo::exists(m_user));
        QCOMPARE(store.load().freezingSpeed, 4);
        QVERIFY(store.forgetUserValues()); // nothing to forget is no failure
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_user;
    QString m_system;
};

QTEST_APPLESS_MAIN(TestSettingsFiles)
#include "test_settings_files.moc"
