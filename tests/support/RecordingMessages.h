#pragma once

#include "app/Messages.h"

#include <QStringList>

namespace tavro::test {

// The message boxes a test reads back instead of seeing them. `log` holds every box in order as
// "error[TITLE]: TEXT", "warning: TEXT", "info: TEXT", "summary: TEXT", "standard: TEXT" or
// "question: TEXT"; `shown` holds the text alone of each box that only tells (every kind but
// the question). A question is answered `answer`.
struct RecordingMessages : Messages
{
    void error(QWidget *, const QString &title, const QString &text) override
    {
        record(QStringLiteral("error[") + title + QStringLiteral("]: "), text);
    }
    void warning(QWidget *, const QString &text) override { record(QStringLiteral("warning: "), text); }
    void information(QWidget *, const QString &text) override { record(QStringLiteral("info: "), text); }
    void summary(QWidget *, const QString &text) override { record(QStringLiteral("summary: "), text); }
    void standardError(QWidget *, const QString &text) override { record(QStringLiteral("standard: "), text); }
    bool question(QWidget *, const QString &text) override
    {
        log << QStringLiteral("question: ") + text;
        return answer;
    }

    QStringList log;
    QStringList shown;
    bool answer = false;

private:
    void record(const QString &kind, const QString &text)
    {
        log << kind + text;
        shown << text;
    }
};

} // namespace tavro::test
