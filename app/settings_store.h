#pragma once

#include "core/stored_settings.h"

#include <QString>
#include <QStringList>

// The settings files, the only code that reads or writes them: the user's
// own `frostpane/frostpane.conf` in the XDG config folder ($XDG_CONFIG_HOME,
// usually ~/.config) over the system's ones in $XDG_CONFIG_DIRS (usually
// /etc/xdg), which a school can fill with defaults for every account and
// which the game only reads. Problems are logged in frostpane.settings;
// nothing here throws or stops the game.
class SettingsStore
{
public:
    // The files the environment names.
    SettingsStore();
    // The user's file and the system's files, most important first.
    SettingsStore(QString userFile, QStringList systemFiles);

    const QString &userFile() const { return m_userFile; }
    const QStringList &systemFiles() const { return m_systemFiles; }

    // The defaults, then the system files, then the user's file. A file that
    // cannot be read or parsed counts as far as it could be read.
    StoredSettings load() const;
    // Writes every value into the user's file, creating its folder. The file
    // is replaced whole or not at all. Returns false when it could not be
    // written (logged).
    bool save(const StoredSettings &settings) const;
    // Removes the user's file, so that only the system's values and the
    // defaults count. Returns false when it is there and stays (logged).
    bool forgetUserValues() const;

private:
    QString m_userFile;
    QStringList m_systemFiles;
};
