#pragma once

#include <QMetaType>
#include <QtTest>

#include <functional>
#include <memory>

#include "KXDocumentInterface.h"
#include "recordtesting.h"

// Data-driven record tests: a row holds a maker of filled data and the bytes
// its record must be.

using DataMaker = std::function<VornCommandData*()>;
Q_DECLARE_METATYPE(DataMaker)

// A maker of data of the class, filled by fill.
template <class Data>
DataMaker MakeData(const std::function<void(Data&)>& fill)
{
    return [fill] {
        auto* data = new Data;
        fill(*data);
        return static_cast<VornCommandData*>(data);
    };
}

// The record make() writes is exactly expected; the same data, released, reads
// it back and writes the same bytes again (every field read in its place); cut
// short anywhere, the record is refused and data that held a record keeps none.
// When make() gives data without a record, expected is a damaged or hostile
// record that must be refused.
inline void CheckRecord(const DataMaker& make, const QByteArray& expected)
{
    const std::unique_ptr<VornCommandData> data(make());
    if (RecordOf(*data).isEmpty()) {
        QVERIFY(!ReadRecord(expected, *data));
        QCOMPARE(RecordOf(*data), QByteArray());
        return;
    }
    QCOMPARE(RecordOf(*data).toHex(), expected.toHex());
    data->ReleaseSerializeData();
    QCOMPARE(RecordOf(*data), QByteArray());
    QVERIFY(ReadRecord(expected, *data));
    QCOMPARE(RecordOf(*data).toHex(), expected.toHex());
    for (int cut = 0; cut < expected.size(); cut += qMax(1, expected.size() / 100)) {
        const std::unique_ptr<VornCommandData> damaged(make());
        QVERIFY2(!ReadRecord(expected.left(cut), *damaged), qPrintable(QStringLiteral("cut at %1").arg(cut)));
        QCOMPARE(RecordOf(*damaged), QByteArray());
    }
}

// The pattern of an exception report from file: kind is what follows
// "Unexpected " ("exception", "unknown exception"), content the exception's
// text when it has one.
inline QString ExceptionPattern(const QString& file, const QString& kind, const QString& content = QString())
{
    return QStringLiteral("^Build date=%1, time=%2\\. Unexpected %3: line=\\d+, file=\"%4\"%5$")
        .arg(reportDatePattern(), reportTimePattern(), kind, QRegularExpression::escape(file),
            content.isNull() ? QString() : QStringLiteral("\\. Exception content:\"%1\"").arg(content));
}

// What every data class's record test checks: `filled` writes exactly
// `bytes`; `other` reads them back and writes the same bytes again; a record
// one byte short is refused and leaves `other` without a record.
inline void CheckRecord(VornCommandData& filled, VornCommandData& other, const QByteArray& bytes)
{
    QCOMPARE(RecordOf(filled).toHex(), bytes.toHex());
    QVERIFY(ReadRecord(bytes, other));
    QCOMPARE(RecordOf(other).toHex(), bytes.toHex());
    QVERIFY(!ReadRecord(bytes.left(bytes.size() - 1), other));
    QVERIFY(RecordOf(other).isEmpty());
}

// The layer names of a document, bottom to top.
inline QStringList LayerNames(const KXDocumentInterface& document)
{
    QStringList names;
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        names << document.GetLayerName(id);
    return names;
}
