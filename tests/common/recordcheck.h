#pragma once

#include "KXDocumentInterface.h"
#include "recordtesting.h"

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
