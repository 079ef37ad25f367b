#include "FollowupFixture.h"

#include "app/Messages.h"
#include "app/ProtocolTab.h"
#include "common/Status.h"
#include "lists/RecordList.h"
#include "transmission/StatusWrites.h"
#include "widgets/TPersonBtn.h"

#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>

using namespace tavro;
using tavro::test::FollowupFixture;

namespace {

class RecordedMessages : public Messages
{
public:
    void error(QWidget *, const QString &, const QString &text) override { shown << text; }
    void information(QWidget *, const QString &text) override { shown << text; }
    void standardError(QWidget *, const QString &text) override { shown << text; }

    QStringList shown;
};

class Tab : public FollowupFixture
{
protected:
    void SetUp() override
    {
        startSim({"--aguardando", "0"});
        m_protocolo = m_sender->send(Tipo::Entrada, {"1001-1", "1001-2"});
        m_tab.setServices({&m_db, m_client.get(), &m_messages, [this] {
                               ++m_reloads;
                               ProtocolFilter filter = m_tab.filter(QStringLiteral("2345678"));
                               CarregaProtocolos(m_db, filter, m_login.UsuarioSessao, m_tab.list());
                           }});
        reload();
        m_sim->requests();
    }
    void reload()
    {
        CarregaProtocolos(m_db, m_tab.filter(QStringLiteral("2345678")), m_login.UsuarioSessao, m_tab.list());
    }
    void selectFirstRow() { m_tab.LVProtocolos->selectRow(0); }
    QString statusCell() const { return m_tab.list().subCell(0, ProtocolCell::Situacao); }
    int posts() { return int(m_sim->requests().filter(QStringLiteral("POST")).size()); }

    ProtocolTab m_tab;
    RecordedMessages m_messages;
    QString m_protocolo;
    int m_reloads = 0;
};

} // namespace

TEST_F(Tab, ChecksRefuseWithoutASelectedRowOrAnUnfinishedProtocol)
{
    m_tab.PBProtocolosProcessamento->Click();
    m_tab.PBProtocolosInconsistencia->Click();
    EXPECT_EQ(m_messages.shown, (QStringList{"Selecione o protocolo!", "Selecione o protocolo!"}));

    selectFirstRow();
    m_tab.PBProtocolosInconsistencia->Click();
    EXPECT_EQ(m_messages.shown.last(),
              QStringLiteral("Somente protocolos Finalizados podem ter as Inconsistências verificadas!"));
    EXPECT_EQ(posts(), 0);
    EXPECT_EQ(m_reloads, 0);
    EXPECT_TRUE(m_tab.PBProtocolosInconsistencia->isEnabled());
}

TEST_F(Tab, ButtonsRunTheChecksOfTheSelectedRowAndReload)
{
    selectFirstRow();
    m_tab.PBProtocolosProcessamento->Click();
    EXPECT_EQ(m_reloads, 1);
    EXPECT_EQ(statusCell(), Situacao::Finalizado);
    EXPECT_TRUE(m_tab.PBProtocolosProcessamento->isEnabled());

    selectFirstRow();
    m_tab.PBProtocolosInconsistencia->Click();
    EXPECT_EQ(statusCell(), Situacao::Ok);
    EXPECT_EQ(m_tab.MProtocolos->toPlainText(), QStringLiteral("M\n3550308\nFinalizado\nM\n3550308"));
    EXPECT_EQ(m_messages.shown, QStringList());

    m_tab.PersonBtn1->Click();
    EXPECT_EQ(m_tab.MProtocolos->toPlainText(), QString());
}

TEST_F(Tab, VerifyAllWalksTheListAsManyTimesAsAsked)
{
    m_tab.SEProtocolosVezes->setValue(0);
    m_tab.PBTodosProtocolos->Click();
    EXPECT_EQ(posts(), 0);
    EXPECT_EQ(m_reloads, 1);

    m_tab.SEProtocolosVezes->setValue(1);
    m_tab.PBTodosProtocolos->Click();
    EXPECT_EQ(statusCell(), Situacao::Ok);
    EXPECT_EQ(protocolRow(m_protocolo), (QStringList{Situacao::Ok, "40"}));
    EXPECT_EQ(m_reloads, 2);
    EXPECT_TRUE(m_tab.PBTodosProtocolos->isEnabled());
}
