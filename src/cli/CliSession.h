#pragma once

#include <QString>

namespace tavro {

class Database;
class IniFile;
struct DataFolder;
struct LoginValues;

// What a verb works with once the command line has logged in as the window does: the
// open connection, config.ini, the data folder (the service logs inside), the login values
// and the unit's CNES (the window's PECodCNES).
struct CliSession
{
    Database &db;
    const IniFile &ini;
    const DataFolder &data;
    const LoginValues &login;
    QString cnes;
};

} // namespace tavro
