#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tavro {

// The files and folders of the data folder hold patients' data (a request log carries their
// CNS numbers), so other accounts get no permission on them, whatever the umask. The group
// keeps read and write: the clerks of a shared data folder and the nightly run are one group
// and append to, replace and remove each other's files. Every file and folder the program
// writes there goes through these functions.

// Opens `file` as `mode` asks. A file the call creates has mode 0660 from its first byte on;
// an existing one loses any permission others had (when this account may change it).
bool openPrivate(QFile &file, QIODevice::OpenMode mode);

// Makes the folder `path` and every missing folder above it, each with mode 2770 (so what is
// made inside a shared folder stays in its group). Folders that exist are left as they are.
// False when one cannot be made, with the reason, in Portuguese, in `reason`.
bool makePrivateFolder(const QString &path, QString *reason = nullptr);

// How writePrivateFile treats a file already at the path.
enum class Existing {
    Replace, // the new file takes its place
    Keep,    // the write fails with EEXIST ("já existe um arquivo com esse nome"), nothing changed
};

// Writes `bytes` at `path` whole or not at all (a reader never sees half of it, whatever
// stops the program): the bytes go into a temporary file of the same folder, are synced, and
// the file takes the name, the folder's entry synced too. False with the reason in `reason`
// when it cannot; `error`, when given, gets the errno value (0 for a failure without one).
bool writePrivateFile(const QString &path, const QByteArray &bytes, QString *reason = nullptr,
                      Existing existing = Existing::Replace, int *error = nullptr);

// The reason for an errno value, in the operator's language.
QString systemReason(int error);

} // namespace tavro
