#include "sync/PendenciasReport.h"

#include "common/PrivateFile.h"
#include "sync/Pendencias.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>

namespace tavro {

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted.append(csvField(field));
    return quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

} // namespace

QByteArray pendenciasCsv(const Pendencias &pendencias)
{
    QString text = csvLine({QStringLiteral("Grupo"), QStringLiteral("Aviso"), QStringLiteral("Assunto"),
                            QStringLiteral("Lista"), QStringLiteral("Unidade"), QStringLiteral("Lançamento"),
                            QStringLiteral("Data"), QStringLiteral("Mensagem")});
    for (const PendenciaGroup &group : pendencias.grupos) {
        for (const PendenciaItem &item : group.itens) {
            for (const PendenciaRow &row : item.rows)
                text += csvLine({group.titulo, group.aviso ? QStringLiteral("Sim") : QStringLiteral("Não"),
                                 item.assunto, listKind(row.list).caption, row.unidade, row.chave, row.data,
                                 row.texto});
        }
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QJsonObject pendenciasJson(const Pendencias &pendencias)
{
    QJsonArray grupos;
    for (const PendenciaGroup &group : pendencias.grupos) {
        QJsonArray itens;
        for (const PendenciaItem &item : group.itens) {
            QJsonArray rows;
            for (const PendenciaRow &row : item.rows)
                rows.append(QJsonObject{{QStringLiteral("lista"), listKind(row.list).name},
                                        {QStringLiteral("unidade"), row.unidade},
                                        {QStringLiteral("lancamento"), row.chave},
                                        {QStringLiteral("data"), row.data},
                                        {QStringLiteral("mensagem"), row.texto}});
            itens.append(QJsonObject{{QStringLiteral("assunto"), item.assunto}, {QStringLiteral("registros"), rows}});
        }
        grupos.append(QJsonObject{{QStringLiteral("grupo"), group.titulo},
                                  {QStringLiteral("aviso"), group.aviso},
                                  {QStringLiteral("registros"), group.registros()},
                                  {QStringLiteral("itens"), itens}});
    }
    return QJsonObject{{QStringLiteral("recusados"), pendencias.recusados},
                       {QStringLiteral("avisos"), pendencias.avisos},
                       {QStringLiteral("listas"), pendencias.listas},
                       {QStringLiteral("interrompido"), pendencias.interrompido},
                       {QStringLiteral("grupos"), grupos}};
}

QString pendenciasText(const Pendencias &pendencias)
{
    if (pendencias.recusados == 0 && pendencias.avisos == 0)
        return QStringLiteral("Nenhuma pendência de cadastro");
    const int refusalGroups = int(pendencias.contagens().size());
    QString text = QStringLiteral("%1 registros pendentes em %2 grupos").arg(pendencias.recusados).arg(refusalGroups);
    if (pendencias.avisos > 0)
        text += QStringLiteral(", %1 avisos").arg(pendencias.avisos);
    return text;
}

bool writePendenciasCsv(const QString &path, const Pendencias &pendencias, QString &error)
{
    QString reason;
    if (makePrivateFolder(QFileInfo(path).absolutePath(), &reason)
        && writePrivateFile(path, pendenciasCsv(pendencias), &reason))
        return true;
    error = QStringLiteral("Não foi possível gravar %1: %2").arg(path, reason);
    return false;
}

} // namespace tavro
