#pragma once

class QCoreApplication;
class QTranslator;

namespace tavro {

// Loads Qt's own Portuguese (Brazil) texts, so the toolkit's dialogs (print preview,
// print, file choice, standard buttons) speak the clerk's language whatever the
// machine's locale. The installed translator, owned by `app`; null when the translation
// files are not installed, and the dialogs then stay in English.
QTranslator *installQtTranslations(QCoreApplication &app);

} // namespace tavro
