#include "app/SignalEnd.h"

#include "app/TForm1.h"
#include "common/InterruptSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>

namespace tavro {

void endOnSignals(QApplication &app, TForm1 &form)
{
    InterruptSignals::install();
    auto *notifier = new QSocketNotifier(InterruptSignals::notifierFd(), QSocketNotifier::Read, &form);
    auto *ending = new QTimer(&form);
    ending->setInterval(100);
    QObject::connect(notifier, &QSocketNotifier::activated, ending, [ending] {
        InterruptSignals::drain();
        ending->start();
    });
    QObject::connect(ending, &QTimer::timeout, &form, [&app, &form] {
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            box->reject();
            return;
        }
        if (form.idle())
            app.exit(InterruptSignals::exitCode());
    });
}

} // namespace tavro
