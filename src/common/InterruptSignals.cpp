#include "common/InterruptSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tavro::InterruptSignals {

namespace {

volatile std::sig_atomic_t signalReceived = 0;
int pipeEnds[2] = {-1, -1};
constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signal)
{
    const int saved = errno;
    if (signalReceived == 0)
        signalReceived = signal;
    // The next one gets the default action and ends the program at once.
    std::signal(signal, SIG_DFL);
    static const char notice[] = "\nParando após o lote atual; o mesmo sinal de novo encerra já.\n";
    ssize_t written = ::write(STDERR_FILENO, notice, sizeof notice - 1);
    if (pipeEnds[1] >= 0)
        written = ::write(pipeEnds[1], "!", 1);
    (void)written;
    errno = saved;
}

} // namespace

void install()
{
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        pipeEnds[0] = pipeEnds[1] = -1;
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Signals)
        sigaction(signal, &action, nullptr);
}

int received()
{
    return signalReceived;
}

int exitCode()
{
    return signalReceived ? 128 + signalReceived : 0;
}

int notifierFd()
{
    return pipeEnds[0];
}

void drain()
{
    char bytes[16];
    while (pipeEnds[0] >= 0 && ::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
}

QString interruptedText()
{
    const int signal = signalReceived;
    const char *name = signal == SIGTERM ? "SIGTERM" : signal == SIGINT ? "SIGINT" : "SIGHUP";
    return QStringLiteral("Interrompido pelo sinal %1.").arg(QLatin1String(name));
}

} // namespace tavro::InterruptSignals
