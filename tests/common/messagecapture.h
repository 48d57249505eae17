#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects every debug message sent while it lives (from any thread), with
// the category and context the logger gave it. One lock guards the current
// capture and its list, so a message from a worker thread never reaches a
// capture being destroyed.
class MessageCapture
{
public:
    struct Message
    {
        QtMsgType type;
        QString category;
        QString text;
        bool hasContext;
    };

    MessageCapture()
    {
        {
            QMutexLocker locker(&lock());
            current() = this;
        }
        m_previous = qInstallMessageHandler(&MessageCapture::handler);
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(m_previous);
        QMutexLocker locker(&lock());
        current() = nullptr;
    }

    QList<Message> messages() const
    {
        QMutexLocker locker(&lock());
        return m_messages;
    }
    // The texts of the debug messages (error reports), in order.
    QStringList texts() const
    {
        QStringList result;
        for (const Message& message : messages())
            if (message.type == QtDebugMsg)
                result << message.text;
        return result;
    }
    void clear()
    {
        QMutexLocker locker(&lock());
        m_messages.clear();
    }

private:
    static MessageCapture*& current()
    {
        static MessageCapture* capture = nullptr;
        return capture;
    }
    static QMutex& lock()
    {
        static QMutex mutex;
        return mutex;
    }
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        QMutexLocker locker(&lock());
        MessageCapture* capture = current();
        if (!capture)
            return;
        capture->m_messages.append({type, QString::fromLatin1(context.category ? context.category : ""), text,
                                    context.file != nullptr || context.line != 0 || context.function != nullptr});
    }

    QtMessageHandler m_previous = nullptr;
    QList<Message> m_messages;
};

// The pattern of a report's fixed parts: build date and time as the compiler gives them.
inline QString reportDatePattern()
{
    return QStringLiteral("[A-Z][a-z]{2} [ 0-9]\\d \\d{4}");
}
inline QString reportTimePattern()
{
    return QStringLiteral("\\d{2}:\\d{2}:\\d{2}");
}
