// The registration list's handlers of the main window.
#include "app/TForm1.h"

#include "app/Messages.h"
#include "app/MovementTab.h"
#include "app/PendenciasView.h"
#include "app/ProgressStrip.h"
#include "app/SituacaoTab.h"
#include "common/Error.h"
#include "common/PrivateFile.h"
#include "db/DateText.h"
#include "reports/PendenciasListing.h"
#include "sync/PendenciasReport.h"
#include "widgets/TPersonEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPdfWriter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>

namespace tavro {

void TForm1::PendenciasClick()
{
    guarded(m_messages, this, [&] {
        TSSituacao->BtnPendencias->setEnabled(false); // one list at a time
        const auto enabled = qScopeGuard([this] { TSSituacao->BtnPendencias->setEnabled(true); });
        PendenciasRequest request;
        request.unidades = {PECodigoUnidade->text()};
        m_progress->begin(true);
        const auto ended = qScopeGuard([this] { m_progress->end(); });
        Pendencias pendencias = listPendencias(IBDatabase1, request, m_progress);
        m_progress->end();
        if (!m_pendencias) {
            m_pendencias = new PendenciasView(this);
            connect(m_pendencias, &PendenciasView::rowRequested, this, &TForm1::openPendenciaRow);
            connect(m_pendencias, &PendenciasView::printRequested, this, &TForm1::printPendencias);
            connect(m_pendencias, &PendenciasView::exportRequested, this, &TForm1::exportPendencias);
        }
        m_pendencias->show(std::move(pendencias));
    });
}

void TForm1::openPendenciaRow(const PendenciaRow &row)
{
    guarded(m_messages, this, [&] {
        MovementTab *tab = movementTab(row.list);
        // The row's month, every status and the products without code shown, so the row is listed.
        const QDate day = dateFromText(row.data);
        const QDate month(day.year(), day.month(), 1);
        tab->setStatusBoxes(StatusBoxes{false, false, false, false, false});
        tab->setProtocoloSelecionado(false);
        CBExibirSemCodigo->setChecked(true);
        PEDataInicial->setText(dateToText(month));
        PEDataFinal->setText(dateToText(month.addMonths(1).addDays(-1)));
        PageControl1->setCurrentWidget(tab); // searches the period lists
        if (row.list == MovementKind::Estoque) {
            const QSignalBlocker blocker(CBEstoqueDia);
            CBEstoqueDia->setCurrentIndex(CBEstoqueDia->findText(row.data));
            CBEstoqueDiaChange();
        }
        openRefusedRow(tab, row.chave);
    });
}

void TForm1::printPendencias()
{
    guarded(m_messages, this, [&] {
        const PendenciasReportInput input = PendenciasReportInput{PECodigoUnidade->text(), PECodCNES->text(),
                                                                  LNomeUnidade->text()};
        const QString path = pendenciasListingPath(input);
        // It names patients: private, as the logs are.
        QFile file(path);
        if (!openPrivate(file, QIODevice::WriteOnly | QIODevice::Truncate))
            throw Error(QStringLiteral("Não foi possível gravar %1: %2").arg(path, file.errorString()));
        QPdfWriter writer(&file);
        writer.setTitle(QStringLiteral("Pendências de cadastro"));
        buildPendenciasListing(m_pendencias->pendencias(), input).render(writer);
        m_messages.information(m_pendencias, QStringLiteral("Lista impressa em %1").arg(path));
    });
}

void TForm1::exportPendencias()
{
    guarded(m_messages, this, [&] {
        const QString path = QString(pendenciasListingPath(PendenciasReportInput{
                                         PECodigoUnidade->text(), PECodCNES->text(), LNomeUnidade->text()}))
                                 .replace(QStringLiteral(".pdf"), QStringLiteral(".csv"));
        QString error;
        if (!writePendenciasCsv(path, m_pendencias->pendencias(), error))
            throw Error(error);
        m_messages.information(m_pendencias, QStringLiteral("Lista exportada para %1").arg(path));
    });
}

} // namespace tavro
