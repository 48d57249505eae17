#include "KXErrorReport.h"

#include <QDebug>
#include <QDir>
#include <QLoggingCategory>
#include <QMessageLogger>

#ifndef VORN_HISTORY_SOURCE_ROOT
#define VORN_HISTORY_SOURCE_ROOT "."
#endif

void KXErrorReport::Failure(const char* date, const char* time, int line, const char* file, const QString& text)
{
    Send(FailureText(date, time, line, file, text));
}

void KXErrorReport::Exception(const char* date, const char* time, int line, const char* file, const char* what)
{
    Send(ExceptionText(date, time, line, file, what));
}

void KXErrorReport::UnknownException(const char* date, const char* time, int line, const char* file)
{
    Send(UnknownExceptionText(date, time, line, file));
}

QString KXErrorReport::FailureText(const char* date, const char* time, int line, const char* file,
                                   const QString& text)
{
    return QStringLiteral("Build date=%1, time=%2. Line=%3, file=\"%4\". %5")
        .arg(QString::fromLatin1(date))
        .arg(QString::fromLatin1(time))
        .arg(line)
        .arg(SourcePath(file))
        .arg(text);
}

QString KXErrorReport::ExceptionText(const char* date, const char* time, int line, const char* file,
                                     const char* what)
{
    return QStringLiteral(
               "Build date=%1, time=%2. Unexpected exception: line=%3, file=\"%4\". Exception content:\"%5\"")
        .arg(QString::fromLatin1(date))
        .arg(QString::fromLatin1(time))
        .arg(line)
        .arg(SourcePath(file))
        .arg(what ? QString::fromLocal8Bit(what) : QString());
}

QString KXErrorReport::UnknownExceptionText(const char* date, const char* time, int line, const char* file)
{
    return QStringLiteral("Build date=%1, time=%2. Unexpected unknown exception: line=%3, file=\"%4\"")
        .arg(QString::fromLatin1(date))
        .arg(QString::fromLatin1(time))
        .arg(line)
        .arg(SourcePath(file));
}

QString KXErrorReport::SourcePath(const char* file)
{
    const QString path = QDir::cleanPath(QString::fromLocal8Bit(file));
    if (QDir::isRelativePath(path))
        return path;
    return QDir(QStringLiteral(VORN_HISTORY_SOURCE_ROOT)).relativeFilePath(path);
}

void KXErrorReport::Send(const QString& message)
{
    // A default-constructed logger carries no file, line or function; the
    // default category names the context "default". The text goes out as it
    // is, without the quotes QDebug would add to a string.
    QMessageLogger().debug(*QLoggingCategory::defaultCategory()).noquote() << message;
}
