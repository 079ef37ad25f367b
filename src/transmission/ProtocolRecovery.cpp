#include "transmission/ProtocolRecovery.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/LockingTransaction.h"
#include "transmission/BatchClaim.h"
#include "transmission/LoggedBatch.h"
#include "transmission/StatusWrites.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSysInfo>

namespace tavro {

namespace {

const QString AnswerSuffix = QStringLiteral("_res.xml");
const QString RequestSuffix = QStringLiteral("_req.xml");

bool tableExists(Database &db)
{
    SqlStatement query{QStringLiteral("select 1 from rdb$relations where rdb$relation_name = :pnome")};
    query.setParam(QStringLiteral("pnome"), RecoveryTableName.toUpper());
    SqlCursor cursor = db.select(query);
    const bool exists = cursor.next();
    cursor.close();
    return exists;
}

void ensureTable(Database &db)
{
    if (tableExists(db))
        return;
    try {
        // Through the client itself: Qt's driver warns on stderr that it cannot count a DDL statement's rows.
        db.startLockingTransaction(ClaimLockTimeoutSeconds);
        db.execute(SqlStatement{QStringLiteral("create table ") + RecoveryTableName
                                + QStringLiteral(" (Arquivo varchar(120) not null primary key, "
                                                 "Protocolo varchar(25))")});
        db.commit();
    } catch (const Error &) {
        // Another program may have created it at the same moment.
        db.rollback();
        if (!tableExists(db))
            throw;
    }
}

// Logs of one station's folder are told apart from another's of the same name.
QString folderKey(const QString &logFolder)
{
    const QByteArray place = (QSysInfo::machineHostName() + QLatin1Char(':') + QDir(logFolder).absolutePath()).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(place, QCryptographicHash::Sha1).toHex()) + QLatin1Char(':');
}

QSet<QString> examinedLogs(Database &db, const QString &prefix)
{
    SqlStatement query{QStringLiteral("select Arquivo from ") + RecoveryTableName,
                       QStringLiteral("where Arquivo starting with :pprefixo")};
    query.setParam(QStringLiteral("pprefixo"), prefix);
    SqlCursor cursor = db.select(query);
    QSet<QString> examined;
    while (cursor.next())
        examined.insert(cursor.text(0).mid(prefix.size()));
    cursor.close();
    return examined;
}

// `again`: a row another program wrote meanwhile is no error.
void markExamined(Database &db, const QString &arquivo, const QString &protocolo, bool again)
{
    SqlStatement query{(again ? QStringLiteral("update or insert into ") : QStringLiteral("insert into "))
                           + RecoveryTableName + QStringLiteral(" (Arquivo, Protocolo)"),
                       QStringLiteral("values (:parquivo, :pprotocolo)")};
    if (again)
        query.add(QStringLiteral("matching (Arquivo)"));
    query.setParam(QStringLiteral("parquivo"), arquivo);
    query.setParam(QStringLiteral("pprotocolo"),
                   protocolo.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                       : QVariant(protocolo.left(StoredProtocolLength)));
    db.execute(query);
}

bool isRegistered(Database &db, const QString &protocolo)
{
    SqlStatement query{QStringLiteral("select 1 from TavroProtocolos where Protocolo = :pprotocolo")};
    query.setParam(QStringLiteral("pprotocolo"), protocolo);
    return db.select(query).next();
}

// The registry row, unless one was written meanwhile; true when this call wrote it.
bool registerRecovered(Database &db, const LoggedAnswer &answer, const LoggedRequest &batch, const QDate &day)
{
    SqlStatement query{
        QStringLiteral("merge into TavroProtocolos t using rdb$database on t.Protocolo = :pprotocolo"),
        QStringLiteral("when not matched then insert (Protocolo, Data, DataLancamento, Situacao, SituacaoPrioridade, "
                       "Tipo, cnes, ProtocoloAntigo)"),
        QStringLiteral("values (:pprotocolo, :pdata, :pdatalancamento, :psituacao, :pprioridade, :ptipo, :pcnes, "
                       ":pprotocoloantigo)")};
    query.setParam(QStringLiteral("pprotocolo"), answer.protocolo.left(StoredProtocolLength));
    query.setParam(QStringLiteral("pdata"), answer.data.left(StoredProtocolLength));
    query.setParam(QStringLiteral("pdatalancamento"), day);
    query.setParam(QStringLiteral("psituacao"), Situacao::Aguardando);
    query.setParam(QStringLiteral("pprioridade"), int(PrioridadeSituacao(Situacao::Aguardando)));
    query.setParam(QStringLiteral("ptipo"), batch.tipo);
    query.setParam(QStringLiteral("pcnes"), batch.cnes);
    query.setParam(QStringLiteral("pprotocoloantigo"),
                   batch.protocoloAntigo.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                                   : QVariant(batch.protocoloAntigo));
    return db.execute(query) > 0;
}

QByteArray readLog(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return file.readAll();
}

} // namespace

RecoveryReport recoverProtocols(Database &db, const QString &logFolder, const QDate &hoje)
{
    RecoveryReport report;
    const QDir folder(logFolder);
    const QStringList answers = folder.entryList({QLatin1Char('*') + AnswerSuffix}, QDir::Files, QDir::Name);
    if (answers.isEmpty())
        return report;
    db.rollback();
    ensureTable(db);
    const QString prefix = folderKey(logFolder);
    const QSet<QString> examined = examinedLogs(db, prefix);
    db.rollback();

    // Answers with nothing to record (no batch's protocol, or a protocol already registered) are
    // noted in one transaction; the others are recorded one by one, each with its own commit.
    struct Candidate
    {
        QString name;
        LoggedAnswer answer;
    };
    QList<Candidate> candidates;
    try {
        db.startLockingTransaction(ClaimLockTimeoutSeconds);
        for (const QString &name : answers) {
            if (examined.contains(name))
                continue;
            std::optional<LoggedAnswer> answer;
            try {
                answer = readAnswerLog(readLog(folder.filePath(name)));
            } catch (const Error &error) {
                report.failures.append(QStringLiteral("Log %1 não lido: %2").arg(name, error.message()));
                continue;
            }
            const QString protocolo = answer ? answer->protocolo.left(StoredProtocolLength) : QString();
            if (answer && !isRegistered(db, protocolo))
                candidates.append({name, *answer});
            else
                markExamined(db, prefix + name, protocolo, true);
        }
        db.commit();
    } catch (const RecordLocked &) {
        db.rollback(); // another program is noting the same logs; the next call looks again
    } catch (const Error &error) {
        db.rollback();
        report.failures.append(QStringLiteral("Logs de %1 não verificados: %2").arg(logFolder, error.message()));
    }

    for (const Candidate &candidate : candidates) {
        const QString &name = candidate.name;
        const LoggedAnswer &answer = candidate.answer;
        const QString protocolo = answer.protocolo.left(StoredProtocolLength);
        try {
            db.startLockingTransaction(ClaimLockTimeoutSeconds);
            // First, so a second program recording the same log at the same moment waits here and
            // then finds it taken.
            markExamined(db, prefix + name, protocolo, false);
            // A request log that is missing or holds no batch will not change: it is reported once.
            std::optional<LoggedRequest> batch;
            try {
                batch = readRequestLog(readLog(folder.filePath(name.chopped(AnswerSuffix.size()) + RequestSuffix)));
            } catch (const Error &error) {
                report.failures.append(
                    QStringLiteral("Protocolo %1 do log %2 não recuperado: %3").arg(protocolo, name, error.message()));
            }
            if (batch) {
                int marked = 0;
                for (const QString &origem : batch->origens)
                    marked += markRecordRecovered(db, batch->table, protocolo, answer.data,
                                                  recordKeyOf(batch->table, origem));
                const QDate day = QDate::fromString(name.left(10), QStringLiteral("yyyy_MM_dd"));
                if (registerRecovered(db, answer, *batch, day.isValid() ? day : hoje))
                    report.recovered.append(QStringLiteral("Protocolo %1 recuperado do log %2: %3 de %4 registros "
                                                           "marcados.")
                                                .arg(protocolo, name)
                                                .arg(marked)
                                                .arg(batch->origens.size()));
            }
            db.commit();
        } catch (const RecordLocked &) {
            // The run that sent the batch still holds its records (it is about to commit), or
            // another program is recording the log: the next call looks again.
            db.rollback();
        } catch (const DuplicateKey &) {
            db.rollback(); // another program recorded the log meanwhile
        } catch (const Error &error) {
            db.rollback();
            report.failures.append(QStringLiteral("Protocolo %1 do log %2 não recuperado agora (nova tentativa no "
                                                  "próximo início): %3")
                                       .arg(protocolo, name, error.message()));
        }
    }
    return report;
}

} // namespace tavro
