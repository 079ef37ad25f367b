#pragma once

#include "db/Database.h"
#include "session/IniFile.h"

#include <QString>

namespace tavro {

struct ConfigPlaces;

// The database account of [GERAL]: UsuarioBanco, and the first line of SenhaBancoArquivo (a
// file its owner alone may read) or else SenhaBanco; each absent key keeps the default login's
// value. CharsetBanco names the code page of the texts a database without a character set
// holds (WIN1252 when absent). Throws Error when the password file is refused or cannot be
// read, or CharsetBanco names no code page the program knows.
DatabaseLogin readDatabaseLogin(const IniFile &ini);

// What start-up shows when it cannot open `database`: the fixed text and the name. An empty
// name also says which configuration files were read and which key names the database.
QString databaseNotFoundText(const QString &database, const ConfigPlaces &places);

} // namespace tavro
