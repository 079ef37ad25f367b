#include "app/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tavro {

namespace {

const QString IndexPage = QStringLiteral("index.html");

bool holdsGuide(const QString &folder)
{
    return QFileInfo::exists(folder + QLatin1Char('/') + IndexPage);
}

} // namespace

QString guideFolder()
{
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                              + QStringLiteral("/" TAVRO_GUIDE_FROM_PROGRAM));
    if (holdsGuide(installed))
        return installed;
    const QString sources = QStringLiteral(TAVRO_GUIDE_SOURCE);
    return holdsGuide(sources) ? sources : QString();
}

QString guidePageOfTab(const QString &tabName)
{
    static const QList<std::pair<QString, QString>> pages = {
        {QStringLiteral("TSEstoque"), QStringLiteral("estoque.html")},
        {QStringLiteral("TSEntradas"), QStringLiteral("entradas.html")},
        {QStringLiteral("TSSaidas"), QStringLiteral("saidas.html")},
        {QStringLiteral("TSDispensacoes"), QStringLiteral("dispensacoes.html")},
        {QStringLiteral("TSErros"), QStringLiteral("erros.html")},
        {QStringLiteral("TabSheet7"), QStringLiteral("retornos.html")},
        {QStringLiteral("TSProtocolos"), QStringLiteral("protocolos.html")},
        {QStringLiteral("TSSituacao"), QStringLiteral("situacao.html")},
    };
    for (const auto &[tab, page] : pages) {
        if (tab == tabName)
            return page;
    }
    return IndexPage;
}

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_folder(guideFolder())
{
    setObjectName(QStringLiteral("Ajuda"));
    setWindowTitle(QStringLiteral("Ajuda - Tavro Transmissor"));
    // Wide enough for the pictures of the window's tabs, where the screen allows.
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1280, 760);
    resize(qMin(1280, screen.width()), qMin(760, screen.height()));

    auto *back = new QPushButton(QStringLiteral("Voltar"), this);
    back->setObjectName(QStringLiteral("BVoltar"));
    back->setEnabled(false);
    auto *contents = new QPushButton(QStringLiteral("Sumário"), this);
    contents->setObjectName(QStringLiteral("BSumario"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("TBAjuda"));
    // Links to other sites leave the guide for the desktop's browser; the guide itself has none.
    m_browser->setOpenExternalLinks(true);

    auto *buttons = new QHBoxLayout();
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);

    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, [this] { showPage(IndexPage); });
}

void HelpWindow::showPage(const QString &page)
{
    if (m_folder.isEmpty()) {
        m_browser->setHtml(QStringLiteral("<p>O guia de uso não foi encontrado. Ele é instalado com o programa em "
                                          "/usr/share/doc/tavro-transmissor/ajuda/.</p>"));
    } else {
        const QUrl base = QUrl::fromLocalFile(m_folder + QLatin1Char('/'));
        m_browser->setSource(base.resolved(QUrl(page)));
    }
    show();
    raise();
    activateWindow();
}

} // namespace tavro
