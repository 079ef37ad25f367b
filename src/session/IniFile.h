#pragma once

#include <QString>
#include <QStringList>

namespace tavro {

// An INI file read and written in place, as the pharmacy's desktop expects: section
// and key names match without regard to case; every read goes to the file and every
// write reaches it at once, so two objects on one path never overwrite each other's
// keys. A write keeps comments, other keys and the line ends (CRLF or LF) it found.
//
// `underlying` files (the system's config.ini under the user's) are read, in their order,
// for a key that the file itself lacks; they are never written.
class IniFile
{
public:
    explicit IniFile(QString path, QStringList underlying = {});

    const QString &path() const { return m_path; }
    QString value(const QString &section, const QString &key, const QString &fallback = QString()) const;
    // Creates the file (and its folder), section or key when missing; throws Error when the
    // file cannot be written.
    void setValue(const QString &section, const QString &key, const QString &value);

private:
    QString m_path;
    QStringList m_underlying;
};

// Writes one key into the INI file at `arquivo`, opening it anew.
void gravaini(const QString &arquivo, const QString &secao, const QString &campo, const QString &valor);

} // namespace tavro
