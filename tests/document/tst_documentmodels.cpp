#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "KXChannelModel.h"
#include "KXDocumentModel.h"
#include "KXMemoryDocument.h"
#include "pixeltesting.h"

using IdList = QList<unsigned int>;
Q_DECLARE_METATYPE(IdList)

namespace {

KXImage32 Pixels(int width, int height)
{
    return Filled(width, height, KXRGBA32i::OpaqueWhite());
}

void AddLayers(KXMemoryDocument& document, const QString& names)
{
    for (const QChar name : names)
        document.AddRasterLayer(QString(name), Pixels(2, 2));
}

// The names the model shows, row by row.
QString Rows(const QAbstractItemModel& model)
{
    QString rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows += model.data(model.index(row, 0)).toString();
    return rows;
}

// The names of the layers below the rows, id 1 upwards.
QString Layers(const KXDocumentInterface& document)
{
    QString names;
    for (unsigned int id = 1; id < document.GetLayerCount(); ++id)
        names += document.GetLayerName(id);
    return names;
}

// Rows whose layer (upper case) or mask (lower case after a slash) is marked.
QString Marks(const KXDocumentModel& model)
{
    QString marks;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString name = model.data(model.index(row, 0)).toString();
        if (model.GetLayerSelected(unsigned(row)))
            marks += name;
        if (model.GetMaskSelected(unsigned(row)))
            marks += "/" + name.toLower();
    }
    return marks;
}

} // namespace

class TestDocumentModels : public QObject
{
    Q_OBJECT

private slots:
    // Every kind of layer list change, watched by Qt's model tester.
    void documentModelPassesTheModelTester()
    {
        auto* document = new KXMemoryDocument(QSize(20, 20));
        KXDocumentModel model(document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto check = [&]() {
            QCOMPARE(model.rowCount(), qMax(0, int(document->GetLayerCount()) - 1));
            QCOMPARE(Rows(model), Layers(*document));
        };

        AddLayers(*document, "ABCDE");
        QVERIFY(document->SetLayerSequence({4, 2, 3, 0, 1}));
        check();
        document->SetLayerName(1, "Renamed");
        document->SetLayerVisible(2, false);
        QVERIFY(document->CreateLayerMask(2, Pixels(3, 3), true));
        document->MoveLayer(1, QPoint(4, 4));
        QVERIFY(document->RemoveLayerMask(2));
        QVERIFY(model.setData(model.index(0), "Again"));
        QVERIFY(model.setData(model.index(1), Qt::Checked, Qt::CheckStateRole));
        check();
        while (document->GetLayerCount() > 0)
            QVERIFY(document->RemoveLayer(document->GetLayerCount() - 1));
        check();
        AddLayers(*document, "XYZ");
        check();
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        delete document;
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.GetDocument(), nullptr);
        QVERIFY(!model.GetLayerSelected(0));
        QVERIFY(!model.SetLayerSelected(0, true));
    }

    // Row r shows id r + 1: which row a created or removed layer takes or frees.
    void changedRows_data()
    {
        QTest::addColumn<QString>("layers");
        QTest::addColumn<bool>("create"); // else remove
        QTest::addColumn<unsigned int>("id");
        QTest::addColumn<int>("row"); // -1: no row inserted or removed
        QTest::addColumn<QString>("rows");
        QTest::newRow("create first layer") << "" << true << 0u << -1 << "";
        QTest::newRow("create below the only layer") << "A" << true << 0u << 0 << "A";
        QTest::newRow("create below the bottom") << "ABC" << true << 0u << 0 << "ABC";
        QTest::newRow("create in the middle") << "ABC" << true << 2u << 1 << "BNC";
        QTest::newRow("create on top") << "ABC" << true << 3u << 2 << "BCN";
        QTest::newRow("remove only layer") << "A" << false << 0u << -1 << "";
        QTest::newRow("remove bottom of two") << "AB" << false << 0u << 0 << "";
        QTest::newRow("remove bottom") << "ABCD" << false << 0u << 0 << "CD";
        QTest::newRow("remove middle") << "ABCD" << false << 2u << 1 << "BD";
        QTest::newRow("remove top") << "ABCD" << false << 3u << 2 << "BC";
    }
    void changedRows()
    {
        QFETCH(QString, layers);
        QFETCH(bool, create);
        QFETCH(unsigned int, id);
        QFETCH(int, row);
        QFETCH(QString, rows);
        KXMemoryDocument document(QSize(5, 5));
        AddLayers(document, layers);
        KXDocumentModel model(&document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QVERIFY(create ? document.CreateRasterLayer("N", id) : document.RemoveLayer(id));
        QVERIFY(!document.RemoveLayer(9));
        QSignalSpy& spy = create ? inserted : removed;
        QCOMPARE(inserted.count() + removed.count(), row < 0 ? 0 : 1);
        if (row >= 0) {
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.at(0).at(1).toInt(), row);
            QCOMPARE(spy.at(0).at(2).toInt(), row);
        }
        QCOMPARE(reset.count(), 0);
        QCOMPARE(Rows(model), rows);
    }

    void marksFollowTheirLayers()
    {
        KXMemoryDocument document(QSize(5, 5));
        AddLayers(document, "ABCD");
        QVERIFY(document.CreateLayerMask(3, Pixels(1, 1), false));
        KXDocumentModel model(&document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        QVERIFY(model.SetLayerSelected(1, true)); // C
        QVERIFY(model.SetMaskSelected(2, true)); // D's mask
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(2).value<QVector<int>>(), QVector<int>({KXDocumentModel::LayerSelectedRole}));
        QVERIFY(model.SetLayerSelected(1, true));
        QCOMPARE(changed.count(), 2); // no change, no signal
        QCOMPARE(Marks(model), QStringLiteral("C/d"));
        QVERIFY(model.data(model.index(1), KXDocumentModel::LayerSelectedRole).toBool());

        QVERIFY(document.CreateRasterLayer("N", 1));
        QCOMPARE(Rows(model), QStringLiteral("NBCD"));
        QCOMPARE(Marks(model), QStringLiteral("C/d"));
        QVERIFY(model.GetLayerSelected(2));
        const QPersistentModelIndex b = model.index(1);
        const QPersistentModelIndex n = model.index(0);
        QVERIFY(document.SetLayerSequence({0, 4, 3, 2, 1}));
        QCOMPARE(Rows(model), QStringLiteral("DCBN"));
        QCOMPARE(b.row(), 2);
        QCOMPARE(b.data().toString(), QStringLiteral("B"));
        QVERIFY(document.SetLayerSequence({4, 1, 2, 3, 0})); // N to the bottom, not shown
        QVERIFY(!n.isValid());
        QCOMPARE(b.data().toString(), QStringLiteral("B"));
        QVERIFY(document.SetLayerSequence({4, 1, 2, 3, 0}));
        QCOMPARE(Rows(model), QStringLiteral("DCBN"));
        QCOMPARE(Marks(model), QStringLiteral("/dC"));
        QVERIFY(document.RemoveLayer(0)); // D becomes the hidden bottom layer
        QCOMPARE(Rows(model), QStringLiteral("CBN"));
        QCOMPARE(Marks(model), QStringLiteral("C"));
        QVERIFY(document.CreateRasterLayer("Z", 0)); // and shows again, still marked
        QCOMPARE(Marks(model), QStringLiteral("/dC"));
        QVERIFY(document.RemoveLayerMask(1));
        QCOMPARE(Marks(model), QStringLiteral("C"));

        QVERIFY(!model.SetLayerSelected(4, true));
        QVERIFY(!model.SetMaskSelected(0xFFFFFFFF, true));
        QVERIFY(!model.GetLayerSelected(4));
        QVERIFY(!model.GetMaskSelected(99));
    }

    void rolesAndSetData_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("name") << int(Qt::EditRole) << QVariant("New") << true;
        QTest::newRow("hide") << int(Qt::CheckStateRole) << QVariant(int(Qt::Unchecked)) << true;
        QTest::newRow("opacity") << int(KXDocumentModel::OpacityRole) << QVariant(0.25) << true;
        QTest::newRow("opacity above 1") << int(KXDocumentModel::OpacityRole) << QVariant(1.5) << false;
        QTest::newRow("opacity not a number") << int(KXDocumentModel::OpacityRole) << QVariant("much") << false;
        QTest::newRow("layer mark") << int(KXDocumentModel::LayerSelectedRole) << QVariant(true) << true;
        QTest::newRow("mask mark") << int(KXDocumentModel::MaskSelectedRole) << QVariant(true) << true;
        QTest::newRow("layer id") << int(KXDocumentModel::LayerIdRole) << QVariant(5u) << false;
    }
    void rolesAndSetData()
    {
        QFETCH(int, role);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        KXMemoryDocument document(QSize(5, 5));
        AddLayers(document, "AB");
        document.SetLayerPosition(1, QPoint(3, 4));
        KXDocumentModel model(&document);
        const QModelIndex index = model.index(0);
        QCOMPARE(model.data(index, KXDocumentModel::LayerIdRole).toUInt(), 1u);
        QCOMPARE(model.data(index, KXDocumentModel::GeometryRole).toRect(), QRect(3, 4, 2, 2));

        QCOMPARE(model.setData(index, value, role), accepted);
        QCOMPARE(model.setData(model.index(5), value, role), false);
        if (!accepted)
            return;
        if (role == KXDocumentModel::OpacityRole)
            QCOMPARE(document.GetLayerOpacity(1), value.toDouble());
        else if (role == Qt::CheckStateRole)
            QVERIFY(!document.GetLayerVisible(1));
        QCOMPARE(model.data(index, role), role == Qt::CheckStateRole ? QVariant(Qt::Unchecked) : value);
    }

    // The channel list through the document and through the model.
    void channelModel()
    {
        KXMemoryDocument document(QSize(6, 4));
        KXChannelModel* channels = document.GetChannelModel();
        QAbstractItemModelTester tester(channels, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(document.CreateAlphaChannel("Alpha 1", 0));
        QVERIFY(document.CreateAlphaChannelFromMask("Alpha 2", Pixels(3, 3), 1));
        QVERIFY(document.CreateAlphaChannel("Alpha 0", 0));
        QVERIFY(!document.CreateAlphaChannel("bad", 4));
        QCOMPARE(Rows(*channels), QStringLiteral("RGBRedGreenBlueAlpha 0Alpha 1Alpha 2"));
        // A new channel covers the canvas, transparent.
        QCOMPARE(channels->GetAlphaChannelImage(1)->GetSize(), QSize(6, 4));
        QCOMPARE(channels->GetAlphaChannelImage(1)->GetPixel(5, 3), KXRGBA32i());

        QSignalSpy changed(&document, &KXDocumentInterface::channelChanged);
        QVERIFY(document.SetChannelOffset(2, QPoint(1, 2)));
        QVERIFY(!document.SetChannelOffset(3, QPoint(1, 2)));
        document.ChannelChangedExternal(0);
        document.ChannelChangedExternal(3);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toUInt(), 0u);
        QCOMPARE(channels->data(channels->index(6), KXChannelModel::OffsetRole).toPoint(), QPoint(1, 2));
        QVERIFY(channels->setData(channels->index(4), "Renamed"));
        QVERIFY(!channels->setData(channels->index(0), "RGB2"));
        QVERIFY(!channels->InsertAlphaChannel(4, "x", Pixels(1, 1), QPoint()));
        QVERIFY(document.DeleteAlphaChannel(1));
        QCOMPARE(Rows(*channels), QStringLiteral("RGBRedGreenBlueRenamedAlpha 2"));
        QVERIFY(document.DeleteAlphaChannel(0));
        QVERIFY(document.DeleteAlphaChannel(0));
        QVERIFY(!document.DeleteAlphaChannel(0));
    }

};

QTEST_MAIN(TestDocumentModels)
#include "tst_documentmodels.moc"
