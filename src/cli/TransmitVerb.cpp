#include "cli/TransmitVerb.h"

#include "cli/CliCommands.h"
#include "cli/TerminalProgress.h"
#include "service/ErrorHint.h"
#include "transmission/SendOperation.h"

#include <QScopeGuard>
#include <QTextStream>

namespace tavro {

namespace {

// The send as the command line follows it: the progress line and Ctrl+C on stderr, and
// after each run its result on stdout and the error tab's lines on stderr.
class TerminalSend : public SendObserver
{
public:
    TerminalSend(QTextStream &out, QTextStream &err)
        : m_out(out)
        , m_err(err)
        , m_progress(err)
    {
    }
    void progressed(const Progress &progress) override { m_progress.progressed(progress); }
    bool stopRequested() override { return m_progress.stopRequested(); }
    void runEnded(const SendRun &run) override
    {
        m_progress.clear();
        for (const QString &line : run.report.erros)
            m_err << line << '\n';
        m_out << run.result.text() << '\n';
        m_out.flush();
        m_err.flush();
    }
    void clear() { m_progress.clear(); }

private:
    QTextStream &m_out;
    QTextStream &m_err;
    TerminalProgress m_progress;
};

} // namespace

int runTransmitVerb(Database &db, SoapClient &client, RecordList &list, const SendRequest &request, QTextStream &out,
                    QTextStream &err)
{
    TerminalSend observer(out, err);
    const SendOutcome outcome = transmit(db, client, list, request, observer);
    observer.clear();
    for (const QString &line : outcome.retornos)
        out << line << '\n';
    // The held records close every end but the stop, whose text already counts them.
    const auto held = qScopeGuard([&] {
        if (!outcome.retidos.isEmpty() && outcome.end != SendOutcome::End::StoppedByUser)
            err << outcome.heldLine() << '\n';
    });
    switch (outcome.end) {
    case SendOutcome::End::MissingCnes:
    case SendOutcome::End::MissingIbge:
        err << outcome.mensagem << '\n';
        return ExitFailure;
    case SendOutcome::End::AllSent:
        err << TodosTransferidosMessage << '\n';
        return ExitSuccess;
    case SendOutcome::End::UnitTypeMissing:
    case SendOutcome::End::Aborted:
        err << TransmissaoAbortadaCaption << ' ' << withHint(outcome.mensagem, outcome.dica) << '\n';
        return ExitFailure;
    case SendOutcome::End::StoppedByUser:
        err << outcome.endText() << '\n';
        return ExitSuccess;
    case SendOutcome::End::RunsUsedUp:
        break;
    case SendOutcome::End::StoppedByServer:
        // The window goes quiet here; a script must know that the service refused rows still to send.
        if (outcome.restam > 0) {
            err << RegistrosPendentesMessage << '\n';
            return ExitFailure;
        }
        break;
    }
    return ExitSuccess;
}

} // namespace tavro
