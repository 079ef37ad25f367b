#!/bin/bash
# generate-large.sh OUT.fdb [DISPENSATION_LINES] [STOCK_POSITIONS]
# Builds a large database for the list benchmarks: the schema and the demo data, plus
# DISPENSATION_LINES (default 100000) dispensation lines of unit 1 in January 2019 and
# STOCK_POSITIONS (default 20000) stock positions of unit 1 on 28/02/2019. The rows are
# made inside the engine by loops, so no large script is written or parsed.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(dirname "$here")
out=$1
lines=${2:-100000}
stock=${3:-20000}
products=2000
lots=10
if [ "$stock" -gt $((products * lots)) ]; then
    echo "at most $((products * lots)) stock positions: one per generated lot" >&2
    exit 2
fi

script=$(mktemp --suffix=.sql)
trap 'rm -f "$script"' EXIT
cat >"$script" <<SQL
set names utf8;
set term ^;
-- Patients, each with a health card.
execute block as
declare i integer = 0;
begin
    while (i < 2000) do begin
        insert into PESSOAS (CODIGO, NOME, cnpj, tipocadastro, CARTAOSUS)
        values (100000 + :i, 'PACIENTE GERADO NÚMERO ' || :i, null, 'Pessoa', '898' || lpad(:i, 12, '0'));
        i = i + 1;
    end
end^
-- Products with catalogue codes, each with $lots lots.
execute block as
declare p integer = 0;
declare l integer;
begin
    while (p < $products) do begin
        insert into PRODUTOS (codigo, descricao, codigotavro, tavrotipo)
        values (20000 + :p, 'MEDICAMENTO GERADO ' || lpad(:p, 5, '0') || ' 500MG COMPRIMIDO REVESTIDO',
                lpad(268000000000 + :p, 13, '0'), 'BR');
        l = 0;
        while (l < $lots) do begin
            insert into NOVOLOTES (CODPRODUTO, LOTE, DTVALIDADE, CodFabricante)
            values (20000 + :p, 'G' || :p || '-' || :l, dateadd(:l month to date '2020-01-31'), mod(:p, 4) + 1);
            l = l + 1;
        end
        p = p + 1;
    end
end^
-- Dispensations: two lines per document, a tenth of them already sent.
execute block as
declare i integer = 0;
declare d integer;
declare p integer;
begin
    while (i < $lines) do begin
        d = i / 2;
        if (mod(i, 2) = 0) then
            insert into SAIDAS (lancamento, data, tavro_tpmov, CODPESSOA, codunidadedestino, peso, altura, cid10,
                                codprofissional)
            values (1000000 + :d, dateadd(mod(:d, 31) day to date '2019-01-01'), 'S-D', 100000 + mod(:d, 2000), null,
                    60 + mod(:d, 40) + 0.5, 150 + mod(:d, 50), 'I10', mod(:d, 3) + 1);
        p = mod(:i * 7, $products);
        insert into ITENSSAIDAS (lancamento, item, CODPRODUTO, LOTE, QUANTIDADE, VALORUNITARIO, codunidade,
                                 TavroProtocolo, TavroData, TavroSituacao, TavroSituacaoPrioridade)
        values (1000000 + :d, mod(:i, 2) + 1, 20000 + :p, 'G' || :p || '-' || mod(:i, $lots), 1 + mod(:i, 90), 0.25, 1,
                iif(mod(:i, 10) = 0, '2019' || lpad(:i / 500, 8, '0'), null),
                iif(mod(:i, 10) = 0, '05/02/2019 10:00:00', null),
                -- trim: iif of two literals is a CHAR, which would pad 'Ok' to 'Ok        '
                trim(iif(mod(:i, 10) = 0, iif(mod(:i, 20) = 0, 'Ok', 'Aguardando'), null)),
                iif(mod(:i, 10) = 0, iif(mod(:i, 20) = 0, 40, 10), null));
        i = i + 1;
    end
end^
-- Stock positions of one day, one per lot.
execute block as
declare k integer = 0;
begin
    while (k < $stock) do begin
        insert into conciliacao (lancamento, codunidade, codproduto, lote, data, quantidade)
        values (1000000 + :k, 1, 20000 + :k / $lots, 'G' || (:k / $lots) || '-' || mod(:k, $lots), '2019-02-28',
                10 + mod(:k, 500));
        k = k + 1;
    end
end^
set term ;^
commit;
SQL
"$root/tools/make-database.sh" "$out" UTF8 "$root/sql/schema.sql" "$root/sql/demo-data.sql" "$script"
echo "$out: $lines dispensation lines in 01/01/2019-31/01/2019, $stock stock positions on 28/02/2019 (unit 1)"
