#pragma once

// Answering the program's message boxes from a test, as a user would: each
// box, once it is up, goes to the next handler, which closes it.
#include "dialogs/message_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace lexivoce::test {

class TMessageAnswers : public QObject
{
public:
    using THandler = std::function<void(dialogs::TMessageForm *)>;

    explicit TMessageAnswers(QList<THandler> handlers) : m_handlers(std::move(handlers))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *form = qobject_cast<dialogs::TMessageForm *>(QApplication::activeModalWidget());
            if (!form || form == m_last || m_handlers.isEmpty())
                return;
            m_last = form;
            Messages << form->findChild<QLabel *>(QStringLiteral("lblDlgMsg"))->text();
            m_handlers.takeFirst()(form);
        });
        m_timer.start(10);
    }

    // The boxes' messages, in the order they came.
    QStringList Messages;

private:
    QList<THandler> m_handlers;
    QTimer m_timer;
    QPointer<dialogs::TMessageForm> m_last;
};

inline void Click(dialogs::TMessageForm *form, const char *button)
{
    form->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

} // namespace lexivoce::test
