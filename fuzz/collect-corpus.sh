#!/bin/bash
# Refills corpus/answer and corpus/wsdl with what tavro-sim really sends: the service
# description (with and without address and actions), the answer of every operation,
# the processing answers while waiting and when finished, inconsistencies with a code
# outside the catalogue, and each failure the substitute can be asked for.
#   fuzz/collect-corpus.sh build/bin/tavro-sim
set -euo pipefail
SIM=$(realpath "$1")
cd "$(dirname "$(realpath "$0")")"
ANSWERS=corpus/answer
WSDLS=corpus/wsdl
USER=u
PASSWORD=p
TYPES=http://tavro.example/tavro-ws/schemas/v1/TavroTypes
SIM_PID=
SIM_LOG=$(mktemp)
trap '[ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null; rm -f "$SIM_LOG"' EXIT

start() {
    [ -n "$SIM_PID" ] && { kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null || true; }
    "$SIM" --port 0 --usuario $USER --senha $PASSWORD "$@" >"$SIM_LOG" 2>&1 &
    SIM_PID=$!
    for _ in $(seq 50); do
        PORT=$(sed -n 's/^listening on .*:\([0-9]*\).*/\1/p' "$SIM_LOG" | head -n 1)
        [ -n "$PORT" ] && return
        sleep 0.1
    done
    echo "tavro-sim did not start" >&2
    exit 1
}

# call NAME OPERATION BODY: posts one request and keeps the answer body as NAME.
call() {
    curl -s -u $USER:$PASSWORD -H 'Content-Type: text/xml; charset=utf-8' -H "SOAPAction: \"$2\"" \
        --data-binary "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SOAP-ENV:Envelope \
xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body>$3</SOAP-ENV:Body></SOAP-ENV:Envelope>" \
        -o "$ANSWERS/$1.xml" "http://127.0.0.1:$PORT/tavro-ws-service/TavroWSService/TavroWSAsync"
}

protocolOf() { sed -n 's/.*<nuProtocoloEntrada>\([^<]*\)<.*/\1/p' "$ANSWERS/$1.xml"; }
timeOf() { sed -n 's/.*<dtRecebimento>\([^<]*\)<.*/\1/p' "$ANSWERS/$1.xml"; }

ID='<identificacao><idOrigem>M</idOrigem><coIBGE>3550308</coIBGE></identificacao>'
CNES='<estabelecimento><coCNES>2345678</coCNES><coTipoEstabelecimento>F</coTipoEstabelecimento></estabelecimento>'
PRODUCT='<produto><coRegistroOrigem>3001-1</coRegistroOrigem><nuProduto>BR0268735000001</nuProduto><nuLote>L1</nuLote><dtValidade>30-06-2020</dtValidade><qtProduto>10</qtProduto><sgProgramaSaude>X</sgProgramaSaude></produto>'
BAD_PRODUCT='<produto><coRegistroOrigem>3001-2</coRegistroOrigem><nuProduto>BR026</nuProduto><qtProduto>0</qtProduto></produto>'
STOCK="$ID<registro>$CNES$PRODUCT<dtRegistro>31-01-2019</dtRegistro></registro><registro>$CNES$BAD_PRODUCT</registro>"

start --aguardando 1
curl -s -o "$WSDLS/service.wsdl" "http://127.0.0.1:$PORT/tavro-ws-service/TavroWSService/TavroWS?wsdl"
call informar informarPosicaoEstoqueEmLote "<tav:informarPosicaoEstoqueEmLote xmlns:tav=\"$TYPES\">$STOCK</tav:informarPosicaoEstoqueEmLote>"
P=$(protocolOf informar)
T=$(timeOf informar)
QUERY="<tav:protocolo xmlns:tav=\"$TYPES\"><nuProtocoloEntrada>$P</nuProtocoloEntrada><dtRecebimento>$T</dtRecebimento></tav:protocolo>"
call processamento-aguardando consultarResultadoProcessamento "$QUERY"
call processamento-finalizado consultarResultadoProcessamento "$QUERY"
call inconsistencias consultarInconsistencias "$QUERY"
call retificar retificarPosicaoEstoqueEmLote "<tav:retificarPosicaoEstoqueEmLote xmlns:tav=\"$TYPES\">$ID<nuProtocoloEntrada>$P</nuProtocoloEntrada><registro>$CNES$PRODUCT</registro></tav:retificarPosicaoEstoqueEmLote>"
call inteiro-invalido informarSaidaMedicamentoEmLote "<tav:informarSaidaMedicamentoEmLote xmlns:tav=\"$TYPES\">$ID<registro><produto><qtProduto>abc</qtProduto></produto></registro></tav:informarSaidaMedicamentoEmLote>"
call operacao-desconhecida informarNada "<tav:nada xmlns:tav=\"$TYPES\"/>"
call protocolo-desconhecido consultarInconsistencias "<tav:protocolo xmlns:tav=\"$TYPES\"><nuProtocoloEntrada>1</nuProtocoloEntrada></tav:protocolo>"

start --aguardando 0 --reprocessamento --codigo-fora E999
call informar-entrada informarEntradaMedicamentoEmLote "<tav:informarEntradaMedicamentoEmLote xmlns:tav=\"$TYPES\">$STOCK</tav:informarEntradaMedicamentoEmLote>"
P=$(protocolOf informar-entrada)
T=$(timeOf informar-entrada)
QUERY="<tav:protocolo xmlns:tav=\"$TYPES\"><nuProtocoloEntrada>$P</nuProtocoloEntrada><dtRecebimento>$T</dtRecebimento></tav:protocolo>"
call processamento-entrada consultarResultadoProcessamento "$QUERY"
call inconsistencias-codigo-fora consultarInconsistencias "$QUERY"

start --falha-fault 'Serviço indisponível'
call falha-fault consultarInconsistencias "$QUERY"
start --falha-raiz
call falha-raiz consultarInconsistencias "$QUERY"
start --falha-html
call falha-html consultarInconsistencias "$QUERY"

start --sem-endereco --sem-acao
curl -s -o "$WSDLS/sem-endereco-sem-acao.wsdl" "http://127.0.0.1:$PORT/tavro-ws-service/TavroWSService/TavroWS?wsdl"
