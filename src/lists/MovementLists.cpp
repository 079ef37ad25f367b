#include "lists/MovementLists.h"

#include "common/ProgressObserver.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/TransactionGuard.h"
#include "lists/RecordList.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <array>
#include <optional>

namespace tavro {

namespace {

const Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
const Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

void addStatusLines(SqlStatement &query, const QString &t, const StatusBoxes &s)
{
    const QStringList listed = s.situacoes();
    if (listed.isEmpty())
        return;
    query.add(QStringLiteral("and (%1tavrosituacao is null or %1tavrosituacao = '' ").arg(t));
    // A record held by a batch on its way is listed whatever the boxes say: no box names it,
    // and hiding it would hide that it is neither sent nor sendable.
    for (const QString &situacao : listed + heldSituacoes())
        query.add(QStringLiteral("or %1tavrosituacao = %2").arg(t, sqlText(situacao)));
    query.add(QStringLiteral(")"));
}

// The protocol filter binds the box's text as a parameter, so a quote in it can
// neither break the search nor change the statement.
void addProtocolLine(SqlStatement &query, const QString &t, const ListSearch &search)
{
    if (!search.protocoloSelecionado || search.protocolo.isEmpty())
        return;
    query.add(QStringLiteral("and %1tavroprotocolo = :pprotocolo").arg(t));
    query.setParam(QStringLiteral("pprotocolo"), search.protocolo);
}

const QString WithCatalogueCode = QStringLiteral("and (p.codigotavro is not null and p.codigotavro <> '')");

QStringList stockColumns()
{
    return {QStringLiteral("select c.*, p.descricao as nomeproduto, p.codigotavro,"),
            QStringLiteral("p.tavrotipo, l.dtvalidade")};
}

QStringList stockTables()
{
    return {QStringLiteral("from Conciliacao c"), QStringLiteral("inner join unidades u on u.codigo = c.codunidade"),
            QStringLiteral("inner join produtos p on p.codigo = c.codproduto"),
            QStringLiteral("inner join novolotes l on l.codProduto = c.codproduto and l.lote = c.lote")};
}

QStringList entradasColumns()
{
    return {QStringLiteral("SELECT ie.lancamento, ie.item, IE.LOTE, IE.VALORUNITARIO, "),
            QStringLiteral("ie.TavroProtocolo, ie.TavroData, ie.TavroSituacao, "),
            QStringLiteral("ie.TavroSituacaoPrioridade, ie.TavroCoRegistro,"),
            QStringLiteral("IE.QUANTIDADE, E.data AS DATA, E.TAVRO_TPMOV, e.documento,"),
            QStringLiteral("P.codigotavro, p.tavrotipo, p.descricao as nomeproduto,"),
            QStringLiteral("fa.cnpj as cnpjfabricante, fa.numerointernacional as numerofabricante,"),
            QStringLiteral("L.DTVALIDADE, f.CNPJ as cnpjdistribuidor, fi.CNPJ as cnpjdistribuidoritem")};
}

QStringList entradasTables()
{
    return {QStringLiteral("FROM ITENSENTRADAS IE "),
            QStringLiteral("INNER JOIN ENTRADAS E ON IE.lancamento=E.lancamento "),
            QStringLiteral("INNER JOIN PRODUTOS P ON IE.CODPRODUTO=P.CODIGO "),
            QStringLiteral("INNER JOIN NOVOLOTES L ON IE.CODPRODUTO=L.CODPRODUTO AND IE.LOTE=L.LOTE "),
            QStringLiteral("LEFT OUTER JOIN FORNECEDORES F ON F.CODIGO=E.CODFORNECEDOR "),
            QStringLiteral("LEFT OUTER JOIN FORNECEDORES Fi ON Fi.CODIGO=IE.CODFORNECEDOR "),
            QStringLiteral("LEFT OUTER JOIN Fabricantes Fa ON Fa.CODIGO=l.CodFabricante ")};
}

QStringList saidasColumns()
{
    return {QStringLiteral("SELECT its.lancamento, its.item, P.codigotavro, p.tavrotipo, "),
            QStringLiteral("its.TavroProtocolo, its.TavroData, its.TavroSituacao,"),
            QStringLiteral("its.tavrosituacaoprioridade, its.TavroCoRegistro,"),
            QStringLiteral("ITS.VALORUNITARIO, ITS.LOTE, L.DTVALIDADE, "),
            QStringLiteral("ITS.QUANTIDADE, S.data, s.tavro_tpmov,"),
            QStringLiteral("PS.NOME AS NOMEPESSOAdestino, ps.cnpj as cnpjdestino,"),
            QStringLiteral("u2.nome as nomeunidadedestino,"),
            QStringLiteral("u2.numero as cnesdestino, p.descricao as nomeproduto, "),
            QStringLiteral("fa.cnpj as cnpjfabricante, fa.numerointernacional as numerofabricante")};
}

QStringList saidasTables()
{
    return {QStringLiteral("FROM ITENSSAIDAS ITS "),
            QStringLiteral("INNER JOIN SAIDAS S ON ITS.lancamento=S.lancamento "),
            QStringLiteral("INNER JOIN PRODUTOS P ON ITS.CODPRODUTO=P.CODIGO "),
            QStringLiteral("INNER JOIN NOVOLOTES L ON ITS.CODPRODUTO=L.CODPRODUTO AND ITS.LOTE=L.LOTE "),
            QStringLiteral("left outer JOIN fabricantes fa ON fa.codigo = L.codfabricante "),
            QStringLiteral("left outer JOIN PESSOAS PS ON S.CODPESSOA=PS.CODIGO"),
            QStringLiteral("left outer join unidades u2 on u2.codigo = s.codunidadedestino")};
}

QStringList dispensacoesColumns()
{
    return {
        QStringLiteral(
            "SELECT its.lancamento, its.item, P.codigotavro, p.tavrotipo, ITS.VALORUNITARIO, ITS.LOTE, L.DTVALIDADE, "),
        QStringLiteral("its.TavroProtocolo, its.TavroData, its.TavroSituacao,"),
        QStringLiteral("its.tavrosituacaoprioridade, its.TavroCoRegistro,"),
        QStringLiteral("ITS.QUANTIDADE, S.data, s.tavro_tpmov, s.peso, s.altura, s.cid10, PS.NOME AS NOMEPESSOA, "),
        QStringLiteral(
            "substring(PS.CARTAOSUS FROM 1 FOR 15) AS CARTAOSUS, ps.nome as nomepessoa, P.DESCRICAO as nomeproduto,"),
        QStringLiteral("pr.cns as cnsprofissional, pr.crm as crmprofissional, pr.uf as ufprofissional,"),
        QStringLiteral("fa.cnpj as cnpjfabricante, fa.numerointernacional as numerofabricante")};
}

QStringList dispensacoesTables()
{
    return {QStringLiteral("FROM ITENSSAIDAS ITS "),
            QStringLiteral("INNER JOIN SAIDAS S ON ITS.lancamento=S.lancamento "),
            QStringLiteral("INNER JOIN PRODUTOS P ON ITS.CODPRODUTO=P.CODIGO "),
            QStringLiteral("INNER JOIN NOVOLOTES L ON ITS.CODPRODUTO=L.CODPRODUTO AND ITS.LOTE=L.LOTE "),
            QStringLiteral("left outer JOIN fabricantes fa ON fa.codigo = L.codfabricante "),
            QStringLiteral("INNER JOIN PESSOAS PS ON S.CODPESSOA=PS.CODIGO and ps.tipocadastro = 'Pessoa'"),
            QStringLiteral("left outer join profissionais pr on pr.codigo = s.codprofissional")};
}

// Column positions of a result, looked up once per search.
class Columns
{
public:
    Columns(const SqlCursor &cursor)
        : m_cursor(cursor)
    {
    }
    int operator[](const char *name) const { return m_cursor.indexOf(QString::fromLatin1(name)); }

private:
    const SqlCursor &m_cursor;
};

// Appends the rows of the cursor to `rows`, cell by cell in the list's order, collects
// the protocols in order of first appearance and tells the observer how many rows came.
class RowFiller
{
public:
    RowFiller(SqlCursor &cursor, RecordRows &rows, int protocolColumn, ProgressObserver *observer)
        : m_cursor(cursor)
        , m_rows(rows)
        , m_protocolColumn(protocolColumn)
        , m_observer(observer)
    {
        m_protocols.append(QString());
        m_seen.insert(QString());
        m_clock.start();
    }

    QString text(int column) const { return m_cursor.text(column); }
    void cell(int column) { m_rows.append(m_cursor.text(column)); }
    void cell(const QString &text) { m_rows.append(text); }
    void protocolDate(int column) { m_rows.append(protocolDateText(m_cursor.text(column))); }
    void empty() { m_rows.append(QStringView()); }
    // Ends the row being filled.
    void endRow()
    {
        const QString protocol = m_cursor.text(m_protocolColumn);
        if (!m_seen.contains(protocol)) {
            m_seen.insert(protocol);
            m_protocols.append(protocol);
        }
        if (m_observer && m_rows.rowCount() % SearchProgressRows == 0) {
            Progress progress;
            progress.work = Progress::Work::Pesquisa;
            progress.current = m_rows.rowCount();
            progress.elapsedMs = m_clock.elapsed();
            m_observer->progressed(progress);
        }
    }
    QStringList protocols() const { return m_protocols; }

private:
    SqlCursor &m_cursor;
    RecordRows &m_rows;
    int m_protocolColumn;
    ProgressObserver *m_observer;
    QElapsedTimer m_clock;
    QStringList m_protocols;
    QSet<QString> m_seen;
};

// Fills one row per result row with `fillRow(filler)`.
template <class FillRow>
QStringList fillRows(SqlCursor &cursor, RecordRows &rows, int protocolColumn, ProgressObserver *observer,
                     FillRow fillRow)
{
    RowFiller f(cursor, rows, protocolColumn, observer);
    while (cursor.next()) {
        fillRow(f);
        f.endRow();
    }
    return f.protocols();
}

QString productCode(const QString &tavrotipo, const QString &codigotavro)
{
    return codigotavro.isEmpty() ? QString() : tavrotipo + codigotavro;
}

QString itemCaption(const QString &lancamento, const QString &item)
{
    return lancamento + QLatin1Char('-') + item;
}

QStringList fillStock(SqlCursor &cursor, RecordRows &rows, const ListSearch &search, ProgressObserver *observer)
{
    const Columns c(cursor);
    const int lancamento = c["lancamento"], codproduto = c["codproduto"], tavrotipo = c["tavrotipo"],
              codigotavro = c["codigotavro"], nome = c["nomeproduto"], lote = c["lote"], validade = c["dtvalidade"],
              quantidade = c["quantidade"], protocolo = c["TavroProtocolo"], data = c["TavroData"],
              situacao = c["TavroSituacao"], coRegistro = c["TavroCoRegistro"];
    return fillRows(cursor, rows, protocolo, observer, [&](RowFiller &f) {
        f.cell(lancamento);
        f.cell(codproduto);
        f.cell(productCode(f.text(tavrotipo), f.text(codigotavro)));
        f.cell(nome);
        f.cell(lote);
        f.cell(validade);
        f.cell(quantidade);
        f.cell(search.dia);
        f.empty();
        f.empty();
        f.cell(protocolo);
        f.protocolDate(data);
        f.cell(situacao);
        f.cell(coRegistro);
        f.empty();
    });
}

// The first cells common to the three period lists: caption, product, name, lot,
// expiry, quantity and day, and the two empty cells that follow them.
struct PeriodColumns
{
    explicit PeriodColumns(const Columns &c)
        : lancamento(c["lancamento"])
        , item(c["item"])
        , tavrotipo(c["tavrotipo"])
        , codigotavro(c["codigotavro"])
        , nome(c["nomeproduto"])
        , lote(c["lote"])
        , validade(c["dtvalidade"])
        , quantidade(c["quantidade"])
        , data(c["data"])
        , protocolo(c["TavroProtocolo"])
        , dataProtocolo(c["TavroData"])
        , situacao(c["TavroSituacao"])
        , coRegistro(c["TavroCoRegistro"])
        , cnpjFabricante(c["cnpjfabricante"])
        , numeroFabricante(c["numerofabricante"])
    {
    }

    void fillHead(RowFiller &f) const
    {
        f.cell(itemCaption(f.text(lancamento), f.text(item)));
        f.cell(productCode(f.text(tavrotipo), f.text(codigotavro)));
        f.cell(nome);
        f.cell(lote);
        f.cell(validade);
        f.cell(quantidade);
        f.cell(data);
        f.empty();
        f.empty();
    }

    void fillStatus(RowFiller &f) const
    {
        f.cell(protocolo);
        f.protocolDate(dataProtocolo);
        f.cell(situacao);
        f.cell(coRegistro);
        f.empty();
    }

    int lancamento, item, tavrotipo, codigotavro, nome, lote, validade, quantidade, data;
    int protocolo, dataProtocolo, situacao, coRegistro, cnpjFabricante, numeroFabricante;
};

QStringList fillEntradas(SqlCursor &cursor, RecordRows &rows, const ListSearch &, ProgressObserver *observer)
{
    const Columns c(cursor);
    const PeriodColumns p(c);
    const int documento = c["documento"], valor = c["valorunitario"], distribuidor = c["cnpjdistribuidor"],
              distribuidorItem = c["cnpjdistribuidoritem"], tpmov = c["tavro_tpmov"];
    return fillRows(cursor, rows, p.protocolo, observer, [&](RowFiller &f) {
        p.fillHead(f);
        f.cell(p.cnpjFabricante);
        f.cell(p.numeroFabricante);
        f.cell(documento);
        f.cell(valor);
        const QString cnpj = f.text(distribuidor);
        f.cell(cnpj.isEmpty() ? f.text(distribuidorItem) : cnpj);
        f.cell(tpmov);
        p.fillStatus(f);
    });
}

QStringList fillSaidas(SqlCursor &cursor, RecordRows &rows, const ListSearch &, ProgressObserver *observer)
{
    const Columns c(cursor);
    const PeriodColumns p(c);
    const int tpmov = c["tavro_tpmov"], pessoa = c["nomepessoadestino"], cnpjDestino = c["cnpjdestino"],
              unidade = c["nomeunidadedestino"], cnes = c["cnesdestino"];
    return fillRows(cursor, rows, p.protocolo, observer, [&](RowFiller &f) {
        p.fillHead(f);
        f.cell(p.cnpjFabricante);
        f.cell(p.numeroFabricante);
        f.cell(tpmov);
        const QString nomePessoa = f.text(pessoa);
        if (nomePessoa.isEmpty()) {
            f.cell(unidade);
            f.cell(cnes);
            f.empty();
        } else {
            f.cell(nomePessoa);
            f.empty();
            f.cell(cnpjDestino);
        }
        p.fillStatus(f);
    });
}

QStringList fillDispensacoes(SqlCursor &cursor, RecordRows &rows, const ListSearch &, ProgressObserver *observer)
{
    const Columns c(cursor);
    const PeriodColumns p(c);
    const int cartao = c["cartaosus"], pessoa = c["nomepessoa"], peso = c["peso"], altura = c["altura"],
              cid = c["cid10"], crm = c["crmprofissional"], uf = c["ufprofissional"];
    return fillRows(cursor, rows, p.protocolo, observer, [&](RowFiller &f) {
        p.fillHead(f);
        f.empty();
        f.cell(cartao);
        f.cell(pessoa);
        f.cell(peso);
        f.cell(altura);
        f.cell(cid);
        f.empty();
        f.cell(crm);
        f.cell(uf);
        p.fillStatus(f);
        f.cell(p.cnpjFabricante);
        f.cell(p.numeroFabricante);
    });
}

QList<ListColumn> periodHead(const QString &caption, int nameWidth)
{
    return {{caption, 70},
            {QStringLiteral("Produto"), 110},
            {QStringLiteral("Nome"), nameWidth},
            {QStringLiteral("Lote"), 80},
            {QStringLiteral("Validade"), 70},
            {QStringLiteral("Quantidade"), 70, Right},
            {QStringLiteral("Data"), 70},
            {QStringLiteral("Programa Saude"), 100},
            {QStringLiteral("IUM"), 80}};
}

// The cells a transmission run writes into a sent row keep room for what it writes: the
// protocol and reception time as stored, "Aguardando" and the run mark "Sim". Sending a
// list thus never stores its rows again.
QList<ListColumn> statusTail()
{
    return {{QStringLiteral("Protocolo"), 140, Left, StoredProtocolLength},
            {QStringLiteral("Data"), 120, Left, StoredProtocolLength},
            {QStringLiteral("Situação"), 100, Left, quint16(Situacao::Aguardando.size())},
            {QStringLiteral("CoReg."), 60},
            {QStringLiteral("Gravar"), 50, Left, quint16(QStringView(u"Sim").size())}};
}

// What a list is made of: its statement (the prefix of its status columns, its columns
// and tables, the line of its day or period and the column that line reads, the lines
// that pick the unit, its order), the columns it shows and the filler of its rows.
struct ListShape
{
    QString prefix;
    QStringList select;
    QStringList tables;
    QString dateLine;
    QString dateColumn;
    QStringList unitLines;
    QString order;
    QList<ListColumn> columns;
    QStringList (*fill)(SqlCursor &, RecordRows &, const ListSearch &, ProgressObserver *);
};

// The shapes of the four lists, in the order of MovementKind.
const std::array<ListShape, 4> &listShapes()
{
    const QString periodLine = QStringLiteral("where %1.DATA >= :pDATA1 AND %1.DATA <= :pDATA2");
    static const std::array<ListShape, 4> shapes{{
        {QStringLiteral("c."),
         stockColumns(),
         stockTables(),
         QStringLiteral("where c.data = :pdata"),
         QStringLiteral("c.data"),
         {QStringLiteral("and (u.codigo = :punidade or u.numero = :punidade)")},
         QStringLiteral("order by p.descricao, c.lancamento"),
         QList<ListColumn>{{QStringLiteral("Lanc."), 50},
                           {QStringLiteral("Codigo"), 50},
                           {QStringLiteral("Produto"), 110},
                           {QStringLiteral("Nome"), 250},
                           {QStringLiteral("Lote"), 80},
                           {QStringLiteral("Validade"), 70},
                           {QStringLiteral("Quantidade"), 70, Right},
                           {QStringLiteral("Data"), 70},
                           {QStringLiteral("Programa Saude"), 100},
                           {QStringLiteral("IUM"), 80}}
             + statusTail(),
         fillStock},
        {QStringLiteral("ie."),
         entradasColumns(),
         entradasTables(),
         periodLine.arg(QLatin1Char('E')),
         QStringLiteral("E.DATA"),
         {QStringLiteral("AND ie.codunidade = :punidade")},
         QStringLiteral("ORDER BY IE.LANCAMENTO, ie.item"),
         periodHead(QStringLiteral("Código"), 200)
             + QList<ListColumn>{{QStringLiteral("CNPJ Fabr."), 115},
                                 {QStringLiteral("Fabr. Internac."), 85},
                                 {QStringLiteral("Nota Fiscal"), 80},
                                 {QStringLiteral("Val. Unit."), 60},
                                 {QStringLiteral("CNPJ Distrib."), 115},
                                 {QStringLiteral("TipoEntrada"), 90}}
             + statusTail(),
         fillEntradas},
        {QStringLiteral("its."),
         saidasColumns(),
         saidasTables(),
         periodLine.arg(QLatin1Char('S')),
         QStringLiteral("S.DATA"),
         {QStringLiteral("AND its.codunidade = :punidade"),
          QStringLiteral("and (ps.tipocadastro <> 'Pessoa' or s.codunidadedestino is not null)")},
         QStringLiteral("ORDER BY ITS.LANCAMENTO, its.item"),
         periodHead(QStringLiteral("Código"), 200)
             + QList<ListColumn>{{QStringLiteral("CNPJ Fabr."), 120},
                                 {QStringLiteral("Fabr. Internac."), 80},
                                 {QStringLiteral("Tipo Saída"), 50},
                                 {QStringLiteral("Destino"), 100},
                                 {QStringLiteral("CNES Destino"), 80},
                                 {QStringLiteral("CNPJ Destino"), 120}}
             + statusTail(),
         fillSaidas},
        {QStringLiteral("its."),
         dispensacoesColumns(),
         dispensacoesTables(),
         periodLine.arg(QLatin1Char('S')),
         QStringLiteral("S.DATA"),
         {QStringLiteral("AND its.codunidade = :punidade")},
         QStringLiteral("ORDER BY ITS.LANCAMENTO, its.item"),
         periodHead(QStringLiteral("Código"), 200)
             + QList<ListColumn>{{QStringLiteral("Competência"), 80},
                                 {QStringLiteral("CNS Usuário"), 110},
                                 {QStringLiteral("Nome Usuário"), 100},
                                 {QStringLiteral("Peso"), 50},
                                 {QStringLiteral("Altura"), 50},
                                 {QStringLiteral("Cid-10"), 50},
                                 {QStringLiteral("CNES Profis."), 80},
                                 {QStringLiteral("CRM"), 80},
                                 {QStringLiteral("UF"), 40}}
             + statusTail()
             + QList<ListColumn>{{QStringLiteral("CNPJ Fabr."), 120}, {QStringLiteral("Fabr. Internac."), 80}},
         fillDispensacoes},
    }};
    return shapes;
}

const ListShape &listShape(MovementKind kind)
{
    return listShapes().at(std::size_t(kind));
}

QStringList recordConditions(const ListShape &shape, bool exibirSemCodigo)
{
    QStringList lines;
    if (!exibirSemCodigo)
        lines.append(WithCatalogueCode);
    return lines + shape.unitLines;
}

// A held record carries "Enviando" while its batch's registry row goes on to "Sem resposta":
// the list shows the batch's state, so the clerk sees which records wait to be released.
void showBatchStates(Database &db, RecordRows &rows, const TransmissionCells &cells)
{
    bool anyHeld = false;
    for (int row = 0; row < rows.rowCount() && !anyHeld; ++row)
        anyHeld = heldSituacao(rows.cell(row, cells.situacao + 1));
    if (!anyHeld)
        return;
    QHash<QString, QString> states;
    SqlCursor cursor = db.select(SqlStatement{QStringLiteral("select Protocolo, Situacao from TavroProtocolos"),
                                              QStringLiteral("where ") + heldCondition(QStringLiteral("Situacao"))});
    while (cursor.next())
        states.insert(cursor.text(0), cursor.text(1));
    cursor.close();
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (!heldSituacao(rows.cell(row, cells.situacao + 1)))
            continue;
        const QString state = states.value(rows.cell(row, cells.protocolo + 1).toString());
        if (!state.isEmpty() && state != rows.cell(row, cells.situacao + 1))
            rows.setCell(row, cells.situacao + 1, state);
    }
}

} // namespace

ListRecords listRecords(MovementKind kind, bool exibirSemCodigo)
{
    const ListShape &shape = listShape(kind);
    return {shape.prefix, shape.tables, shape.dateColumn, recordConditions(shape, exibirSemCodigo)};
}

SqlStatement listStatement(const ListSearch &search)
{
    const ListShape &shape = listShape(search.kind);
    SqlStatement query;
    for (const QString &line : shape.select + shape.tables)
        query.add(line);
    query.add(shape.dateLine);
    for (const QString &line : recordConditions(shape, search.exibirSemCodigo))
        query.add(line);
    addStatusLines(query, shape.prefix, search.status);
    addProtocolLine(query, shape.prefix, search);
    query.add(shape.order);
    query.setParam(QStringLiteral("punidade"), search.unidade);
    if (search.kind == MovementKind::Estoque) {
        query.setParam(QStringLiteral("pdata"), search.dia);
    } else {
        query.setParam(QStringLiteral("pDATA1"), search.period.dataInicial);
        query.setParam(QStringLiteral("pDATA2"), search.period.dataFinal);
    }
    return query;
}

RecordList *newMovementList(MovementKind kind, QObject *parent)
{
    return new RecordList(listShape(kind).columns, listKind(kind).cells.situacao, recordStatusColour, parent);
}

QStringList fillMovementList(Database &db, const ListSearch &search, RecordList &list, ProgressObserver *observer)
{
    // A period list's read ends with its transaction, also when the read fails.
    std::optional<ReadSnapshot> snapshot;
    if (search.kind == MovementKind::Estoque)
        db.restartTransaction();
    else
        snapshot.emplace(db);
    RecordRows rows = list.newRows();
    QStringList protocols;
    {
        SqlCursor cursor = db.select(listStatement(search));
        protocols = listShape(search.kind).fill(cursor, rows, search, observer);
    }
    showBatchStates(db, rows, listKind(search.kind).cells);
    list.replaceRows(std::move(rows));
    return protocols;
}

} // namespace tavro
