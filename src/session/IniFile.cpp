#include "session/IniFile.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringList>

#include <optional>

namespace tavro {

namespace {

struct IniText
{
    QStringList lines;
    QString eol = QStringLiteral("\n");
    bool latin1 = false;
};

IniText readIni(const QString &path)
{
    IniText ini;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ini;
    const QByteArray bytes = file.readAll();
    auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        // Files written by Windows editors are often in the single-byte code page.
        text = QString::fromLatin1(bytes);
        ini.latin1 = true;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.contains(QLatin1String("\r\n")))
        ini.eol = QStringLiteral("\r\n");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ini.lines = text.split(QLatin1Char('\n'));
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty())
        ini.lines.removeLast();
    return ini;
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The section name of a "[name]" line, or a null string.
QString sectionOf(const QString &trimmed)
{
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return QString();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The value of the key in the file at `path`, or nothing when the file, section or key is missing.
std::optional<QString> findValue(const QString &path, const QString &section, const QString &key)
{
    const IniText ini = readIni(path);
    bool inSection = false;
    for (const QString &line : ini.lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || isComment(trimmed))
            continue;
        const QString name = sectionOf(trimmed);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && sameName(trimmed.left(eq).trimmed(), key))
            return trimmed.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

} // namespace

IniFile::IniFile(QString path, QStringList underlying)
    : m_path(std::move(path))
    , m_underlying(std::move(underlying))
{
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    if (std::optional<QString> found = findValue(m_path, section, key))
        return *found;
    for (const QString &path : m_underlying) {
        if (std::optional<QString> found = findValue(path, section, key))
            return *found;
    }
    return fallback;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    IniText ini = readIni(m_path);
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionLine = -1;
    qsizetype lastInSection = -1;
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < ini.lines.size() && !written; ++i) {
        const QString trimmed = ini.lines.at(i).trimmed();
        const QString name = sectionOf(trimmed);
        if (!name.isNull()) {
            if (inSection)
                break;
            inSection = sameName(name, section);
            if (inSection)
                sectionLine = lastInSection = i;
            continue;
        }
        if (!inSection)
            continue;
        if (!trimmed.isEmpty())
            lastInSection = i;
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (!isComment(trimmed) && eq > 0 && sameName(trimmed.left(eq).trimmed(), key)) {
            ini.lines[i] = trimmed.left(eq).trimmed() + QLatin1Char('=') + value;
            written = true;
        }
    }
    if (!written) {
        if (sectionLine < 0) {
            if (!ini.lines.isEmpty() && !ini.lines.last().trimmed().isEmpty())
                ini.lines.append(QString());
            ini.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            ini.lines.append(entry);
        } else {
            ini.lines.insert(lastInSection + 1, entry);
        }
    }

    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Não foi possível gravar %1: %2").arg(m_path, file.errorString()));
    const QString text = ini.lines.join(ini.eol) + ini.eol;
    file.write(ini.latin1 ? text.toLatin1() : text.toUtf8());
    if (!file.commit())
        throw Error(QStringLiteral("Não foi possível gravar %1: %2").arg(m_path, file.errorString()));
}

void gravaini(const QString &arquivo, const QString &secao, const QString &campo, const QString &valor)
{
    IniFile(arquivo).setValue(secao, campo, valor);
}

} // namespace tavro
