#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace tavro;

namespace {

QString read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The anchors a page offers: its elements' id and name attributes.
QSet<QString> anchorsOf(const QString &html)
{
    QSet<QString> anchors;
    static const QRegularExpression attribute(QStringLiteral("\\s(?:id|name)=\"([^\"]+)\""));
    for (const QRegularExpressionMatch &match : attribute.globalMatch(html))
        anchors.insert(match.captured(1));
    return anchors;
}

} // namespace

// Every page of the guide names only pictures that are there and links only to pages and anchors
// that are there; no link leaves the guide, so it reads the same without a network. Every page is
// reachable from the table of contents, and every tab's page exists.
TEST(Guide, PicturesAndLinksResolveAndEveryPageIsReachable)
{
    const QString folder = guideFolder();
    ASSERT_FALSE(folder.isEmpty());
    const QStringList pages = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_TRUE(pages.contains(QStringLiteral("index.html")));

    static const QRegularExpression reference(QStringLiteral("\\s(href|src)=\"([^\"]*)\""));
    QSet<QString> linked{QStringLiteral("index.html")};
    QSet<QString> pictures;
    for (const QString &page : pages) {
        const QString html = read(folder + QLatin1Char('/') + page);
        EXPECT_TRUE(html.contains(QStringLiteral("<h1"))) << page.toStdString();
        for (const QRegularExpressionMatch &match : reference.globalMatch(html)) {
            const QString target = match.captured(2);
            const std::string where = page.toStdString() + ": " + target.toStdString();
            EXPECT_FALSE(target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("//"))) << where;
            const QString file = target.section(QLatin1Char('#'), 0, 0);
            const QString anchor = target.section(QLatin1Char('#'), 1);
            const QString path = folder + QLatin1Char('/') + (file.isEmpty() ? page : file);
            ASSERT_TRUE(QFileInfo(path).isFile()) << where;
            if (match.captured(1) == QStringLiteral("src") && file.endsWith(QStringLiteral(".png")))
                pictures.insert(file);
            if (file.endsWith(QStringLiteral(".html")))
                linked.insert(file);
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(anchorsOf(read(path)).contains(anchor)) << where;
            }
        }
    }
    for (const QString &page : pages)
        EXPECT_TRUE(linked.contains(page)) << "no page links to " << page.toStdString();
    EXPECT_FALSE(pictures.isEmpty());
    for (const char *tab : {"TSEstoque", "TSEntradas", "TSSaidas", "TSDispensacoes", "TSErros", "TabSheet7",
                            "TSProtocolos", "TSSituacao"})
        EXPECT_TRUE(pages.contains(guidePageOfTab(QString::fromLatin1(tab)))) << tab;
    // Pictures the guide no longer shows would still be installed with it.
    const QStringList taken = QDir(folder + QStringLiteral("/imagens")).entryList({QStringLiteral("*.png")});
    for (const QString &picture : taken)
        EXPECT_TRUE(pictures.contains(QStringLiteral("imagens/") + picture)) << picture.toStdString();
}
