#pragma once

#include "app/Messages.h"

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QWidget;

namespace tavro {

class TForm1;

// The boxes the window shows, kept instead of waiting for a click, so that the walk goes on and
// the picture of a box can be drawn from its text.
class KeptMessages : public Messages
{
public:
    void error(QWidget *parent, const QString &title, const QString &text) override;
    void warning(QWidget *parent, const QString &text) override;
    void information(QWidget *parent, const QString &text) override;
    void standardError(QWidget *parent, const QString &text) override;
    bool question(QWidget *parent, const QString &text) override;

    // The last box shown, to draw; empty when none was.
    QString text;
    QString title;
    int icon = 0; // QMessageBox::Icon
    bool questionAsked = false;
    bool answer = false; // the answer to the next question
};

// Walks a window over a copy of the demo database, against tavro-sim, through the guide's steps,
// and saves each picture the guide shows into the output folder.
class GuideShots
{
public:
    GuideShots(QString demoDatabase, QString simProgram, QString outputFolder);
    ~GuideShots();

    // Every picture; false, with the reason on stderr, when a step fails.
    bool run();

private:
    // A window over the work copy, against a tavro-sim started with `simOptions`, logged in.
    void openWindow(const QStringList &simOptions, int tempoLimite);
    void closeWindow();
    void sendingDay();
    void heldBatch();

    // `area`: the part of the widget to keep; the whole widget when null.
    void save(QWidget *widget, const QString &name, QRect area = {});
    // The picture of the last box the window showed.
    void saveBox(const QString &name);
    template <typename W>
    W *child(const char *name);
    void openTab(const char *name);

    QString m_demo;
    QString m_sim;
    QString m_output;
    QTemporaryDir m_work;
    QProcess m_simProcess;
    KeptMessages m_messages;
    std::unique_ptr<TForm1> m_form;
};

} // namespace tavro
