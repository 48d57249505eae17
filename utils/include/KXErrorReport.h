#pragma once

#include <QString>

#include "vornutils_export.h"

// The library's one way of reporting a failure: a single debug message through
// Qt's message logger (category "default", no file, line or function in the
// context), in one of three fixed templates. The macros capture the reporting
// file's build date and time, the line, and the file's path relative to the
// history library's source root (so "src/vornundostack.cpp", or
// "../image/include/KXImage.h" for the tiled image).
// Stateless: any thread may report (Qt's message logger is thread-safe).
class VORNUTILS_EXPORT KXErrorReport
{
public:
    // "Build date=%1, time=%2. Line=%3, file=\"%4\". %5"
    static void Failure(const char* date, const char* time, int line, const char* file, const QString& text);
    // "Build date=%1, time=%2. Unexpected exception: line=%3, file=\"%4\". Exception content:\"%5\""
    static void Exception(const char* date, const char* time, int line, const char* file, const char* what);
    // "Build date=%1, time=%2. Unexpected unknown exception: line=%3, file=\"%4\""
    static void UnknownException(const char* date, const char* time, int line, const char* file);

    // The message texts, without sending them (what the functions above send).
    static QString FailureText(const char* date, const char* time, int line, const char* file, const QString& text);
    static QString ExceptionText(const char* date, const char* time, int line, const char* file, const char* what);
    static QString UnknownExceptionText(const char* date, const char* time, int line, const char* file);

    // A source path (as __FILE__ gives it) relative to the history library's source root.
    static QString SourcePath(const char* file);

private:
    static void Send(const QString& message);
};

#define VORN_REPORT(text) KXErrorReport::Failure(__DATE__, __TIME__, __LINE__, __FILE__, (text))
#define VORN_REPORT_EXCEPTION(exception) \
    KXErrorReport::Exception(__DATE__, __TIME__, __LINE__, __FILE__, (exception).what())
#define VORN_REPORT_UNKNOWN_EXCEPTION() KXErrorReport::UnknownException(__DATE__, __TIME__, __LINE__, __FILE__)
