#include "base/messenger.h"

int ScriptedMessenger::show(const QString &text, const QString &caption, Style style)
{
    m_shown.append({text, caption, style});
    if (m_hook)
        m_hook(m_shown.last());
    if (style != Style::YesNoWarning && style != Style::YesNoDestructive && style != Style::YesNoCancel)
        return AnswerOk;
    return m_answers.isEmpty() ? m_default : m_answers.takeFirst();
}
