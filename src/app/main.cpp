#include "app/Messages.h"
#include "app/QtTranslations.h"
#include "app/TForm1.h"
#include "session/AppConfig.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavro-transmissor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavro Transmissor"));
    tavro::installQtTranslations(app);

    tavro::MessageBoxes messages;
    tavro::TForm1 form(tavro::defaultConfigPath(), messages);
    if (!form.FormCreate())
        return 1;
    form.showMaximized();
    form.FormShow();
    return app.exec();
}
