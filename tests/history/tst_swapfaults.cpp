#include <QtTest>

#include <atomic>
#include <memory>

#include "KXFileFaults.h"
#include "KXImageOps.h"
#include "KXMemoryDocument.h"
#include "kxchangelayerrastercommand.h"
#include "kxchangerasterdata.h"
#include "messagecapture.h"
#include "recordtesting.h"
#include "roundtrip.h"
#include "vornhistorymodel.h"

namespace {

enum Fault
{
    OpenRefused,
    DiskFull,
    Deleted,
    Truncated,
    Altered,
    RemovalRefused
};

// Faults of the record files only (the test's own files stay sound).
class RecordFaults : public KXFileFaults
{
public:
    bool RefusesOpen(const QString& path, QIODevice::OpenMode mode) const override
    {
        return refuseOpen && (mode & QIODevice::WriteOnly) && IsRecord(path);
    }
    qint64 WriteLimit(const QString& path) const override { return IsRecord(path) ? writeLimit.load() : -1; }
    bool RefusesRemove(const QString& path) const override { return refuseRemove && IsRecord(path); }

    std::atomic<bool> refuseOpen {false};
    std::atomic<qint64> writeLimit {-1};
    std::atomic<bool> refuseRemove {false};

private:
    static bool IsRecord(const QString& path) { return path.contains(QLatin1String("~nuboltmp.")); }
};

struct InstalledFaults
{
    explicit InstalledFaults(const KXFileFaults* faults) { KXFileFaults::Install(faults); }
    ~InstalledFaults() { KXFileFaults::Install(nullptr); }
};

void Damage(const QString& path, Fault fault)
{
    QFile file(path);
    if (fault == Deleted) {
        QVERIFY(file.remove());
        return;
    }
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    if (fault == Truncated) {
        QVERIFY(file.resize(size - 3));
    } else { // the layer id, the record's last field: 1 becomes 0, a record that still reads
        QVERIFY(file.seek(size - 1));
        QCOMPARE(file.read(1), QByteArray(1, '\x01'));
        QVERIFY(file.seek(size - 1));
        QCOMPARE(file.write(QByteArray(1, '\0')), qint64(1));
    }
}

} // namespace

// A whole-layer edit (a filter applied as a change-raster) on a real history
// while its record file suffers one fault of the disk. Data the library still
// holds survives every fault; a record the disk damaged is reported and never
// applied; no file outlives its command. Each row prints its line of the fault
// table (scenario, cycles, crashes, damaged records applied, data lost, files left).
class TestSwapFaults : public QObject
{
    Q_OBJECT
private slots:
    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("open refused") << int(OpenRefused);
        QTest::newRow("disk full after 4 KiB") << int(DiskFull);
        QTest::newRow("file deleted") << int(Deleted);
        QTest::newRow("file truncated") << int(Truncated);
        QTest::newRow("file altered") << int(Altered);
        QTest::newRow("removal refused") << int(RemovalRefused);
    }
    void faults()
    {
        QFETCH(int, fault);
        const int cycles = 10;
        KXMemoryDocument document(QSize(300, 200));
        document.AddRasterLayer(QStringLiteral("Background"), PatternImage(300, 200, 1));
        const unsigned int id = document.AddRasterLayer(QStringLiteral("Photo"), PatternImage(300, 200, 2));
        const KXImage32 original = *document.GetLayerImage(id);
        KXImage32 filtered = original.Copy(QRect(10, 10, 200, 150));
        InvertImage(filtered, KXInvertColor);
        auto* data = new KXChangeRasterData;
        data->SetUndoImage(QPoint(), original);
        data->SetRedoImage(QPoint(10, 10), filtered);
        data->SetLayerID(id);
        auto* command = new KXChangeLayerRasterCommand(&document, true);
        command->SetCommandData(data);

        HistoryFixture history;
        VornCommandDataSerializer* serializer = history.stack.GetSerializer();
        VornHistoryModel model(&history.stack);
        RecordFaults faults;
        faults.refuseOpen = fault == OpenRefused;
        faults.writeLimit = fault == DiskFull ? 4096 : -1;
        InstalledFaults installed(&faults);
        auto capture = std::make_unique<MessageCapture>();
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        history.stack.push(command);
        history.WaitWritten();
        const DocumentFingerprint after = DocumentFingerprint::Take(document);
        const QString file = QDir(history.folder.path()).filePath(RecordFiles(QDir(history.folder.path())).value(0));
        int damagedApplied = 0;
        int lost = 0;
        QStringList expected;
        // Undo and redo while the library holds the data: each must give the document exactly.
        const auto cycleIntact = [&] {
            for (int cycle = 0; cycle < cycles; ++cycle) {
                history.stack.undo();
                history.WaitWritten();
                lost += DocumentFingerprint::Take(document).Differences(before).isEmpty() ? 0 : 1;
                history.stack.redo();
                history.WaitWritten();
                lost += DocumentFingerprint::Take(document).Differences(after).isEmpty() ? 0 : 1;
            }
        };

        if (fault == OpenRefused || fault == DiskFull) {
            // Nothing written: the data waits in memory, as a host can see.
            QCOMPARE(history.FileCount(), 0);
            model.resync();
            QCOMPARE(model.index(1).data(VornHistoryModel::UnwrittenRole).toBool(), true);
            QCOMPARE(model.index(1).data(Qt::ToolTipRole).toString(),
                     QStringLiteral("Not written to disk: its data waits in memory."));
            const qint64 tiles = original.DistinctTileCount() + filtered.DistinctTileCount();
            QCOMPARE(serializer->GetUnwrittenData().entries, 1);
            QCOMPARE(serializer->GetUnwrittenData().bytes, tiles * 65536 + 2 * 8 + 4); // two images, two offsets, an id
            cycleIntact();
            // Each failed write of a full disk is reported; a refused open is not.
            QString writeError = ReportPattern(QStringLiteral("src/vorncommandprivate/serializedata.cpp"),
                QStringLiteral("Serialize data error. Destination file:\"%1/~nuboltmp.%2_")
                    .arg(history.folder.path(), QString::number(quintptr(data))));
            writeError.replace(QRegularExpression(QStringLiteral("\\$$")), QStringLiteral("\\d{9}\"$"));
            if (fault == DiskFull)
                for (int write = 0; write < 1 + 2 * cycles; ++write)
                    expected << writeError;
            faults.refuseOpen = false;
            faults.writeLimit = -1;
            history.stack.undo(); // written at last
            history.WaitWritten();
            QCOMPARE(history.FileCount(), 1);
            QCOMPARE(serializer->GetUnwrittenData().entries, 0);
            model.resync();
            QCOMPARE(model.index(1).data(VornHistoryModel::UnwrittenRole).toBool(), false);
        } else if (fault == RemovalRefused) {
            cycleIntact();
            faults.refuseRemove = true;
            history.stack.clear();
            expected << ReportPattern(QStringLiteral("src/vorncommandprivate/vornreaderwriter.cpp"),
                                      QStringLiteral("Remove data file error. File:\"%1\"").arg(file));
            // The file stays, but the pictures do not.
            QCOMPARE(history.FileCount(), 1);
            QCOMPARE(QFileInfo(file).size(), qint64(0));
            faults.refuseRemove = false;
        } else {
            // A damaged record: both directions report and leave the document as it is.
            Damage(file, Fault(fault));
            for (int cycle = 0; cycle < cycles; ++cycle) {
                history.stack.undo();
                damagedApplied += DocumentFingerprint::Take(document).Differences(after).isEmpty() ? 0 : 1;
                history.stack.redo();
                damagedApplied += DocumentFingerprint::Take(document).Differences(after).isEmpty() ? 0 : 1;
                for (int direction = 0; direction < 2; ++direction)
                    expected << ReportPattern(QStringLiteral("src/vorncommandprivate/serializedata.cpp"),
                                              QStringLiteral("Deserialize data error."))
                             << ReportPattern(QStringLiteral("src/layerchangecommands/kxchangerastercommand.cpp"),
                                              QStringLiteral("An internal error"));
            }
        }
        CompareReports(capture->texts(), expected);
        capture.reset();
        history.stack.clear();
        const int filesLeft = history.FileCount();
        qInfo("fault table: %s | cycles %d | crashes 0 | damaged records applied %d | data lost %d | files left %d",
              QTest::currentDataTag(), cycles, damagedApplied, lost, filesLeft);
        QCOMPARE(damagedApplied, 0);
        QCOMPARE(lost, 0);
        QCOMPARE(filesLeft, fault == RemovalRefused ? 1 : 0); // that one emptied
        QFile::remove(file);
    }
};

QTEST_MAIN(TestSwapFaults)
#include "tst_swapfaults.moc"
