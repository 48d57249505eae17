// vornedit: a small editor window on the history library.
//
// Options: --image PATH (the picture to open; default an evening sky),
// --tmp DIR (where the history's temporary files go; default the system's).
#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>

#include <cstdio>

#include "KXMemoryDocument.h"
#include "editorwindow.h"
#include "sampledocument.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A small editor on the history library."));
    parser.addHelpOption();
    const QCommandLineOption imageOption(QStringLiteral("image"), QStringLiteral("Open this picture."),
        QStringLiteral("PATH"));
    const QCommandLineOption tmpOption(QStringLiteral("tmp"), QStringLiteral("Folder for the temporary files."),
        QStringLiteral("DIR"), QDir::tempPath());
    parser.addOptions({imageOption, tmpOption});
    parser.process(app);

    std::unique_ptr<KXMemoryDocument> document = BuildSampleDocument(parser.value(imageOption), QSize(900, 600));
    if (!document) {
        std::fprintf(stderr, "cannot read the picture %s\n", qPrintable(parser.value(imageOption)));
        return 2;
    }
    QTemporaryDir scratch(parser.value(tmpOption) + QStringLiteral("/vornedit-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(parser.value(tmpOption)));
        return 2;
    }
    EditorWindow window(std::move(document), scratch.path());
    window.show();
    return app.exec();
}
