#pragma once

#include <QString>

class QFont;
class QWidget;

namespace tavro {

// The fixed-width font of texts laid out in columns (a run's summary, the overview's summary):
// Liberation Mono, which the packages install (fonts-liberation), so the columns line up whatever
// fixed-width font the desktop names; the desktop's own where it is missing.
QFont columnsFont();

// The title of the error boxes of the login and of the unit lookup.
inline const QString LoginErrorTitle = QStringLiteral("Erro, verifique os dados digitados");

// Every message the window shows goes through here, so a test can record them
// instead of answering modal boxes.
class Messages
{
public:
    virtual ~Messages() = default;
    // A box with the error icon and the given title (possibly empty).
    virtual void error(QWidget *parent, const QString &title, const QString &text) = 0;
    // A box with the warning icon and an empty title, for the system's own checks.
    virtual void warning(QWidget *parent, const QString &text) { error(parent, QString(), text); }
    // A plain information message.
    virtual void information(QWidget *parent, const QString &text) = 0;
    // A text laid out in columns (a run's summary), shown whole in a fixed-width font.
    virtual void summary(QWidget *parent, const QString &text) { information(parent, text); }
    // The application's standard error box, for errors no operation catches.
    virtual void standardError(QWidget *parent, const QString &text) = 0;
    // A yes-or-no question, "no" chosen at first; true for "yes". Where none can be
    // asked, the answer is "no", so nothing is done unasked.
    virtual bool question(QWidget *parent, const QString &text)
    {
        Q_UNUSED(parent);
        Q_UNUSED(text);
        return false;
    }
};

// The message boxes of the desktop.
class MessageBoxes : public Messages
{
public:
    void error(QWidget *parent, const QString &title, const QString &text) override;
    void warning(QWidget *parent, const QString &text) override;
    void information(QWidget *parent, const QString &text) override;
    void summary(QWidget *parent, const QString &text) override;
    void standardError(QWidget *parent, const QString &text) override;
    bool question(QWidget *parent, const QString &text) override;
};

// Runs a handler's body; an escaped error reaches the standard error box instead of
// crossing the event loop.
template <typename Body>
void guarded(Messages &messages, QWidget *parent, Body &&body);

} // namespace tavro

#include "common/Error.h"

#include <exception>

template <typename Body>
void tavro::guarded(Messages &messages, QWidget *parent, Body &&body)
{
    try {
        body();
    } catch (const Error &error) {
        messages.standardError(parent, error.message());
    } catch (const std::exception &error) {
        messages.standardError(parent, QString::fromLocal8Bit(error.what()));
    }
}
