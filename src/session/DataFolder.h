#pragma once

#include <QString>

namespace tavro {

class IniFile;

// The folder the program owns: the service logs (in "Tavro" inside it), the nightly run's
// summary, its run log and its lock. The window and the nightly run find the same one, so
// the window shows the last night and recovery reads every batch's logs.
struct DataFolder
{
    // Why this folder: the key [TAVRO] PastaDados, the program's own folder (a portable
    // install), the shared /var/lib/tavro of the group tavro, or the user's own data folder.
    enum class Origin { Key, BesideProgram, Shared, Personal };

    QString path;
    Origin origin = Origin::Personal;

    QString logFolder() const;
    // "chave PastaDados", "ao lado do programa", "compartilhada" or "pessoal".
    QString originText() const;
};

// Makes the data folder and its log folder where they are missing (mode 2770) and checks
// that this account can write both; nothing may be sent while no log can be written. Throws
// Error naming the folder and the reason when it cannot.
void prepareDataFolder(const DataFolder &folder);

// The one line to show at start when other accounts may read the data folder or its log
// folder, with the command that closes it; empty when they may not. The program's own folder
// of a portable install is not checked (others may need to run the program), its logs are.
QString openFolderWarning(const DataFolder &folder);

// [TAVRO] DiasRegistros: logs older than this many days leave at start; 0 (the default)
// keeps every log. Throws Error on a value that is not a number of days.
int logRetentionDays(const IniFile &ini);

} // namespace tavro
