#include "sync/Pendencias.h"

#include "common/CnsNumber.h"
#include "common/Error.h"
#include "common/ProgressObserver.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/TransactionGuard.h"
#include "db/UFunc.h"
#include "lists/ListKinds.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "sync/PendingPeriods.h"
#include "transmission/RowCheckMessages.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionKind.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <map>
#include <memory>

namespace tavro {

namespace {

// Records a kind builds before its batch is begun again (as many as a run's batch holds by
// default): the checks build each record as a run does, but no batch is kept.
constexpr int RecordsPerBatch = DefaultLoteMaximo;

// What a refusal concerns, which names the item it is listed under.
enum class Subject { Pessoa, Produto, Lote, Documento, Linha };

const QString PessoaSemCnsGroup = QStringLiteral("Pessoa sem CNS");
const QString ProdutoSemCodigoGroup = QStringLiteral("Produto sem código");

struct GroupRule
{
    QString prefix; // of the check's line
    QString titulo;
    Subject subject;
};

// The groups of the refusals, in the order they are listed. A line no rule knows makes a
// group of its own text.
const QList<GroupRule> &groupRules()
{
    static const QList<GroupRule> rules{
        {RowCheck::PessoaSemCns, PessoaSemCnsGroup, Subject::Pessoa},
        {RowCheck::PessoaCnsIncorreto, QStringLiteral("CNS zerado ou incompleto"), Subject::Pessoa},
        {RowCheck::ProdutoSemCodigo, ProdutoSemCodigoGroup, Subject::Produto},
        {RowCheck::CodigoInvalido, QStringLiteral("Código de produto inválido"), Subject::Produto},
        {RowCheck::EntradaSemFabricante, QStringLiteral("Lote sem fabricante"), Subject::Lote},
        {RowCheck::SaidaSemFabricante, QStringLiteral("Lote sem fabricante"), Subject::Lote},
        {RowCheck::DispensacaoSemFabricante, QStringLiteral("Lote sem fabricante"), Subject::Lote},
        {RowCheck::ProdutoSemLote, QStringLiteral("Produto sem lote"), Subject::Produto},
        {RowCheck::ProdutoSemValidade, QStringLiteral("Lote sem validade"), Subject::Lote},
        {RowCheck::EntradaSemDistribuidor, QStringLiteral("Entrada sem distribuidor"), Subject::Documento},
        {RowCheck::SaidaSemDestino, QStringLiteral("Saída sem destino"), Subject::Documento},
        {RowCheck::CaractereIndefinido.section(QLatin1Char('%'), 0, 0), QStringLiteral("Valores ilegíveis"),
         Subject::Linha},
        {CaractereInvalidoMessage.section(QLatin1Char('%'), 0, 0), QStringLiteral("Valores ilegíveis"), Subject::Linha},
        {UnreadableRowMessage, QStringLiteral("Valores ilegíveis"), Subject::Linha},
    };
    return rules;
}

QString patient(const RecordList &list, int row)
{
    const QString cns = list.subCell(row, DispensacaoCell::CnsUsuario);
    const QString nome = list.subCell(row, DispensacaoCell::NomeUsuario);
    return cns.isEmpty() ? nome : nome + QStringLiteral(" (CNS ") + cns + QLatin1Char(')');
}

QString subjectOf(Subject subject, MovementKind kind, const RecordList &list, int row, const QString &line)
{
    const TransmissionCells &cells = kindFacts(kind).cells;
    const QString produto = list.subCell(row, cells.produto);
    const QString nome = list.subCell(row, cells.nome);
    const QString product = produto.isEmpty() ? nome : produto + QStringLiteral(" - ") + nome;
    switch (subject) {
    case Subject::Pessoa:
        return patient(list, row);
    case Subject::Produto:
        return product;
    case Subject::Lote:
        return product + QStringLiteral(", lote ") + list.subCell(row, cells.lote);
    case Subject::Documento:
        // A line's caption is its document and line number; the fix is on the document.
        return kindFacts(kind).caption + QStringLiteral(", lançamento ")
            + list.caption(row).section(QLatin1Char('-'), 0, 0);
    case Subject::Linha:
        return line;
    }
    Q_UNREACHABLE();
}

// Groups the rows as they are found; a group's items keep the order of their first row.
class Grouping
{
public:
    void add(const QString &titulo, bool aviso, const QString &assunto, PendenciaRow row)
    {
        auto found = m_groups.find(titulo);
        if (found == m_groups.end())
            found = m_groups.emplace(titulo, Group{PendenciaGroup{titulo, aviso, {}}, {}}).first;
        Group &group = found->second;
        const auto item = group.items.constFind(assunto);
        if (item == group.items.cend()) {
            group.items.insert(assunto, int(group.group.itens.size()));
            group.group.itens.append({assunto, {std::move(row)}});
        } else {
            group.group.itens[*item].rows.append(std::move(row));
        }
    }

    // The known groups in the rules' order, the others by title, the warnings last.
    QList<PendenciaGroup> groups() const
    {
        QList<PendenciaGroup> result;
        QSet<QString> taken;
        const auto take = [&](const QString &titulo) {
            const auto found = m_groups.find(titulo);
            if (found != m_groups.end() && !taken.contains(titulo)) {
                taken.insert(titulo);
                result.append(found->second.group);
            }
        };
        for (const GroupRule &rule : groupRules())
            take(rule.titulo);
        for (const auto &[titulo, group] : m_groups) {
            if (!group.group.aviso)
                take(titulo);
        }
        for (const auto &[titulo, group] : m_groups)
            take(titulo);
        return result;
    }

private:
    struct Group
    {
        PendenciaGroup group;
        QHash<QString, int> items; // by subject, its index in the group
    };
    std::map<QString, Group> m_groups;
};

// Does another list read the records of this list's table?
bool sharesTable(MovementKind kind)
{
    for (const MovementKind other : AllLists) {
        if (other != kind && kindFacts(other).table == kindFacts(kind).table)
            return true;
    }
    return false;
}

// One of the sends that read a list, with the batch its checks build records into.
struct ListSend
{
    std::unique_ptr<TransmissionKind> kind;
    int built = 0;
};

// Runs the sends' checks over the rows of lists still to send and groups what they refuse.
class ListScanner
{
public:
    void scan(MovementKind kind, const QString &unidade, const RecordList &list)
    {
        std::vector<ListSend> sends;
        for (const MovementKind transmit : AllKinds) {
            if (kindFacts(transmit).list == kind) {
                sends.push_back({kindFacts(transmit).make()});
                sends.back().kind->begin(BatchContext{});
            }
        }
        const TransmissionCells cells = kindFacts(kind).cells;
        m_shared = sharesTable(kind);
        for (int row = 0; row < list.rowCount(); ++row) {
            if (!rowToSend(list, row, cells, QString()))
                continue;
            scanRow(kind, unidade, list, row, sends);
            if (kind == MovementKind::Dispensacoes)
                warnCard(unidade, list, row);
        }
    }

    // The rows some send of another list took are not pending: an issue line with a
    // destination is in the issue list as well as in the dispensation list.
    void fill(Pendencias &result) const
    {
        Grouping grouping;
        QSet<QString> refused;
        for (const Finding &finding : m_findings) {
            if (!finding.aviso && m_taken.contains(finding.record))
                continue;
            if (!finding.aviso)
                refused.insert(finding.record);
            grouping.add(finding.titulo, finding.aviso, finding.assunto, finding.row);
        }
        result.grupos = grouping.groups();
        result.recusados = int(refused.size());
        result.avisos = m_avisos;
    }
    int recusados() const { return m_recusados; }

private:
    // A row is pending when each send of its list refuses it; its lines are every send's.
    void scanRow(MovementKind kind, const QString &unidade, const RecordList &list, int row,
                 std::vector<ListSend> &sends)
    {
        QStringList lines;
        for (ListSend &send : sends) {
            QStringList erros;
            if (rowPasses(*send.kind, list, row, erros) && addRow(*send.kind, list, row, erros)) {
                if (++send.built == RecordsPerBatch) {
                    send.kind->begin(BatchContext{});
                    send.built = 0;
                }
                if (m_shared)
                    m_taken.insert(recordOf(kind, list, row));
                return;
            }
            for (const QString &line : std::as_const(erros)) {
                // Not a fix: the row is the card holders' send's.
                if (!line.startsWith(RowCheck::ApenasSemCartao) && !lines.contains(line))
                    lines.append(line);
            }
        }
        ++m_recusados;
        QSet<QString> groups; // a row is listed once in a group, under the first line that puts it there
        for (const QString &line : std::as_const(lines)) {
            const auto [titulo, assunto] = placeOf(kind, list, row, line);
            if (!groups.contains(titulo)) {
                groups.insert(titulo);
                m_findings.append(
                    {recordOf(kind, list, row), titulo, false, assunto, pendenciaRow(kind, unidade, list, row, line)});
            }
        }
    }

    // The group and subject of a refusal line.
    static std::pair<QString, QString> placeOf(MovementKind kind, const RecordList &list, int row, const QString &line)
    {
        for (const GroupRule &rule : groupRules()) {
            if (!line.startsWith(rule.prefix))
                continue;
            QString titulo = rule.titulo;
            // The checks also call a missing card or code one that is too short: the fix is to fill it in.
            if (rule.prefix == RowCheck::PessoaCnsIncorreto
                && list.subCellView(row, DispensacaoCell::CnsUsuario).trimmed().isEmpty())
                titulo = PessoaSemCnsGroup;
            if (rule.prefix == RowCheck::CodigoInvalido
                && list.subCellView(row, kindFacts(kind).cells.produto).trimmed().isEmpty())
                titulo = ProdutoSemCodigoGroup;
            return {titulo, subjectOf(rule.subject, kind, list, row, line)};
        }
        // A check's own text names the group: what precedes its colon or exclamation mark.
        return {line.section(QLatin1Char(':'), 0, 0).section(QLatin1Char('!'), 0, 0).trimmed(), line};
    }

    void warnCard(const QString &unidade, const RecordList &list, int row)
    {
        const QString cns = SoNumeros(list.subCellView(row, DispensacaoCell::CnsUsuario));
        // A card the send refuses (missing, zeros, short) is not warned about again.
        if (cns.size() < 15 || cns == QLatin1String("000000000000000") || cnsCheckDigitValid(cns))
            return;
        ++m_avisos;
        m_findings.append({QString(), CnsInvalidoGroup, true, patient(list, row),
                           pendenciaRow(MovementKind::Dispensacoes, unidade, list, row,
                                        CnsInvalidoGroup + QStringLiteral(": ") + cns)});
    }

    static PendenciaRow pendenciaRow(MovementKind kind, const QString &unidade, const RecordList &list, int row,
                                     const QString &line)
    {
        return {kind, unidade, list.caption(row), list.subCell(row, kindFacts(kind).cells.dia), line};
    }

    // A record: its table and its row's caption.
    static QString recordOf(MovementKind kind, const RecordList &list, int row)
    {
        return kindFacts(kind).table + QLatin1Char('/') + list.caption(row);
    }

    struct Finding
    {
        QString record; // empty for a warning
        QString titulo;
        bool aviso;
        QString assunto;
        PendenciaRow row;
    };

    QList<Finding> m_findings;
    QSet<QString> m_taken; // records of tables two lists read that a send of one takes
    bool m_shared = false; // the list being scanned reads such a table
    int m_recusados = 0;
    int m_avisos = 0;
};

class PendenciaScan
{
public:
    PendenciaScan(Database &db, ProgressObserver *observer)
        : m_db(db)
        , m_observer(observer)
    {
        m_clock.start();
    }

    bool stopped()
    {
        if (m_observer && m_observer->stopRequested())
            m_interrompido = true;
        return m_interrompido;
    }

    void setTotal(qint64 total) { m_total = total; }

    // The lists of one unit's month: each period list, and the stock list of each day.
    void scanMonth(const QString &unidade, const Period &period)
    {
        for (const MovementKind kind : AllLists) {
            if (stopped())
                return;
            ListSearch search;
            search.kind = kind;
            search.unidade = unidade; // the stock list matches the unit by code or CNES
            search.period = period;
            // Every record, whatever its status: a status outside the vocabulary is still sent.
            search.status = StatusBoxes{false, false, false, false, false};
            // A product without its catalogue code is a fix too: a send refuses its rows once the
            // clerk shows them ("Exibir sem código").
            search.exibirSemCodigo = true;
            if (kindFacts(kind).daily) {
                for (const QString &dia : pendingStockDays(m_db, unidade, period)) {
                    if (stopped())
                        return;
                    search.dia = dia;
                    scanList(search);
                }
            } else {
                scanList(search);
            }
            ++m_done;
            report();
        }
    }

    Pendencias result() const
    {
        Pendencias pendencias;
        m_scanner.fill(pendencias);
        pendencias.listas = m_listas;
        pendencias.interrompido = m_interrompido;
        return pendencias;
    }

private:
    void report()
    {
        if (!m_observer)
            return;
        Progress progress;
        progress.work = Progress::Work::Pendencias;
        progress.current = m_done;
        progress.total = m_total;
        progress.recusados = m_scanner.recusados();
        progress.elapsedMs = m_clock.elapsed();
        m_observer->progressed(progress);
    }

    void scanList(const ListSearch &search)
    {
        const std::unique_ptr<RecordList> list(newMovementList(search.kind, nullptr));
        {
            const ReadSnapshot snapshot(m_db); // the stock list's search leaves its transaction open
            fillMovementList(m_db, search, *list);
        }
        ++m_listas;
        m_scanner.scan(search.kind, search.unidade, *list);
    }

    Database &m_db;
    ProgressObserver *m_observer;
    QElapsedTimer m_clock;
    ListScanner m_scanner;
    int m_listas = 0;
    bool m_interrompido = false;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

bool inRequest(const Period &period, const PendenciasRequest &request)
{
    const QDate first = dateFromText(period.dataInicial);
    return (request.de.isNull() || first >= request.de) && (request.ate.isNull() || first <= request.ate);
}

} // namespace

int PendenciaGroup::registros() const
{
    int count = 0;
    for (const PendenciaItem &item : itens)
        count += int(item.rows.size());
    return count;
}

QList<QPair<QString, int>> Pendencias::contagens() const
{
    QList<QPair<QString, int>> counts;
    for (const PendenciaGroup &group : grupos) {
        if (!group.aviso)
            counts.append({group.titulo, group.registros()});
    }
    return counts;
}

QStringList allUnitCodes(Database &db)
{
    SqlStatement query{QStringLiteral("select codigo from unidades order by codigo")};
    QStringList codes;
    const ReadSnapshot snapshot(db);
    SqlCursor cursor = db.select(query);
    while (cursor.next())
        codes.append(cursor.text(0));
    return codes;
}

QList<QPair<QString, int>> pendenciaCounts(MovementKind kind, const RecordList &list)
{
    ListScanner scanner;
    scanner.scan(kind, QString(), list);
    Pendencias pendencias;
    scanner.fill(pendencias);
    return pendencias.contagens();
}

Pendencias listPendencias(Database &db, const PendenciasRequest &request, ProgressObserver *observer)
{
    QList<QPair<QString, Period>> months;
    for (const QString &unidade : request.unidades) {
        for (const Period &period : pendingMonths(db, unidade, unidade)) {
            if (inRequest(period, request))
                months.append({unidade, period});
        }
    }
    PendenciaScan scan(db, observer);
    scan.setTotal(qint64(months.size()) * qint64(std::size(AllLists)));
    for (const auto &[unidade, period] : std::as_const(months)) {
        if (scan.stopped())
            break;
        scan.scanMonth(unidade, period);
    }
    return scan.result();
}

} // namespace tavro
