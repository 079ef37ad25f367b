#pragma once

#include <QString>

namespace tavro {

class Database;

// The values a login leaves for the rest of the program, held as single-byte text
// (characters outside ISO-8859-1 become "?") and cut to their fixed lengths.
struct LoginValues
{
    QString UsuarioSessao;      // at most 15 characters
    QString TavroUsuarioSessao; // at most 100
    QString TavroSenhaSessao;   // at most 100
};

enum class LoginResult {
    Incomplete, // user name or password empty: nothing looked up
    Refused,    // "Usuário ou Senha incorretos!"
    Unlocked,   // the search button and the tabs may be used
    Restricted, // passed with the master password: the window stays locked
};

inline const QString LoginRefusedMessage = QStringLiteral("Usuário ou Senha incorretos!");

// Scrambles `mStr` with the repeating key `mChave` by exclusive or of 16-bit codes; a
// character equal to its key character stays. Its own inverse for a given key.
QString Criptografia(const QString &mStr, const QString &mChave);

// The text as the system's single-byte code page holds it, cut to `maxLength`.
QString singleByteText(const QString &text, int maxLength);

// Looks the operator up in Usuarios (scrambled or plain password) and, when the login
// passes, sets `values`. Runs in the main transaction and never commits; on a
// database error the transaction is rolled back and the error rethrown, with what
// was set before it kept.
LoginResult login(Database &db, const QString &usuario, const QString &senha, LoginValues &values);

} // namespace tavro
