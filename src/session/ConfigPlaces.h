#pragma once

#include "session/IniFile.h"

#include <QString>
#include <QStringList>

namespace tavro {

// The folders where config.ini and the logs may live. `ofThisProgram` gives the running
// program's; tests give their own.
struct PlaceRoots
{
    QString programFolder;              // the executable's folder
    bool programFolderWritable = false; // the "Tavro" log folder can be made or written there
    QString systemConfig;               // /etc/tavro/config.ini
    QString userConfig;                 // ~/.config/tavro/config.ini
    QString userData;                   // ~/.local/share/tavro

    static PlaceRoots ofThisProgram();
};

// Where this run reads and writes its configuration and logs its service messages.
//
// config.ini beside the executable comes first (a portable install): it is read and
// written alone. Otherwise the system's file is read under the user's (the user's keys
// win) and the user's file is written. A file named on the command line wins over all.
// The logs go beside the executable when that folder can be written, else into the
// user's data folder.
struct ConfigPlaces
{
    QString config;         // read first, and the file the window writes
    QStringList underlying; // read for keys `config` lacks
    QString logFolder;

    IniFile ini() const { return IniFile(config, underlying); }
    // One line per place, for the operator: files read (missing ones marked), the file
    // written and the log folder.
    QStringList description() const;
};

// `commandLineConfig` is the --config value, empty when not given.
ConfigPlaces findConfigPlaces(const QString &commandLineConfig, const PlaceRoots &roots = PlaceRoots::ofThisProgram());

} // namespace tavro
