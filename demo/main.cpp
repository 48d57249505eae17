// A realistic editing session on the history library, with nothing to set up.
//
// It builds a document (or starts from a picture), records edits through the
// library's commands (an opacity slider drag as a live edit, blend modes,
// renames, selections, brush strokes, layer create and remove) while printing
// the history panel's rows, then undoes everything and checks the document is
// bit-identical to the start, redoes everything and checks it matches the end,
// and prints a report. It exits non-zero when a check fails.
//
// Options: --image PATH, --size WxH, --steps N, --tmp DIR, --png DIR.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include "KXMemoryDocument.h"
#include "documentfingerprint.h"
#include "editsession.h"
#include "headlessplatform.h"
#include "vornundostack.h"

namespace {

qint64 PeakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

bool ParseSize(const QString& text, QSize& size)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    bool okWidth = false;
    bool okHeight = false;
    size = QSize(parts[0].toInt(&okWidth), parts[1].toInt(&okHeight));
    return okWidth && okHeight && size.width() >= 64 && size.height() >= 64 && size.width() <= 30000
        && size.height() <= 30000;
}

bool Check(const char* what, const DocumentFingerprint& expected, const DocumentFingerprint& actual)
{
    const QStringList differences = expected.Differences(actual);
    if (differences.isEmpty()) {
        std::printf("check: %s: identical (%d layers)\n", what, expected.layers.size());
        return true;
    }
    std::printf("CHECK FAILED: %s\n", what);
    for (const QString& line : differences)
        std::printf("  %s\n", qPrintable(line));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenPlatformWithoutDisplay();
    QApplication app(argc, argv); // text layers render with Qt's fonts
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("An editing session recorded, undone and redone."));
    parser.addHelpOption();
    const QCommandLineOption imageOption(QStringLiteral("image"), QStringLiteral("Start from this picture."),
        QStringLiteral("PATH"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Canvas size (default 3000x2000)."),
        QStringLiteral("WxH"), QStringLiteral("3000x2000"));
    const QCommandLineOption stepsOption(QStringLiteral("steps"), QStringLiteral("Rounds of edits (default 2)."),
        QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption tmpOption(QStringLiteral("tmp"), QStringLiteral("Folder for the temporary files."),
        QStringLiteral("DIR"));
    const QCommandLineOption pngOption(QStringLiteral("png"),
        QStringLiteral("Write a picture of the document after each step."), QStringLiteral("DIR"));
    parser.addOptions({imageOption, sizeOption, stepsOption, tmpOption, pngOption});
    parser.process(app);

    EditSession::Options options;
    if (!ParseSize(parser.value(sizeOption), options.size)) {
        std::fprintf(stderr, "--size wants WxH between 64 and 30000, got %s\n", qPrintable(parser.value(sizeOption)));
        return 2;
    }
    bool stepsOk = false;
    options.steps = parser.value(stepsOption).toInt(&stepsOk);
    if (!stepsOk || options.steps < 1 || options.steps > 1000) {
        std::fprintf(stderr, "--steps wants 1 to 1000\n");
        return 2;
    }
    options.imagePath = parser.value(imageOption);
    options.pngFolder = parser.value(pngOption);
    if (!options.pngFolder.isEmpty() && !QDir().mkpath(options.pngFolder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(options.pngFolder));
        return 2;
    }
    const QString tmpRoot = parser.value(tmpOption).isEmpty() ? QDir::tempPath() : parser.value(tmpOption);
    if (!QDir().mkpath(tmpRoot)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(tmpRoot));
        return 2;
    }
    QTemporaryDir scratch(tmpRoot + QStringLiteral("/vorndemo-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(tmpRoot));
        return 2;
    }
    options.temporaryFolder = scratch.path();

    QElapsedTimer wall;
    wall.start();
    EditSession session(options);
    if (!session.BuildDocument())
        return 2;
    const DocumentFingerprint start = DocumentFingerprint::Take(session.Document());
    const QSize canvas = session.Document().GetCanvasSize();
    std::printf("document: %dx%d, %d layers, built in %.0f ms\n", canvas.width(), canvas.height(),
        start.layers.size(), wall.nsecsElapsed() / 1e6);

    std::printf("\n-- recording %d rounds of edits (history rows as the panel shows them)\n", options.steps);
    session.Record();
    const EditSession::DiskUse disk = session.WaitForDisk();
    const DocumentFingerprint end = DocumentFingerprint::Take(session.Document());

    std::printf("\n-- undo everything\n");
    session.UndoAll();
    bool ok = Check("after undoing everything, the document equals the start", start,
        DocumentFingerprint::Take(session.Document()));
    std::printf("\n-- redo everything\n");
    session.RedoAll();
    ok = Check("after redoing everything, the document equals the end", end,
        DocumentFingerprint::Take(session.Document())) && ok;
    ok = session.Errors() == 0 && ok;

    const EditSession::Timings& timings = session.Times();
    std::printf("\n-- report\n");
    std::printf("edits recorded:            %d (history rows %d)\n", timings.pushes, session.Stack().count());
    std::printf("temporary files:           %d, %.1f KiB on disk in %s\n", disk.files, disk.bytes / 1024.0,
        qPrintable(options.temporaryFolder));
    std::printf("peak resident memory:      %.0f MiB\n", PeakResidentBytes() / 1048576.0);
    std::printf("time per push:             %.2f ms (%d pushes and commits)\n",
        timings.pushes ? timings.pushMs / timings.pushes : 0.0, timings.pushes);
    std::printf("time per undo:             %.2f ms (%d undos)\n", timings.undos ? timings.undoMs / timings.undos : 0.0,
        timings.undos);
    std::printf("time per redo:             %.2f ms (%d redos)\n", timings.redos ? timings.redoMs / timings.redos : 0.0,
        timings.redos);
    std::printf("error reports:             %d\n", session.Errors());
    std::printf("result:                    %s\n", ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}
