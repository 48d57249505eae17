#include <QDataStream>
#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "KXDocumentModel.h"
#include "KXMemoryDocument.h"
#include "ZTAdjustmentManager.h"
#include "ZTLevels.h"
#include "emptycommanddata.h"
#include "layercreatecommand.h"
#include "layercreatecommanddata.h"
#include "layerdataitem.h"
#include "layerremovecommand.h"
#include "layerremovecommanddata.h"
#include "messagecapture.h"
#include "vorncommanddataserializer.h"
#include "vornreaderwriter.h"
#include "vornundostack.h"

Q_DECLARE_METATYPE(LayerDataItem)

namespace {

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A layer block with an empty name, null points, empty images, opacity 1,
// visible, every other value 0.
QByteArray EmptyLayerBlock()
{
    return Hex("00000000" // name
               "00000000 00000000 00000000 00000000" // offset, image
               "00000000 00000000 00000000 00000000" // mask position, mask
               "00000000 3ff0000000000000" // blend mode, opacity
               "00000001 00000000 00000000 00000000 00000000 00000000"); // visible .. mask type
}

// A picture whose every pixel differs from its neighbours, so that any shift,
// crop or channel swap shows.
KXImage32 Pattern(unsigned int width, unsigned int height, int seed)
{
    QImage image(int(width), int(height), QImage::Format_RGBA8888);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            line[4 * x] = uchar(x * 7 + seed);
            line[4 * x + 1] = uchar(y * 13 + seed * 3);
            line[4 * x + 2] = uchar((x ^ y) + seed);
            line[4 * x + 3] = uchar(255 - ((x + y + seed) & 63));
        }
    }
    return KXImage32::FromQImage(image);
}

QFont TextFont()
{
    return QFont(QStringLiteral("DejaVu Sans"), 20, 63);
}

QMatrix4x4 Deformation()
{
    QMatrix4x4 matrix;
    matrix.translate(3, -2);
    matrix.rotate(15, 0, 0, 1);
    matrix.scale(1.25f, 0.75f);
    return matrix;
}

QByteArray LevelsParams(int seed)
{
    ZTLevels::Params params;
    params.channels[ZTLevels::Composite].gamma = 1.5;
    params.channels[ZTLevels::Red].inputBlack = 10 + seed;
    params.channels[ZTLevels::Blue].outputWhite = 200;
    return ZTLevels::Encode(params);
}

// Adds one layer of the kind on top, every property set to a value that
// depends on seed, and returns its id.
unsigned int AddLayer(KXMemoryDocument& document, int kind, bool withMask, int seed)
{
    const QString number = QString::number(seed);
    unsigned int id = KXMemoryDocument::InvalidId;
    switch (kind) {
    case KXDocumentInterface::RasterLayer:
        id = document.AddRasterLayer("Raster " + number, Pattern(150 + seed, 70 + seed, seed),
                                     QPoint(3 * seed - 10, 5 - seed));
        break;
    case KXDocumentInterface::TextLayer:
        id = document.AddTextLayer("Text " + number, "Hello " + number, TextFont(), QColor(10 + seed, 200, 30, 180),
                                   QPoint(4 + seed, 9));
        document.SetTextStyle(id, 2);
        document.SetTextOrientation(id, true);
        document.SetTextBend(id, 0.25);
        document.SetTextHDistortion(id, -0.5);
        document.SetTextVDistortion(id, 0.125);
        document.SetTextTransform(id, Deformation());
        document.MoveLayer(id, QPoint(seed, -seed));
        break;
    case KXDocumentInterface::AdjustmentLayer: {
        id = document.AddAdjustmentLayer("Adjust " + number, ZTLevels::Name());
        ZTAdjustment* adjustment = nullptr;
        ZTAdjustmentTarget target;
        if (document.GetLayerAdjustment(id, adjustment) && document.GetAdjustmentTarget(id, target))
            adjustment->SetParams(target, LevelsParams(seed));
        break;
    }
    default:
        break;
    }
    document.SetLayerOpacity(id, 0.25 + seed * 0.05);
    document.SetLayerBlendMode(id, unsigned(seed % 12));
    document.SetLayerVisible(id, seed % 2 == 0);
    document.SetLayerLocks(id, unsigned(seed * 3 + 1));
    if (withMask) {
        document.CreateLayerMask(id, Pattern(40, 130, seed + 100), seed % 2 == 1);
        document.SetMaskPos(id, QPoint(-seed, 2 * seed));
        document.SetMaskEnabled(id, seed % 3 != 0);
        document.SetMaskLinked(id, seed % 2 == 0);
    }
    return id;
}

QByteArray AdjustmentParams(const KXDocumentInterface& document, unsigned int id)
{
    ZTAdjustment* adjustment = nullptr;
    ZTAdjustmentTarget target;
    if (!document.GetLayerAdjustment(id, adjustment) || !adjustment || !document.GetAdjustmentTarget(id, target))
        return QByteArray();
    return adjustment->GetParams(target);
}

// Compares layer id of actual with layer expectedId of expected, property by
// property and pixel by pixel. The text font is compared by family, size and
// style, with the weight given (a record rounds it to bold or normal). Locks
// are not compared.
void CompareLayer(const KXMemoryDocument& expected, unsigned int expectedId, const KXMemoryDocument& actual,
                  unsigned int id, int fontWeight)
{
    const int kind = expected.GetLayerType(expectedId);
    QCOMPARE(actual.GetLayerType(id), kind);
    QCOMPARE(actual.GetLayerName(id), expected.GetLayerName(expectedId));
    QCOMPARE(actual.GetLayerOpacity(id), expected.GetLayerOpacity(expectedId));
    QCOMPARE(actual.GetLayerBlendMode(id), expected.GetLayerBlendMode(expectedId));
    QCOMPARE(actual.GetLayerVisible(id), expected.GetLayerVisible(expectedId));
    QCOMPARE(actual.GetLayerGeometry(id), expected.GetLayerGeometry(expectedId));
    if (kind != KXDocumentInterface::AdjustmentLayer) {
        QVERIFY(actual.GetLayerImage(id));
        QVERIFY(actual.GetLayerImage(id)->IsPixelEqual(*expected.GetLayerImage(expectedId)));
    }

    QCOMPARE(actual.HasLayerMask(id), expected.HasLayerMask(expectedId));
    if (expected.HasLayerMask(expectedId)) {
        QCOMPARE(actual.GetMaskGeometry(id), expected.GetMaskGeometry(expectedId));
        QVERIFY(actual.GetLayerMask(id)->IsPixelEqual(*expected.GetLayerMask(expectedId)));
        QCOMPARE(actual.GetMaskEnabled(id), expected.GetMaskEnabled(expectedId));
        QCOMPARE(actual.GetMaskLinked(id), expected.GetMaskLinked(expectedId));
        bool actualType = false;
        bool expectedType = true;
        actual.GetMaskType(id, actualType);
        expected.GetMaskType(expectedId, expectedType);
        QCOMPARE(actualType, expectedType);
    }

    if (kind == KXDocumentInterface::TextLayer) {
        QCOMPARE(actual.GetText(id), expected.GetText(expectedId));
        const QFont font = actual.GetTextFont(id);
        const QFont expectedFont = expected.GetTextFont(expectedId);
        QCOMPARE(font.family(), expectedFont.family());
        QCOMPARE(font.pointSize(), expectedFont.pointSize());
        QCOMPARE(font.weight(), fontWeight);
        QCOMPARE(font.style(), expectedFont.style());
        QCOMPARE(actual.GetTextBrush(id).color(), expected.GetTextBrush(expectedId).color());
        QCOMPARE(actual.GetTextPosition(id), expected.GetTextPosition(expectedId));
        QCOMPARE(actual.GetTextStyle(id), expected.GetTextStyle(expectedId));
        QCOMPARE(actual.GetTextOrientation(id), expected.GetTextOrientation(expectedId));
        QCOMPARE(actual.GetTextBend(id), expected.GetTextBend(expectedId));
        QCOMPARE(actual.GetTextHDistortion(id), expected.GetTextHDistortion(expectedId));
        QCOMPARE(actual.GetTextVDistortion(id), expected.GetTextVDistortion(expectedId));
        QCOMPARE(actual.GetTextTransform(id), expected.GetTextTransform(expectedId));
    }
    if (kind == KXDocumentInterface::AdjustmentLayer) {
        ZTAdjustment* actualAdjustment = nullptr;
        ZTAdjustment* expectedAdjustment = nullptr;
        QVERIFY(actual.GetLayerAdjustment(id, actualAdjustment));
        QVERIFY(expected.GetLayerAdjustment(expectedId, expectedAdjustment));
        QCOMPARE(actualAdjustment, expectedAdjustment);
        QCOMPARE(AdjustmentParams(actual, id), AdjustmentParams(expected, expectedId));
    }
}

// The report a command of this family sends, as a pattern.
QString ReportPattern(const QString& file, const QString& message)
{
    return QStringLiteral("^Build date=%1, time=%2\\. Line=\\d+, file=\"src/layerchangecommands/%3\\.cpp\"\\. %4$")
        .arg(reportDatePattern(), reportTimePattern(), file, QRegularExpression::escape(message));
}

QVector<unsigned int> SelectedRows(const QItemSelectionModel& selection)
{
    QVector<unsigned int> rows;
    for (const QModelIndex& index : selection.selectedIndexes())
        rows.append(unsigned(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SelectRows(QItemSelectionModel& selection, const QVector<int>& rows)
{
    selection.clear();
    for (int row : rows)
        selection.select(selection.model()->index(row, 0), QItemSelectionModel::Select);
}

QList<unsigned int> SpyIds(const QSignalSpy& spy)
{
    QList<unsigned int> ids;
    for (const QList<QVariant>& arguments : spy)
        ids.append(arguments.first().toUInt());
    return ids;
}

} // namespace

class TestLayerCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    int m_files = 0;

    QString NewPath() { return m_folder.filePath(QStringLiteral("item%1").arg(++m_files)); }

    // The bytes LayerDataItemWrite produces for the item.
    QByteArray RecordOf(LayerDataItem item)
    {
        VornReaderWriter file;
        if (!file.Open(NewPath()) || !LayerDataItemWrite(&file, item))
            return QByteArray();
        file.Close();
        QFile written(file.GetFileName());
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    }

    // A reader whose file holds the bytes.
    std::unique_ptr<VornReaderWriter> ReaderOf(const QByteArray& bytes)
    {
        auto file = std::make_unique<VornReaderWriter>();
        if (!file->Open(NewPath()) || file->WriteRawData(bytes.constData(), bytes.size()) != bytes.size())
            return nullptr;
        file->Close();
        return file->Open(QString()) ? std::move(file) : nullptr;
    }

    // The item as its record reads back.
    bool ThroughRecord(const LayerDataItem& item, LayerDataItem& readBack)
    {
        const std::unique_ptr<VornReaderWriter> reader = ReaderOf(RecordOf(item));
        return reader && LayerDataItemRead(reader.get(), readBack);
    }

    // Six layers: 0 background, 1 raster with mask, 2 text with mask,
    // 3 adjustment with mask, 4 text, 5 raster.
    static void BuildSixLayers(KXMemoryDocument& document)
    {
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        AddLayer(document, KXDocumentInterface::RasterLayer, true, 1);
        AddLayer(document, KXDocumentInterface::TextLayer, true, 2);
        AddLayer(document, KXDocumentInterface::AdjustmentLayer, true, 3);
        AddLayer(document, KXDocumentInterface::TextLayer, false, 4);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 5);
    }

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    // --- LayerDataItem

    void captureAndRecreate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("withMask");
        QTest::addColumn<bool>("throughRecord");
        const char* names[] = {"raster", "text", "adjustment"};
        for (int kind = 0; kind < 3; ++kind)
            for (bool withMask : {false, true})
                for (bool throughRecord : {false, true})
                    QTest::addRow("%s%s%s", names[kind], withMask ? ", mask" : "",
                                  throughRecord ? ", through record" : "")
                        << kind << withMask << throughRecord;
    }

    void captureAndRecreate()
    {
        QFETCH(int, kind);
        QFETCH(bool, withMask);
        QFETCH(bool, throughRecord);

        KXMemoryDocument source(QSize(300, 200));
        AddLayer(source, KXDocumentInterface::RasterLayer, false, 0);
        const unsigned int id = AddLayer(source, kind, withMask, 3);
        QCOMPARE(id, 1u);
        QVERIFY(source.GetLayerLocks(id) != 0);

        LayerDataItem item;
        InitLayerItemFromDocument(id, &source, item);
        QCOMPARE(item.kind, kind);
        QCOMPARE(item.layerId, id);
        QCOMPARE(item.locks, 0u);
        QCOMPARE(item.merge, false);
        QCOMPARE(item.maskCreated, withMask);
        // The capture shares the layer's tiles instead of copying pixels.
        if (kind != KXDocumentInterface::AdjustmentLayer)
            QCOMPARE(item.image.GetTile(0, 0), source.GetLayerImage(id)->GetTile(0, 0));
        if (withMask)
            QCOMPARE(item.mask.GetTile(0, 0), source.GetLayerMask(id)->GetTile(0, 0));

        int fontWeight = 63;
        if (throughRecord) {
            LayerDataItem readBack;
            QVERIFY(ThroughRecord(item, readBack));
            item = readBack;
            fontWeight = 75; // weight 63 is stored as bold
        }

        KXMemoryDocument target(QSize(300, 200));
        AddLayer(target, KXDocumentInterface::RasterLayer, false, 0);
        QVERIFY(InitLayerItemToDocument(&target, item));
        QCOMPARE(target.GetLayerCount(), 2u);
        CompareLayer(source, id, target, 1, fontWeight);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(target.GetLayerLocks(1), 0u);
        QVERIFY(target.Compose().IsPixelEqual(source.Compose()));
    }

    void itemsSortById()
    {
        LayerDataItem seven;
        seven.layerId = 7;
        LayerDataItem three;
        three.layerId = 3;
        QVERIFY(three < seven);
        QVERIFY(!(seven < three));
        LayerDataItem big;
        big.layerId = 0x80000000u; // compared as unsigned
        QVERIFY(seven < big);
    }

    void fontRules_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("storedWeight");
        QTest::addColumn<unsigned int>("storedBold");
        QTest::addColumn<unsigned int>("storedStyle");
        QTest::addColumn<int>("weight");
        QTest::addColumn<bool>("italic");
        const QString family = QStringLiteral("DejaVu Sans");
        QTest::newRow("weight 63") << QFont(family, 12, 63) << 63 << 1u << 0u << 75 << false;
        QTest::newRow("weight 58") << QFont(family, 12, 58) << 58 << 1u << 0u << 75 << false;
        QTest::newRow("weight 57") << QFont(family, 12, 57) << 57 << 0u << 0u << 50 << false;
        QTest::newRow("weight 50") << QFont(family, 12, 50) << 50 << 0u << 0u << 50 << false;
        QTest::newRow("light") << QFont(family, 12, 25) << 25 << 0u << 0u << 50 << false;
        QTest::newRow("bold italic") << QFont(family, 12, 75, true) << 75 << 1u << 1u << 75 << true;
        QFont oblique(family, 12, 50);
        oblique.setStyle(QFont::StyleOblique);
        QTest::newRow("oblique") << oblique << 50 << 0u << 2u << 50 << true;
    }

    void fontRules()
    {
        QFETCH(QFont, font);
        QFETCH(int, storedWeight);
        QFETCH(unsigned int, storedBold);
        QFETCH(unsigned int, storedStyle);
        QFETCH(int, weight);
        QFETCH(bool, italic);

        LayerDataItem item;
        item.kind = KXDocumentInterface::TextLayer;
        item.textData.font = font;
        const QByteArray record = RecordOf(item);

        // The font fields follow the (here empty) layer block and the text.
        QDataStream in(record);
        quint32 id, kind, blend, locks;
        QString name, text, family;
        QPoint offset, maskPosition;
        quint32 imageSize[4];
        double opacity;
        qint32 flags[5], pointSize, stored;
        quint32 bold, style;
        in >> id >> kind >> name >> offset >> imageSize[0] >> imageSize[1] >> maskPosition >> imageSize[2]
            >> imageSize[3] >> blend >> opacity >> flags[0] >> flags[1] >> flags[2] >> flags[3] >> locks >> flags[4];
        in >> text >> family >> pointSize >> stored >> bold >> style;
        QCOMPARE(in.status(), QDataStream::Ok);
        QCOMPARE(family, font.family());
        QCOMPARE(pointSize, 12);
        QCOMPARE(stored, storedWeight);
        QCOMPARE(bold, storedBold);
        QCOMPARE(style, storedStyle);

        LayerDataItem readBack;
        QVERIFY(ThroughRecord(item, readBack));
        QCOMPARE(readBack.textData.font.family(), font.family());
        QCOMPARE(readBack.textData.font.pointSize(), 12);
        QCOMPARE(readBack.textData.font.weight(), weight);
        QCOMPARE(readBack.textData.font.style(), italic ? QFont::StyleItalic : QFont::StyleNormal);
    }

    void recordBytes_data()
    {
        QTest::addColumn<LayerDataItem>("item");
        QTest::addColumn<QByteArray>("bytes");

        LayerDataItem raster;
        raster.layerId = 3;
        raster.name = QStringLiteral("A");
        raster.offset = QPoint(1, 2);
        raster.maskPosition = QPoint(-1, 5);
        raster.blendMode = 2;
        raster.opacity = 0.5;
        raster.visible = true;
        raster.maskLinked = true;
        raster.locks = 7;
        raster.maskType = true;
        raster.merge = true;
        // A raster item without a mask still stores the (empty) mask fields.
        QTest::newRow("raster") << raster
                                << Hex("00000003 00000000"
                                       "00000002 0041"
                                       "00000001 00000002"
                                       "00000000 00000000"
                                       "ffffffff 00000005"
                                       "00000000 00000000"
                                       "00000002 3fe0000000000000"
                                       "00000001 00000000 00000001 00000000"
                                       "00000007 00000001"
                                       "00000001");

        LayerDataItem adjustment;
        adjustment.kind = KXDocumentInterface::AdjustmentLayer;
        adjustment.layerId = 2;
        adjustment.name = QStringLiteral("B");
        adjustment.opacity = 1.0;
        adjustment.maskPosition = QPoint(9, 9);
        adjustment.maskEnabled = true;
        adjustment.adjustment = ZTAdjustmentManager::GetInstance()->GetAdjustment(ZTLevels::Name());
        adjustment.adjustmentSettings = QByteArray("xyz");
        // Without a mask no mask field is written.
        QTest::newRow("adjustment") << adjustment
                                    << Hex("00000002 00000002"
                                           "00000002 0042"
                                           "3ff0000000000000 00000000"
                                           "00000000"
                                           "0000000c 004c006500760065006c0073"
                                           "00000003 78797a"
                                           "00000000");

        LayerDataItem masked = adjustment;
        masked.maskCreated = true;
        masked.maskType = true;
        masked.adjustment = nullptr;
        masked.adjustmentSettings.clear();
        masked.merge = true;
        QTest::newRow("adjustment, mask, no adjustment")
            << masked
            << Hex("00000002 00000002"
                   "00000002 0042"
                   "3ff0000000000000 00000000"
                   "00000001 00000000 00000000 00000001 00000001 00000009 00000009"
                   "00000000"
                   "00000000"
                   "00000001");

        LayerDataItem text;
        text.kind = KXDocumentInterface::TextLayer;
        text.layerId = 1;
        text.name = QStringLiteral("T");
        text.opacity = 1.0;
        text.textData.text = QStringLiteral("Hi");
        text.textData.font = QFont(QStringLiteral("Serif"), 11, 63);
        text.textData.font.setStyle(QFont::StyleOblique);
        text.textData.brush = QBrush(QColor(10, 20, 30, 40));
        text.textData.textPosition = QPoint(5, 6);
        text.textData.style = 3;
        text.textData.orientation = true;
        text.textData.bend = 0.25;
        text.textData.hDistortion = -2;
        text.textData.vDistortion = 0;
        text.textData.deformation = QMatrix4x4(1, 2, 3, 4, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5);
        QTest::newRow("text") << text
                              << Hex("00000001 00000001"
                                     "00000002 0054"
                                     "00000000 00000000 00000000 00000000"
                                     "00000000 00000000 00000000 00000000"
                                     "00000000 3ff0000000000000"
                                     "00000000 00000000 00000000 00000000 00000000 00000000"
                                     "00000004 00480069"
                                     "0000000a 00530065007200690066"
                                     "0000000b 0000003f 00000001 00000002"
                                     "0000000a 00000014 0000001e 00000028"
                                     "00000005 00000006 00000003 00000001"
                                     "3fd0000000000000 c000000000000000 0000000000000000"
                                     "3ff0000000000000 4000000000000000 4008000000000000 4010000000000000"
                                     "0000000000000000 3ff0000000000000 0000000000000000 0000000000000000"
                                     "0000000000000000 0000000000000000 3ff0000000000000 0000000000000000"
                                     "0000000000000000 0000000000000000 0000000000000000 3fe0000000000000"
                                     "00000000");
    }

    void recordBytes()
    {
        QFETCH(LayerDataItem, item);
        QFETCH(QByteArray, bytes);
        QCOMPARE(RecordOf(item).toHex(), bytes.toHex());

        LayerDataItem readBack;
        const std::unique_ptr<VornReaderWriter> reader = ReaderOf(bytes);
        QVERIFY(reader);
        QVERIFY(LayerDataItemRead(reader.get(), readBack));
        // Property round trips are covered with documents above; here what
        // only these records hold.
        QCOMPARE(readBack.kind, item.kind);
        QCOMPARE(readBack.locks, item.locks);
        QCOMPARE(readBack.merge, item.merge);
        QCOMPARE(readBack.maskType, item.maskType);
        QCOMPARE(readBack.adjustment, item.adjustment);
        QCOMPARE(readBack.adjustmentSettings, item.adjustmentSettings);
        if (item.kind == KXDocumentInterface::TextLayer) {
            const LayerDataItem::TextData& data = readBack.textData;
            QCOMPARE(data.text, item.textData.text);
            QCOMPARE(data.font.weight(), 75);
            QCOMPARE(data.font.style(), QFont::StyleItalic);
            QCOMPARE(data.brush.style(), Qt::SolidPattern);
            QCOMPARE(data.brush.color(), QColor(10, 20, 30, 40));
            QCOMPARE(data.textPosition, item.textData.textPosition);
            QCOMPARE(data.style, 3);
            QCOMPARE(data.orientation, true);
            QCOMPARE(data.bend, 0.25);
            QCOMPARE(data.hDistortion, -2.0);
            QCOMPARE(data.deformation, item.textData.deformation);
        }
    }

    // Layer block flags: positive is true (linked: non-zero); adjustment
    // block flags and the merge flag: non-zero is true.
    void readFlagValues()
    {
        const QByteArray raster = Hex("00000001 00000000 00000000 00000000 00000000 00000000 00000000"
                                      "00000000 00000000 00000000 00000000 00000000 3ff0000000000000"
                                      "ffffffff ffffffff ffffffff ffffffff 00000000 ffffffff"
                                      "fffffffe");
        LayerDataItem item;
        std::unique_ptr<VornReaderWriter> reader = ReaderOf(raster);
        QVERIFY(LayerDataItemRead(reader.get(), item));
        QCOMPARE(item.visible, false);
        QCOMPARE(item.maskCreated, false);
        QCOMPARE(item.maskLinked, true);
        QCOMPARE(item.maskEnabled, false);
        QCOMPARE(item.maskType, false);
        QCOMPARE(item.merge, true);

        const QByteArray adjustment = Hex("00000001 00000002 00000000 3ff0000000000000 00000000"
                                          "80000000 00000000 00000000 ffffffff fffffffe 00000000 00000000"
                                          "00000000 00000000 00000000");
        LayerDataItem adjusted;
        reader = ReaderOf(adjustment);
        QVERIFY(LayerDataItemRead(reader.get(), adjusted));
        QCOMPARE(adjusted.maskCreated, true);
        QCOMPARE(adjusted.maskEnabled, true);
        QCOMPARE(adjusted.maskType, true);
        QCOMPARE(adjusted.maskPosition, QPoint());
        QCOMPARE(adjusted.adjustment, nullptr); // the empty name is not registered
        QCOMPARE(adjusted.merge, false);
    }

    // Every cut of a full record makes the read fail, never crash.
    void truncatedItemRecord_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("raster") << int(KXDocumentInterface::RasterLayer);
        QTest::newRow("text") << int(KXDocumentInterface::TextLayer);
        QTest::newRow("adjustment") << int(KXDocumentInterface::AdjustmentLayer);
    }

    void truncatedItemRecord()
    {
        QFETCH(int, kind);
        KXMemoryDocument document(QSize(300, 200));
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        LayerDataItem item;
        InitLayerItemFromDocument(AddLayer(document, kind, true, 2), &document, item);
        const QByteArray record = RecordOf(item);
        QVERIFY(!record.isEmpty());
        const int step = qMax(1, record.size() / 200);
        for (int cut = 0; cut < record.size(); cut += (cut < 120 ? 1 : step)) {
            const std::unique_ptr<VornReaderWriter> reader = ReaderOf(record.left(cut));
            QVERIFY(reader);
            LayerDataItem readBack;
            QVERIFY2(!LayerDataItemRead(reader.get(), readBack), qPrintable(QStringLiteral("cut at %1").arg(cut)));
        }
    }

    void wrongItemValues_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readResult");
        QTest::addColumn<bool>("created");
        QTest::addColumn<QByteArray>("settings");

        const QByteArray adjustmentHead = Hex("00000001 00000002 00000000 3ff0000000000000 00000000 00000000");
        const QByteArray levels = Hex("0000000c 004c006500760065006c0073");
        QTest::newRow("settings count negative")
            << adjustmentHead + levels + Hex("ffffffff 78797a 00000000") << false << true << QByteArray();
        QTest::newRow("settings count beyond the file")
            << adjustmentHead + levels + Hex("7fffffff 78797a 00000000") << false << true << QByteArray();
        QTest::newRow("settings of 70000 bytes cut short")
            << adjustmentHead + levels + Hex("00011170") + QByteArray(69000, 'x') << false << true << QByteArray();
        QTest::newRow("unknown adjustment name")
            << adjustmentHead + Hex("00000008 004e006f00700065 00000000 00000000") << true << false << QByteArray();
        QTest::newRow("unknown kind") << Hex("00000001 00000007") + EmptyLayerBlock() + Hex("00000000") << true
                                      << false << QByteArray();
        QTest::newRow("kind missing") << Hex("00000001") << false << true << QByteArray();
        QTest::newRow("odd string length") << Hex("00000001 00000000 00000003 0041") << false << true << QByteArray();
        QTest::newRow("font size and weight out of range")
            << Hex("00000001 00000001") + EmptyLayerBlock()
                   + Hex("00000002 0041" // text
                         "00000002 0041 fffffff6 000003e8 00000001 00000009" // family, size, weight, bold, style
                         "00000010 00000020 00000030 00000040" // colour
                         "00000000 00000000 00000000 00000000" // text position, style, orientation
                         "0000000000000000 0000000000000000 0000000000000000")
                   + QByteArray(16 * 8, 0) + Hex("00000000")
            << true << true << QByteArray();
    }

    void wrongItemValues()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, readResult);
        QFETCH(bool, created);
        QFETCH(QByteArray, settings);

        const std::unique_ptr<VornReaderWriter> reader = ReaderOf(bytes);
        QVERIFY(reader);
        LayerDataItem item;
        QCOMPARE(LayerDataItemRead(reader.get(), item), readResult);
        QCOMPARE(item.adjustmentSettings, settings);

        // What was read never creates a layer it cannot describe, nor
        // touches another layer.
        KXMemoryDocument document(QSize(100, 100));
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 1);
        const QString name = document.GetLayerName(1);
        const double opacity = document.GetLayerOpacity(1);
        QCOMPARE(InitLayerItemToDocument(&document, item), created);
        QCOMPARE(document.GetLayerCount(), created ? 3u : 2u);
        QCOMPARE(document.GetLayerName(created ? 2 : 1), name);
        QCOMPARE(document.GetLayerOpacity(created ? 2 : 1), opacity);
    }

    void nullArguments()
    {
        LayerDataItem item;
        item.name = QStringLiteral("kept");
        QVERIFY(!LayerDataItemWrite(nullptr, item));
        QVERIFY(!LayerDataItemRead(nullptr, item));
        QVERIFY(!InitLayerItemToDocument(nullptr, item));
        InitLayerItemFromDocument(0, nullptr, item);
        QCOMPARE(item.name, QStringLiteral("kept"));
    }

    // --- Remove data

    void removeDataKeepsItemsSorted()
    {
        KXMemoryDocument document(QSize(300, 200));
        BuildSixLayers(document);
        LayerRemoveCommandData data(nullptr);
        QCOMPARE(data.GetLayerCount(), 0);
        LayerDataItem item;
        QVERIFY(!data.GetLayerInfo(item, 0));
        data.AddLayerInfo(5, &document);
        data.AddLayerInfo(2, &document);
        data.AddLayerInfo(3, &document);
        QCOMPARE(data.GetLayerCount(), 3);
        QList<unsigned int> ids;
        for (int i = 0; i < data.GetLayerCount(); ++i) {
            QVERIFY(data.GetLayerInfo(item, i));
            ids << item.layerId;
        }
        QCOMPARE(ids, (QList<unsigned int>{2, 3, 5}));
        QVERIFY(!data.GetLayerInfo(item, 3));
        QVERIFY(!data.GetLayerInfo(item, -1));
        QCOMPARE(data.GetDataType(), 20u);
        QCOMPARE(data.GetValue(), -1);
    }

    void removeDataRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("count");
        const QByteArray item = Hex("00000004 00000000") + EmptyLayerBlock() + Hex("00000000");
        QTest::newRow("no items") << Hex("00000000") << true << 0;
        QTest::newRow("two items") << Hex("00000002") + item + item << true << 2;
        QTest::newRow("count missing") << QByteArray() << false << 0;
        QTest::newRow("second item cut short") << Hex("00000002") + item + item.left(20) << false << 2;
        // A corrupt count stops at the first item that fails.
        QTest::newRow("giant count") << Hex("7fffffff") + item << false << 2;
    }

    void removeDataRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, result);
        QFETCH(int, count);
        LayerRemoveCommandData data(nullptr);
        const std::unique_ptr<VornReaderWriter> reader = ReaderOf(bytes);
        QVERIFY(reader);
        QCOMPARE(data.Deserialize(reader.get()), result);
        QCOMPARE(data.GetLayerCount(), count);
        LayerDataItem first;
        if (count > 0) {
            QVERIFY(data.GetLayerInfo(first, 0));
            QCOMPARE(first.layerId, 4u);
        }
    }

    void removeDataSerialize()
    {
        KXMemoryDocument document(QSize(300, 200));
        BuildSixLayers(document);
        LayerRemoveCommandData data(nullptr);
        VornReaderWriter unused;
        QVERIFY(!data.Serialize(&unused)); // no items yet
        data.AddLayerInfo(4, &document);
        data.AddLayerInfo(1, &document);
        QVERIFY(!data.Serialize(nullptr));
        QVERIFY(!data.Deserialize(nullptr));

        VornReaderWriter file;
        QVERIFY(file.Open(NewPath()));
        QVERIFY(data.Serialize(&file));
        file.Close();
        LayerDataItem one;
        LayerDataItem four;
        QVERIFY(data.GetLayerInfo(one, 0));
        QVERIFY(data.GetLayerInfo(four, 1));
        QFile written(file.GetFileName());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toHex(), (Hex("00000002") + RecordOf(one) + RecordOf(four)).toHex());

        data.ReleaseSerializeData();
        QCOMPARE(data.GetLayerCount(), 0);
        QVERIFY(!data.Serialize(&file));
        QVERIFY(file.Open(QString()));
        QVERIFY(data.Deserialize(&file));
        QCOMPARE(data.GetLayerCount(), 2);
    }

    // --- Create data

    void createDataRecord()
    {
        LayerCreateCommandData data(nullptr, LayerCreateCommandData::TextLayer, 7);
        QCOMPARE(data.GetValue(), 7);
        QCOMPARE(data.GetDataType(), 19u);
        unsigned int blendMode = 99;
        double opacity = 9;
        unsigned int id = 99;
        QVERIFY(data.GetBendMode(blendMode));
        QVERIFY(data.GetOpacity(opacity));
        QVERIFY(data.GetLayerId(id));
        QCOMPARE(blendMode, 0u);
        QCOMPARE(opacity, 0.0);
        QCOMPARE(id, 0u);
        int renderMode = 0;
        QColor color;
        QVERIFY(data.GetRenderMode(renderMode));
        QVERIFY(data.GetTextColor(color));
        QCOMPARE(renderMode, 1);
        QCOMPARE(color, QColor(Qt::black));

        data.SetBlendMode(3);
        data.SetLayerId(0x01020304);
        data.SetOpacity(0.75);
        data.SetLayerName(QStringLiteral("kept in memory"));
        VornReaderWriter file;
        QVERIFY(file.Open(NewPath()));
        QVERIFY(data.Serialize(&file));
        file.Close();
        QFile written(file.GetFileName());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toHex(), Hex("00000003 01020304 3fe8000000000000 00000001").toHex());

        data.ReleaseSerializeData();
        QVERIFY(!data.GetLayerId(id));
        QVERIFY(!data.GetOpacity(opacity));
        QVERIFY(!data.GetBendMode(blendMode));
        QVERIFY(!data.Serialize(&file));
        QString name;
        QVERIFY(data.GetLayerName(name));
        QCOMPARE(name, QStringLiteral("kept in memory"));

        QVERIFY(file.Open(QString()));
        QVERIFY(data.Deserialize(&file));
        QVERIFY(data.GetLayerId(id));
        QVERIFY(data.GetOpacity(opacity));
        QVERIFY(data.GetBendMode(blendMode));
        QCOMPARE(id, 0x01020304u);
        QCOMPARE(opacity, 0.75);
        QCOMPARE(blendMode, 3u);
        QCOMPARE(data.GetLayerType(), LayerCreateCommandData::TextLayer);
        QVERIFY(!data.Deserialize(&file)); // nothing left to read
    }

    void casts()
    {
        LayerCreateCommandData create(nullptr, LayerCreateCommandData::RasterLayer, 0);
        LayerRemoveCommandData remove(nullptr);
        EmptyCommandData empty;
        QCOMPARE(LayerCreateCommanddata_cast(&create), &create);
        QCOMPARE(LayerCreateCommanddata_cast(&remove), nullptr);
        QCOMPARE(LayerCreateCommanddata_cast(&empty), nullptr);
        QCOMPARE(LayerCreateCommanddata_cast(nullptr), nullptr);
        QCOMPARE(LayerRemoveCommanddata_cast(&remove), &remove);
        QCOMPARE(LayerRemoveCommanddata_cast(&create), nullptr);
        QCOMPARE(LayerRemoveCommanddata_cast(nullptr), nullptr);
    }

    // --- Commands on the real stack

    void removeLayersAndUndoThroughFile()
    {
        KXMemoryDocument document(QSize(300, 200));
        BuildSixLayers(document);
        KXMemoryDocument original(QSize(300, 200));
        BuildSixLayers(original);
        document.SetLayerLocks(2, 0x11);
        document.SetLayerLocks(5, 0x22);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        SelectRows(selection, {1, 4}); // ids 2 and 5

        VornUndoStack stack;
        stack.setTemporaryFolder(QDir(m_folder.path()));
        QDir folder(m_folder.path());
        const QStringList before = folder.entryList(QDir::Files);

        auto* data = new LayerRemoveCommandData(&selection);
        data->AddLayerInfo(5, &document);
        data->AddLayerInfo(2, &document);
        auto* command = new LayerRemoveCommand(&document, true);
        command->SetCommandData(data);
        command->setText(QStringLiteral("Delete layers"));

        QSignalSpy removed(&document, &KXDocumentInterface::layerRemoved);
        QSignalSpy inserted(&document, &KXDocumentInterface::layerInserted);
        stack.push(command);
        QCOMPARE(SpyIds(removed), (QList<unsigned int>{5, 2}));
        QCOMPARE(document.GetLayerCount(), 4u);
        QCOMPARE(document.GetDocumentState(), 1);
        QCOMPARE(command->GetSavedLocks(), (QList<unsigned int>{0x11, 0x22}));
        QCOMPARE(SelectedRows(selection), QVector<unsigned int>()); // the first redo clears the panel
        const QStringList remaining{document.GetLayerName(0), document.GetLayerName(1), document.GetLayerName(2),
                                    document.GetLayerName(3)};
        QCOMPARE(remaining, (QStringList{"Raster 0", "Raster 1", "Adjust 3", "Text 4"}));

        // The record is on disk and the items released: undo reads them back.
        stack.GetSerializer()->WaitForIdle();
        QStringList files = folder.entryList(QDir::Files);
        for (const QString& name : before)
            files.removeAll(name);
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith(QStringLiteral("~nuboltmp.")));
        QVERIFY(QFileInfo(folder.filePath(files.first())).size() > 1000);
        SelectRows(selection, {0});

        stack.undo();
        QCOMPARE(SpyIds(inserted), (QList<unsigned int>{2, 5}));
        QCOMPARE(document.GetLayerCount(), 6u);
        QCOMPARE(document.GetDocumentState(), 0);
        for (unsigned int id = 0; id < 6; ++id) {
            // Layer 2 came back through the record, which stores weight 63 as bold.
            CompareLayer(original, id, document, id, id == 2 ? 75 : 63);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("layer %1 differs").arg(id)));
        }
        QCOMPARE(document.GetLayerLocks(2), 0x11u);
        QCOMPARE(document.GetLayerLocks(5), 0x22u);
        QCOMPARE(document.GetLayerLocks(4), original.GetLayerLocks(4));
        QVERIFY(document.Compose().IsPixelEqual(original.Compose()));
        QCOMPARE(SelectedRows(selection), (QVector<unsigned int>{1, 4}));

        // Redo saves the locks anew; undo restores them again.
        document.SetLayerLocks(5, 0x33);
        removed.clear();
        stack.redo();
        QCOMPARE(SpyIds(removed), (QList<unsigned int>{5, 2}));
        QCOMPARE(document.GetLayerCount(), 4u);
        QCOMPARE(document.GetDocumentState(), 1);
        QCOMPARE(SelectedRows(selection), QVector<unsigned int>{0}); // what the undo found selected
        stack.undo();
        QCOMPARE(document.GetLayerLocks(5), 0x33u);
        QCOMPARE(document.GetLayerCount(), 6u);
        QCOMPARE(SelectedRows(selection), (QVector<unsigned int>{1, 4}));
    }

    void createLayer_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("renderMode"); // -1: never set
        QTest::newRow("raster") << int(LayerCreateCommandData::RasterLayer) << -1;
        QTest::newRow("text, render mode 3") << int(LayerCreateCommandData::TextLayer) << 3;
        QTest::newRow("text, default render mode") << int(LayerCreateCommandData::TextLayer) << -1;
    }

    void createLayer()
    {
        QFETCH(int, type);
        QFETCH(int, renderMode);
        const bool text = type == LayerCreateCommandData::TextLayer;

        KXMemoryDocument document(QSize(300, 200));
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 1);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 2);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        SelectRows(selection, {0});

        const KXImage32 image = Pattern(60, 20, 9);
        const QFont font(QStringLiteral("DejaVu Sans"), 14, 63);
        auto* data = new LayerCreateCommandData(&selection, LayerCreateCommandData::LayerType(type), 4);
        data->SetLayerId(2);
        data->SetBlendMode(KXDocumentInterface::BlendScreen);
        data->SetOpacity(0.625);
        data->SetLayerName(QStringLiteral("New"));
        data->SetLayerPos(QPoint(12, -4));
        data->SetLayerImage(image);
        data->SetText(QStringLiteral("Words"));
        data->SetTexPosition(QPoint(7, 8));
        data->SetTextFont(font);
        data->SetTextColor(QColor(1, 2, 3, 4));
        data->SetTextStyle(5);
        data->SetTextOrientation(true);
        data->SetTextBend(0.5);
        data->SetTextHDistortion(-0.25);
        data->SetTextVDistortion(0.75);
        if (renderMode >= 0)
            data->SetRenderMode(renderMode);
        auto* command = new LayerCreateCommand(&document, false);
        command->SetCommandData(data);

        VornUndoStack stack;
        stack.setTemporaryFolder(QDir(m_folder.path()));
        stack.push(command);
        stack.GetSerializer()->WaitForIdle();

        const auto checkCreated = [&]() {
            QCOMPARE(document.GetLayerCount(), 4u);
            QCOMPARE(document.GetLayerType(2), type);
            QCOMPARE(document.GetLayerName(2), QStringLiteral("New"));
            QCOMPARE(document.GetLayerName(3), QStringLiteral("Raster 2"));
            QCOMPARE(document.GetLayerBlendMode(2), unsigned(KXDocumentInterface::BlendScreen));
            QCOMPARE(document.GetLayerOpacity(2), 0.625);
            QCOMPARE(document.GetLayerGeometry(2).topLeft(), QPoint(12, -4));
            QCOMPARE(document.GetDocumentState(), 1);
            if (!text) {
                QVERIFY(document.GetLayerImage(2)->IsEmpty()); // the data's image is for text layers
                return;
            }
            QVERIFY(document.GetLayerImage(2)->IsPixelEqual(image));
            QCOMPARE(document.GetText(2), QStringLiteral("Words"));
            QCOMPARE(document.GetTextPosition(2), QPoint(7, 8));
            QCOMPARE(document.GetTextFont(2), font);
            QCOMPARE(document.GetTextBrush(2), QBrush(QColor(1, 2, 3, 4)));
            QCOMPARE(document.GetTextStyle(2), 5);
            QCOMPARE(document.GetTextOrientation(2), true);
            QCOMPARE(document.GetTextBend(2), 0.5);
            QCOMPARE(document.GetTextHDistortion(2), -0.25);
            QCOMPARE(document.GetTextVDistortion(2), 0.75);
            QCOMPARE(document.GetTextTransform(2), QMatrix4x4());
            QCOMPARE(document.GetTextRenderMode(2), renderMode >= 0 ? renderMode : 1);
        };
        checkCreated();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(SelectedRows(selection), QVector<unsigned int>());

        SelectRows(selection, {2});
        stack.undo();
        QCOMPARE(document.GetLayerCount(), 3u);
        QCOMPARE(document.GetLayerName(2), QStringLiteral("Raster 2"));
        QCOMPARE(document.GetDocumentState(), 0);
        QCOMPARE(SelectedRows(selection), QVector<unsigned int>{0});

        stack.redo(); // blend mode, opacity and id come back from the file
        checkCreated();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(SelectedRows(selection), QVector<unsigned int>{2});
    }

    void reports_data()
    {
        QTest::addColumn<bool>("create");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<QString>("dataKind"); // null, other, released, valid
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QString>("message");

        for (bool redo : {true, false}) {
            const char* way = redo ? "redo" : "undo";
            QTest::addRow("create %s: no document", way) << true << false << "valid" << redo << "Wrong document.";
            QTest::addRow("create %s: no document, no data", way)
                << true << false << "null" << redo << "Wrong document.";
            QTest::addRow("create %s: no data", way) << true << true << "null" << redo << "Error input data.";
            QTest::addRow("create %s: remove data", way) << true << true << "other" << redo << "Error input data.";
            QTest::addRow("create %s: payload released", way)
                << true << true << "released" << redo << "Internal error.";
            QTest::addRow("remove %s: no document", way) << false << false << "valid" << redo << "Wrong document.";
            QTest::addRow("remove %s: no data", way) << false << true << "null" << redo << "Error input data.";
            QTest::addRow("remove %s: create data", way) << false << true << "other" << redo << "Error input data.";
        }
    }

    void reports()
    {
        QFETCH(bool, create);
        QFETCH(bool, withDocument);
        QFETCH(QString, dataKind);
        QFETCH(bool, redo);
        QFETCH(QString, message);

        KXMemoryDocument document(QSize(100, 100));
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 1);
        document.SetDocumentState(5);

        LayerCreateCommandData createData(nullptr, LayerCreateCommandData::RasterLayer, 0);
        createData.SetLayerId(1);
        LayerRemoveCommandData removeData(nullptr);
        removeData.AddLayerInfo(1, &document);
        if (dataKind == QLatin1String("released"))
            createData.ReleaseSerializeData();
        VornCommandData* data = nullptr;
        if (dataKind == QLatin1String("valid") || dataKind == QLatin1String("released"))
            data = create ? static_cast<VornCommandData*>(&createData) : &removeData;
        else if (dataKind == QLatin1String("other"))
            data = create ? static_cast<VornCommandData*>(&removeData) : &createData;

        KXDocumentInterface* target = withDocument ? &document : nullptr;
        std::unique_ptr<VornCommand> command;
        if (create)
            command.reset(new LayerCreateCommand(target, false));
        else
            command.reset(new LayerRemoveCommand(target, false));

        MessageCapture capture;
        if (redo)
            command->redoExec(data);
        else
            command->undoExec(data);
        const QStringList texts = capture.texts();
        QCOMPARE(texts.size(), 1);
        const QString pattern
            = ReportPattern(create ? QStringLiteral("layercreatecommand") : QStringLiteral("layerremovecommand"),
                            message);
        QVERIFY2(QRegularExpression(pattern).match(texts.first()).hasMatch(), qPrintable(texts.first()));
        QCOMPARE(document.GetLayerCount(), 2u);
        QCOMPARE(document.GetDocumentState(), 5);
        QCOMPARE(document.GetLayerName(1), QStringLiteral("Raster 1"));
    }
};

QTEST_MAIN(TestLayerCommands)
#include "tst_layercommands.moc"
