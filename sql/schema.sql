/* Tables of the health-management product that the transmitter reads, the five
   status columns it writes on the three tables whose rows it sends, and its own
   protocol registry. Column widths follow the product's usual sizes. */

create table UNIDADES (
    codigo              integer not null primary key,
    nome                varchar(80),
    numero              varchar(7),
    datadesativado      date,
    tipoestabelecimento varchar(20)
);
create index ix_unidades_numero on UNIDADES (numero);
create index ix_unidades_nome on UNIDADES (nome);

create table PRODUTOS (
    codigo      integer not null primary key,
    descricao   varchar(120),
    codigotavro varchar(20),
    tavrotipo   varchar(5)
);
create index ix_produtos_descricao on PRODUTOS (descricao);

create table Fabricantes (
    CODIGO              integer not null primary key,
    nome                varchar(80),
    cnpj                varchar(18),
    numerointernacional varchar(40)
);

create table NOVOLOTES (
    CODPRODUTO    integer not null references PRODUTOS (codigo),
    LOTE          varchar(20) not null,
    DTVALIDADE    date,
    CodFabricante integer references Fabricantes (CODIGO),
    primary key (CODPRODUTO, LOTE)
);

create table FORNECEDORES (
    CODIGO integer not null primary key,
    nome   varchar(80),
    CNPJ   varchar(18)
);

create table PESSOAS (
    CODIGO       integer not null primary key,
    NOME         varchar(80),
    cnpj         varchar(18),
    tipocadastro varchar(20),
    CARTAOSUS    varchar(30)
);

create table profissionais (
    codigo integer not null primary key,
    nome   varchar(80),
    cns    varchar(15),
    crm    varchar(15),
    uf     varchar(2)
);

create table ENTRADAS (
    lancamento    integer not null primary key,
    data          date,
    tavro_tpmov   varchar(30),
    documento     varchar(20),
    CODFORNECEDOR integer references FORNECEDORES (CODIGO)
);
create index ix_entradas_data on ENTRADAS (data);

create table ITENSENTRADAS (
    lancamento              integer not null references ENTRADAS (lancamento),
    item                    integer not null,
    CODPRODUTO              integer references PRODUTOS (codigo),
    LOTE                    varchar(20),
    QUANTIDADE              double precision,
    VALORUNITARIO           double precision,
    codunidade              integer references UNIDADES (codigo),
    CODFORNECEDOR           integer references FORNECEDORES (CODIGO),
    TavroProtocolo          varchar(40),
    TavroData               varchar(40),
    TavroSituacao           varchar(20),
    TavroSituacaoPrioridade integer,
    TavroCoRegistro         varchar(20),
    primary key (lancamento, item)
);
create index ix_itensentradas_unidade on ITENSENTRADAS (codunidade);
create index ix_itensentradas_protocolo on ITENSENTRADAS (TavroProtocolo);

create table SAIDAS (
    lancamento        integer not null primary key,
    data              date,
    tavro_tpmov       varchar(30),
    CODPESSOA         integer references PESSOAS (CODIGO),
    codunidadedestino integer references UNIDADES (codigo),
    peso              double precision,
    altura            double precision,
    cid10             varchar(10),
    codprofissional   integer references profissionais (codigo)
);
create index ix_saidas_data on SAIDAS (data);

create table ITENSSAIDAS (
    lancamento              integer not null references SAIDAS (lancamento),
    item                    integer not null,
    CODPRODUTO              integer references PRODUTOS (codigo),
    LOTE                    varchar(20),
    QUANTIDADE              double precision,
    VALORUNITARIO           double precision,
    codunidade              integer references UNIDADES (codigo),
    TavroProtocolo          varchar(40),
    TavroData               varchar(40),
    TavroSituacao           varchar(20),
    TavroSituacaoPrioridade integer,
    TavroCoRegistro         varchar(20),
    primary key (lancamento, item)
);
create index ix_itenssaidas_unidade on ITENSSAIDAS (codunidade);
create index ix_itenssaidas_protocolo on ITENSSAIDAS (TavroProtocolo);

create table conciliacao (
    lancamento              integer not null primary key,
    codunidade              integer references UNIDADES (codigo),
    codproduto              integer references PRODUTOS (codigo),
    lote                    varchar(20),
    data                    date,
    quantidade              double precision,
    TavroProtocolo          varchar(40),
    TavroData               varchar(40),
    TavroSituacao           varchar(20),
    TavroSituacaoPrioridade integer,
    TavroCoRegistro         varchar(20)
);
create index ix_conciliacao_data on conciliacao (data, codunidade);
-- The whole row key of a stock position: with only product and lot, the optimizer also
-- walks the day index, and marking one row read every index entry of the day.
create index ix_conciliacao_registro on conciliacao (codproduto, lote, data, codunidade);
create index ix_conciliacao_protocolo on conciliacao (TavroProtocolo);

create table Usuarios (
    Usuario      varchar(30) not null primary key,
    Nome         varchar(80),
    Senha        varchar(30),
    TavroUsuario varchar(120),
    TavroSenha   varchar(120)
);

create table TavroProtocolos (
    Lancamento         integer generated by default as identity primary key,
    Protocolo          varchar(40),
    Data               varchar(40),
    DataLancamento     date,
    Situacao           varchar(20),
    SituacaoPrioridade integer,
    Tipo               varchar(20),
    cnes               varchar(10),
    ProtocoloAntigo    varchar(40)
);
create index ix_tavroprotocolos_protocolo on TavroProtocolos (Protocolo);
create index ix_tavroprotocolos_cnes on TavroProtocolos (cnes);

commit;
