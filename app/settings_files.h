#pragma once

#include "app/settings_file.h"
#include "core/stored_settings.h"

#include <QString>
#include <QStringList>

#include <memory>

// The settings files, the only code that reads or writes them: the user's
// own `frostpane/frostpane.conf` in the XDG config folder ($XDG_CONFIG_HOME,
// usually ~/.config) over the system's ones in $XDG_CONFIG_DIRS (usually
// /etc/xdg), which a school can fill with defaults for every account and
// which the game only reads. Problems are logged in frostpane.settings;
// nothing here throws or stops the game.
//
// Nothing here can hold up the thread that calls it for long: the files are
// read and written on worker threads, and a caller waits for one at most a
// short bound (a FIFO in place of a file, a hung network home). A worker that
// is still stuck is left to finish or hang on its own.
class SettingsFiles
{
public:
    // The longest a file is read: a settings file is a few hundred bytes, so
    // anything larger is refused (with a warning) instead of parsed.
    static constexpr qint64 kMaximumFileSize = kMaximumSettingsFileSize;
    // The longest load() waits for one file, and save() for its write (once
    // a write has taken longer, saves do not wait until it is done).
    static constexpr int kReadWaitMilliseconds = 1000;
    static constexpr int kWriteWaitMilliseconds = 1000;

    // The files the environment names.
    SettingsFiles();
    // The user's file and the system's files, most important first.
    SettingsFiles(QString userFile, QStringList systemFiles);
    ~SettingsFiles();

    const QString &userFile() const { return m_userFile; }
    const QStringList &systemFiles() const { return m_systemFiles; }

    // The defaults, then the system files, then the user's file. A file that
    // can be read but not parsed counts as far as it could be parsed; one
    // that cannot be read (not a plain file, too large, no answer within the
    // bound, no right to read) is left out with a warning. Such a user's
    // file is never overwritten by this store afterwards.
    StoredSettings load() const;
    // Writes the game's keys (and no others) into the user's file, creating
    // its folder. The file is replaced whole or not at all, and only when
    // what is there is a plain file or nothing. Waits for the write at most
    // kWriteWaitMilliseconds; returns true when it was done by then, false
    // when it failed or is still going on (logged).
    bool save(const StoredSettings &settings) const;
    // The game ends: waits at most `timeoutMs` for the write under way and
    // the latest values after it, even when a save stopped waiting for them
    // earlier; true when all is written. When the bound passes, the log
    // names the values not saved, and the new file begun beside the user's
    // is removed, so nothing is left behind.
    bool finishWrites(int timeoutMs) const;
    // Removes the user's file, so that only the system's values and the
    // defaults count. Returns false when it is there and stays (logged).
    bool forgetUserValues() const;

private:
    struct Writer;

    QString m_userFile;
    QStringList m_systemFiles;
    // Shared with the write worker, which may outlive the store.
    std::shared_ptr<Writer> m_writer;
};
