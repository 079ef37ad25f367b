#pragma once

#include "session/DataFolder.h"
#include "session/IniFile.h"

#include <QString>
#include <QStringList>

namespace tavro {

// The folders where config.ini and the data folder may live. `ofThisProgram` gives the
// running program's; tests give their own.
struct PlaceRoots
{
    QString programFolder;              // the executable's folder
    bool programFolderWritable = false; // this account may write there, and it is not under /usr
    QString systemConfig;               // /etc/tavro/config.ini
    QString userConfig;                 // ~/.config/tavro/config.ini
    QString sharedData;                 // /var/lib/tavro, which the package makes for the group tavro
    bool sharedDataWritable = false;    // it exists and this account may write there
    QString userData;                   // ~/.local/share/tavro

    static PlaceRoots ofThisProgram();
};

// Where this run reads and writes its configuration and keeps its data folder.
//
// config.ini beside the executable comes first (a portable install): it is read and
// written alone. Otherwise the system's file is read under the user's (the user's keys
// win) and the user's file is written. A file named on the command line wins over all.
// The data folder is the one [TAVRO] PastaDados names; without it the executable's folder
// when it can be written, else /var/lib/tavro when it can, else the user's data folder.
struct ConfigPlaces
{
    QString config;         // read first, and the file the window writes
    QStringList underlying; // read for keys `config` lacks
    DataFolder data;

    IniFile ini() const { return IniFile(config, underlying); }
    QString logFolder() const { return data.logFolder(); }
    // One line per place, for the operator: files read (missing ones marked), the file
    // written, then the data folder's lines.
    QStringList description() const;
    // The data folder and why it is the one, and the log folder inside it.
    QStringList dataFolderLines() const;
};

// `commandLineConfig` is the --config value, empty when not given.
ConfigPlaces findConfigPlaces(const QString &commandLineConfig, const PlaceRoots &roots = PlaceRoots::ofThisProgram());

} // namespace tavro
