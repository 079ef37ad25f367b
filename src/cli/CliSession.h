#pragma once

#include <QString>

namespace tavro {

class Database;
class IniFile;
struct LoginValues;

// What a verb works with once the command line has logged in as the window does: the
// open connection, config.ini, the folder of the service logs, the login values and the
// unit's CNES (the window's PECodCNES).
struct CliSession
{
    Database &db;
    const IniFile &ini;
    const QString &logFolder;
    const LoginValues &login;
    QString cnes;
};

} // namespace tavro
