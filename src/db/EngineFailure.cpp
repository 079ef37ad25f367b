#include "db/EngineFailure.h"

#include <algorithm>
#include <cerrno>

namespace tavro {

namespace {

// The system error (errno) the engine reports beside an input/output failure, or 0.
ISC_STATUS systemError(const ISC_STATUS *status)
{
    for (const ISC_STATUS *s = status; *s != isc_arg_end; s += *s == isc_arg_cstring ? 3 : 2) {
        if (s[0] == isc_arg_unix)
            return s[1];
    }
    return 0;
}

} // namespace

bool hasCode(const ISC_STATUS *status, std::initializer_list<ISC_STATUS> codes)
{
    for (const ISC_STATUS *s = status; *s != isc_arg_end; s += *s == isc_arg_cstring ? 3 : 2) {
        if (s[0] == isc_arg_gds && std::find(codes.begin(), codes.end(), s[1]) != codes.end())
            return true;
    }
    return false;
}

QString engineText(const ISC_STATUS *status, const QString &separator)
{
    QString text;
    char buffer[1024];
    const ISC_STATUS *vector = status;
    while (fb_interpret(buffer, sizeof buffer, &vector) > 0) {
        if (!text.isEmpty())
            text += separator;
        text += QString::fromUtf8(buffer);
    }
    return text;
}

QString engineReason(const ISC_STATUS *status, const QString &database, const QString &user)
{
    const QString named = database.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(database);
    if (hasCode(status, {isc_login}))
        return QStringLiteral("O Firebird recusou o usuário %1 no banco de dados%2: confira UsuarioBanco e SenhaBanco "
                              "na seção [GERAL] do config.ini.")
            .arg(user.isEmpty() ? QStringLiteral("informado") : user, named);
    if (hasCode(status, {isc_already_opened}))
        return QStringLiteral("O banco de dados%1 está aberto por outro programa desta máquina (a janela do "
                              "transmissor ou o tavro-cli) com o Firebird embutido em modo exclusivo. Para os dois "
                              "usarem o mesmo arquivo, defina ServerMode = SuperClassic no firebird.conf "
                              "(/etc/firebird/3.0/firebird.conf), ou abra o banco pelo servidor Firebird "
                              "(DATABASE=localhost:/caminho/do/banco.fdb).")
            .arg(named);
    if (hasCode(status,
                {isc_network_error, isc_net_read_err, isc_net_write_err, isc_conn_lost, isc_lost_db_connection}))
        return QStringLiteral("Não foi possível falar com o servidor Firebird%1: confira se ele está ligado e se o "
                              "nome, a porta e a rede (firewall, VPN) estão certos.")
            .arg(named);
    if (hasCode(status, {isc_shutdown, isc_att_shutdown}))
        return QStringLiteral("O banco de dados%1 foi desligado pelo administrador do Firebird; tente de novo quando "
                              "ele voltar.")
            .arg(named);
    const ISC_STATUS error = systemError(status);
    if (error == ENOSPC || error == EDQUOT)
        return QStringLiteral("O disco do banco de dados%1 está cheio: libere espaço e repita a operação.").arg(named);
    if (hasCode(status, {isc_io_error})) {
        if (error == ENOENT || error == ENOTDIR)
            return QStringLiteral("O arquivo do banco de dados%1 não existe: confira a chave DATABASE da seção "
                                  "[GERAL] do config.ini.")
                .arg(named);
        if (error == EACCES || error == EPERM || error == EROFS)
            return QStringLiteral("Este usuário do sistema não pode ler e gravar o arquivo do banco de dados%1: "
                                  "confira as permissões do arquivo e de sua pasta.")
                .arg(named);
    }
    return QString();
}

} // namespace tavro
