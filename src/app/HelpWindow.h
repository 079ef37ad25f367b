#pragma once

#include <QWidget>

class QTextBrowser;

namespace tavro {

// The folder of the clerk's guide (index.html and its pictures): the installed one, found from
// the program's own folder as the package lays it out (/usr/bin -> /usr/share/doc/...), else the
// source tree's, for a program run from its build folder. Empty when neither holds the guide.
QString guideFolder();

// The guide's page that explains the tab of this object name ("TSEstoque" -> "estoque.html");
// the table of contents for a name the guide has no page for.
QString guidePageOfTab(const QString &tabName);

// The guide in a window of its own, over the HTML files of `guideFolder()`; links between its
// pages work, and nothing is fetched from the network.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows `page` (a file of the guide, with an optional "#anchor") and raises the window.
    void showPage(const QString &page);

private:
    QTextBrowser *m_browser;
    QString m_folder;
};

} // namespace tavro
