#pragma once

#include <QList>
#include <QString>

#include <functional>

// Every message box and Yes/No question of the program goes through a Messenger, so
// that the windows show real boxes and tests (and the command-line tool) answer them.
class Messenger
{
public:
    // YesNoDestructive: a question whose Yes cannot be undone (a reset, clearing edits);
    // No is the default button, so Return never answers Yes. YesNoCancel: a question the
    // user may step back from; Cancel is the default button and Escape answers it.
    enum class Style { Ok, YesNoWarning, Error, Information, YesNoDestructive, YesNoCancel };
    // Answers as the platform numbered them; callers compare with Yes and No.
    enum Answer { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

    virtual ~Messenger() = default;
    virtual int show(const QString &text, const QString &caption, Style style) = 0;

    bool ask(const QString &text, const QString &caption)
    {
        return show(text, caption, Style::YesNoWarning) == AnswerYes;
    }
    bool askDestructive(const QString &text, const QString &caption)
    {
        return show(text, caption, Style::YesNoDestructive) == AnswerYes;
    }
    void tell(const QString &text, const QString &caption = {}, Style style = Style::Ok)
    {
        show(text, caption, style);
    }
};

// Records every message and answers questions from a script (Yes when it runs dry
// unless told otherwise).
class ScriptedMessenger final : public Messenger
{
public:
    struct Shown {
        QString text;
        QString caption;
        Style style;
    };

    int show(const QString &text, const QString &caption, Style style) override;

    void queueAnswers(const QList<int> &answers) { m_answers.append(answers); }
    void setDefaultAnswer(int answer) { m_default = answer; }
    void setHook(std::function<void(const Shown &)> hook) { m_hook = std::move(hook); }

    const QList<Shown> &shown() const { return m_shown; }
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear() { m_shown.clear(); }

private:
    QList<Shown> m_shown;
    QList<int> m_answers;
    int m_default = AnswerYes;
    std::function<void(const Shown &)> m_hook;
};
