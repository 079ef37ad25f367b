#include "GuideShots.h"

#include <QApplication>

#include <cstdio>

// tavro-guide-shots DEMO.fdb TAVRO-SIM OUTPUT: the guide's pictures of the window, into OUTPUT.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fputs("Uso: tavro-guide-shots BANCO-DEMO.fdb TAVRO-SIM PASTA-DAS-IMAGENS\n", stderr);
        return 2;
    }
    tavro::GuideShots shots(arguments.at(1), arguments.at(2), arguments.at(3));
    return shots.run() ? 0 : 1;
}
