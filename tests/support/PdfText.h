#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace tavro::test {

// The text of every page of a PDF, as a reader extracts it (pdftotext of poppler-utils).
inline QStringList pdfPages(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext (poppler-utils) failed on " << path.toStdString();
        return {};
    }
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// A word as a reader finds it on the page, with its box in millimetres from the page's
// top left corner.
struct PdfWord
{
    QString text;
    double left, top, right, bottom;
};

// The words of every page with their boxes (pdftotext -bbox of poppler-utils).
inline QList<QList<PdfWord>> pdfWords(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext (poppler-utils) failed on " << path.toStdString();
        return {};
    }
    QList<QList<PdfWord>> pages;
    QXmlStreamReader xml(pdftotext.readAllStandardOutput());
    const auto mm = [&xml](const char *name) {
        return xml.attributes().value(QLatin1String(name)).toDouble() * 25.4 / 72;
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            pages.append(QList<PdfWord>());
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            PdfWord word{QString(), mm("xMin"), mm("yMin"), mm("xMax"), mm("yMax")};
            word.text = xml.readElementText();
            pages.last().append(word);
        }
    }
    return pages;
}

} // namespace tavro::test
