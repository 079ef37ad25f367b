#pragma once

#include <QString>

namespace tavro {

// The texts the kinds' row checks start their lines with; the rest of a line names the row.
// The registration list groups the refusals by them.
namespace RowCheck {
inline const QString ProdutoSemCodigo = QStringLiteral("Falta Código de Identificação para o produto: ");
inline const QString CodigoInvalido = QStringLiteral("Código de produto inválido!");
inline const QString ProdutoSemLote = QStringLiteral("Falta Lote para o produto: ");
inline const QString ProdutoSemValidade = QStringLiteral("Falta Validade para o produto: ");
inline const QString EntradaSemFabricante = QStringLiteral(
    "Falta CNPJ do Fabricante ou Número Internacional o lançamento: ");
inline const QString EntradaSemDistribuidor = QStringLiteral("Falta CNPJ do Distribuidor do lançamento: ");
inline const QString SaidaSemFabricante = QStringLiteral("Falta identificação do fabridante!");
inline const QString SaidaSemDestino = QStringLiteral("Falta identificação do destino da saída!");
inline const QString PessoaSemCns = QStringLiteral("Informe o CNS para a pessoa: ");
inline const QString PessoaCnsIncorreto = QStringLiteral("Informe o CNS correto para a pessoa: ");
// Said of a card holder's row by the send without a card: the row belongs to the other send.
inline const QString ApenasSemCartao = QStringLiteral(
    "Apenas Cartões SUS 000000000000000 ou em branco serão transmitidos como Usuário sem Cartão SUS: ");
inline const QString DispensacaoSemFabricante = QStringLiteral("Falta o CNPJ do fabricante da dispensação: ");
// A cell the database's code page does not define: %1 the column, %2 the row.
inline const QString CaractereIndefinido = QStringLiteral(
    "O campo %1 do registro %2 tem caracteres que a página de código do banco não define; corrija-o no sistema de "
    "gestão.");
} // namespace RowCheck

} // namespace tavro
