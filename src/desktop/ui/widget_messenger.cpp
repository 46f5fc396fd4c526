#include "desktop/ui/widget_messenger.h"

#include <QMessageBox>

int WidgetMessenger::show(const QString &text, const QString &caption, Style style)
{
    switch (style) {
    case Style::YesNoWarning:
    case Style::YesNoDestructive: {
        const auto answer = QMessageBox::warning(
            m_owner, caption, text, QMessageBox::Yes | QMessageBox::No,
            style == Style::YesNoDestructive ? QMessageBox::No : QMessageBox::Yes);
        return answer == QMessageBox::Yes ? AnswerYes : AnswerNo;
    }
    case Style::YesNoCancel: {
        const auto answer = QMessageBox::warning(m_owner, caption, text,
                                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                                 QMessageBox::Cancel);
        return answer == QMessageBox::Yes ? AnswerYes : answer == QMessageBox::No ? AnswerNo : AnswerCancel;
    }
    case Style::Error:
        QMessageBox::critical(m_owner, caption, text);
        return AnswerOk;
    case Style::Information:
        QMessageBox::information(m_owner, caption, text);
        return AnswerOk;
    case Style::Ok:
        break;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_owner);
    box.exec();
    return AnswerOk;
}
