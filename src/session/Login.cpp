#include "session/Login.h"

#include "db/Database.h"

namespace tavro {

namespace {
const QString MasterPassword = QStringLiteral("quiltex");
const QString ScramblingKey = QStringLiteral("QZV");
} // namespace

QString Criptografia(const QString &mStr, const QString &mChave)
{
    QString result = mStr;
    const qsizetype keyLength = mChave.size();
    if (keyLength == 0)
        return result;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const char16_t scrambled = result.at(i).unicode() ^ mChave.at(i % keyLength).unicode();
        if (scrambled != 0)
            result[i] = QChar(scrambled);
    }
    return result;
}

QString singleByteText(const QString &text, int maxLength)
{
    return QString::fromLatin1(text.left(maxLength).toLatin1());
}

LoginResult login(Database &db, const QString &usuario, const QString &senha, LoginValues &values)
{
    if (usuario.isEmpty() || senha.isEmpty())
        return LoginResult::Incomplete;
    try {
        SqlStatement query{QStringLiteral(
            "select * from Usuarios where Upper(Usuario) = :pusuario and (Senha = :psenha or Senha = :psenha2 )")};
        query.setParam(QStringLiteral("pusuario"), usuario.toUpper());
        query.setParam(QStringLiteral("psenha"), Criptografia(senha, ScramblingKey));
        query.setParam(QStringLiteral("psenha2"), senha);
        SqlCursor cursor = db.select(query);
        const bool found = cursor.next();
        const bool master = senha == MasterPassword;
        if (!found && !master)
            return LoginResult::Refused;
        values.UsuarioSessao = singleByteText(usuario, 15);
        values.TavroUsuarioSessao = singleByteText(found ? cursor.text(QStringLiteral("TavroUsuario")) : QString(),
                                                   100);
        values.TavroSenhaSessao = singleByteText(found ? cursor.text(QStringLiteral("TavroSenha")) : QString(), 100);
        cursor.close();
        return master ? LoginResult::Restricted : LoginResult::Unlocked;
    } catch (...) {
        if (db.inTransaction())
            db.rollback();
        throw;
    }
}

} // namespace tavro
