#pragma once

#include <QList>
#include <QVector>

#include <memory>
#include <type_traits>
#include <utility>

#include "ireader.h"
#include "iwriter.h"
#include "vorncommanddata.h"

// The record machinery every command-data class shares.
//
// A data class keeps the fields it writes in one struct, its record, and names
// them once, in record order, in a member template:
//
//     struct Record
//     {
//         double oldOpacity = 0;
//         unsigned int layer = 0;
//         template <class Io> bool Fields(Io& io) { return io(oldOpacity, layer); }
//     };
//
// VornRecordWriter walks that list to write the record and VornRecordReader to
// read it back, so the two orders cannot drift apart. Each field is written or
// read with the IWriter / IReader operation of its C++ type; every field is
// attempted and the result is the AND of all of them. A field whose bytes are
// not its type's default encoding goes through an adaptor (VornAsInt,
// VornRawByte, VornRawLittleEndian, VornList) or any object with a Fields
// template of its own (a nested record).
//
// VornRecordData<Record, Base> then gives the data class its payload rule: the
// record is created by the first EditRecord() (the setters) or by Deserialize,
// deleted by ReleaseSerializeData, and the getters answer false while it is
// absent. A record that cannot be read whole is dropped, so a damaged file
// never leaves half a record behind.

namespace VornRecordDetail {
template <class T, class Io, class = void>
struct HasFields : std::false_type
{
};
template <class T, class Io>
struct HasFields<T, Io, std::void_t<decltype(std::declval<T&>().Fields(std::declval<Io&>()))>> : std::true_type
{
};
} // namespace VornRecordDetail

// Writes a record's fields through an IWriter, in the order they are named.
// Points at its writer without owning it; lives for one Serialize call.
class VornRecordWriter
{
public:
    static constexpr bool Reading = false;

    explicit VornRecordWriter(IWriter* writer)
        : m_writer(writer)
    {
    }

    IWriter* Stream() const { return m_writer; }

    template <class... Fields>
    bool operator()(Fields&&... fields)
    {
        bool ok = true;
        ((ok = Field(fields) && ok), ...);
        return ok;
    }

private:
    bool Field(const int& value) { return m_writer->WriteInt(value); }
    bool Field(const unsigned int& value) { return m_writer->WriteUInt(value); }
    bool Field(const double& value) { return m_writer->WriteQReal(value); }
    bool Field(const QPoint& value) { return m_writer->WritePoint(value); }
    bool Field(const QRect& value) { return m_writer->WriteRect(value); }
    bool Field(const QSize& value) { return m_writer->WriteSize(value); }
    bool Field(const QString& value) { return m_writer->WriteString(value); }
    bool Field(const QTransform& value) { return m_writer->WriteTransform(value); }
    bool Field(const QMatrix4x4& value) { return m_writer->WriteMatrix4x4(value); }
    bool Field(const QPainterPath& value) { return m_writer->WritePainterPath(value); }
    bool Field(const QImage& value) { return m_writer->WriteImage(value); }
    bool Field(const KXImage32& value) { return m_writer->WriteKXImage(value); }
    bool Field(const QBrush& value) { return m_writer->WriteBrush(value); }
    bool Field(const QFont& value) { return m_writer->WriteFont(value); }
    bool Field(const QByteArray& value) { return m_writer->WriteByteArray(value); }
    bool Field(const QList<KXPathElement>& value) { return m_writer->WriteVornPath(value); }
    bool Field(const QList<QPair<QList<KXPathElement>, int>>& value) { return m_writer->WriteVornPath(value); }

    template <class T>
    std::enable_if_t<VornRecordDetail::HasFields<T, VornRecordWriter>::value, bool> Field(T& nested)
    {
        return nested.Fields(*this);
    }

    IWriter* m_writer;
};

// Reads a record's fields back through an IReader, in the same order.
// Points at its reader without owning it; lives for one Deserialize call.
class VornRecordReader
{
public:
    static constexpr bool Reading = true;

    explicit VornRecordReader(IReader* reader)
        : m_reader(reader)
    {
    }

    IReader* Stream() const { return m_reader; }

    template <class... Fields>
    bool operator()(Fields&&... fields)
    {
        bool ok = true;
        ((ok = Field(fields) && ok), ...);
        return ok;
    }

private:
    bool Field(int& value) { return m_reader->ReadInt(value); }
    bool Field(unsigned int& value) { return m_reader->ReadUInt(value); }
    bool Field(double& value) { return m_reader->ReadQReal(value); }
    bool Field(QPoint& value) { return m_reader->ReadPoint(value); }
    bool Field(QRect& value) { return m_reader->ReadRect(value); }
    bool Field(QSize& value) { return m_reader->ReadSize(value); }
    bool Field(QString& value) { return m_reader->ReadString(value); }
    bool Field(QTransform& value) { return m_reader->ReadTransform(value); }
    bool Field(QMatrix4x4& value) { return m_reader->ReadMatrix4x4(value); }
    bool Field(QPainterPath& value) { return m_reader->ReadPainterPath(value); }
    bool Field(QImage& value) { return m_reader->ReadImage(value); }
    bool Field(KXImage32& value) { return m_reader->ReadKXImage(value); }
    bool Field(QBrush& value) { return m_reader->ReadBrush(value); }
    bool Field(QFont& value) { return m_reader->ReadFont(value); }
    bool Field(QByteArray& value) { return m_reader->ReadByteArray(value); }
    bool Field(QList<KXPathElement>& value) { return m_reader->ReadVornPath(value); }
    bool Field(QList<QPair<QList<KXPathElement>, int>>& value) { return m_reader->ReadVornPath(value); }

    template <class T>
    std::enable_if_t<VornRecordDetail::HasFields<T, VornRecordReader>::value, bool> Field(T& nested)
    {
        return nested.Fields(*this);
    }

    IReader* m_reader;
};

// An enum or bool stored as a 32-bit integer.
template <class T>
struct VornAsIntField
{
    T& value;

    template <class Io>
    bool Fields(Io& io)
    {
        int stored = int(value);
        const bool ok = io(stored);
        if constexpr (Io::Reading)
            value = T(stored);
        return ok;
    }
};
template <class T>
VornAsIntField<T> VornAsInt(T& value)
{
    return {value};
}

// A bool stored as one raw byte, 0 or 1 (any other byte reads as true).
struct VornRawByteField
{
    bool& value;

    template <class Io>
    bool Fields(Io& io)
    {
        char byte = value ? 1 : 0;
        if constexpr (Io::Reading) {
            const bool ok = io.Stream()->ReadRawData(&byte, 1) == 1;
            value = byte != 0;
            return ok;
        } else {
            return io.Stream()->WriteRawData(&byte, 1) == 1;
        }
    }
};
inline VornRawByteField VornRawByte(bool& value)
{
    return {value};
}

// A 32-bit value (or enum) stored as 4 raw bytes, little-endian.
template <class T>
struct VornRawLittleEndianField
{
    static_assert(sizeof(T) == 4, "four-byte values only");
    T& value;

    template <class Io>
    bool Fields(Io& io)
    {
        unsigned char bytes[4];
        if constexpr (Io::Reading) {
            const bool ok = io.Stream()->ReadRawData(reinterpret_cast<char*>(bytes), 4) == 4;
            if (ok) {
                const quint32 stored = quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16
                                       | quint32(bytes[3]) << 24;
                value = T(stored);
            }
            return ok;
        } else {
            const quint32 stored = quint32(value);
            for (int i = 0; i < 4; ++i)
                bytes[i] = (unsigned char)(stored >> (8 * i));
            return io.Stream()->WriteRawData(reinterpret_cast<const char*>(bytes), 4) == 4;
        }
    }
};
template <class T>
VornRawLittleEndianField<T> VornRawLittleEndian(T& value)
{
    return {value};
}

// A list: its element count as a 32-bit integer (Count: int or unsigned int),
// then each element's fields. Reading appends elements one at a time and
// stops at the first that fails, so a hostile count allocates nothing ahead.
template <class List, class Count = int>
struct VornListField
{
    List& list;

    template <class Io>
    bool Fields(Io& io)
    {
        Count count = Count(list.size());
        const bool counted = io(count);
        if constexpr (Io::Reading) {
            list.clear();
            if (!counted || qint64(count) < 0)
                return false;
            for (qint64 i = 0; i < qint64(count); ++i) {
                auto element = typename List::value_type();
                if (!io(element))
                    return false;
                list.append(std::move(element));
            }
            return true;
        } else {
            bool ok = counted;
            for (auto& element : list)
                ok = io(element) && ok;
            return ok;
        }
    }
};
template <class Count = int, class List>
VornListField<List, Count> VornList(List& list)
{
    return {list};
}

// The payload rule on top of a data base class (VornCommandData or one of its
// abstract subclasses). The derived class adds its type number, its
// accessors (through EditRecord / Field) and, when it has one, its cast.
// Owns its record. Owned like any command data: its command, then the
// serializer once the command is pushed. The stack's thread sets and reads it;
// the serializer's worker writes and releases the record between executions.
template <class Record, class Base = VornCommandData>
class VornRecordData : public Base
{
public:
    using Base::Base;

    VornRecordData(const VornRecordData&) = delete;
    VornRecordData& operator=(const VornRecordData&) = delete;

    // False for a null writer or while there is no record.
    bool Serialize(IWriter* writer) override
    {
        if (!writer || !m_record)
            return false;
        VornRecordWriter io(writer);
        return m_record->Fields(io);
    }

    // False for a null reader; a record that fails to read is not kept.
    bool Deserialize(IReader* reader) override
    {
        if (!reader)
            return false;
        auto record = std::make_unique<Record>();
        VornRecordReader io(reader);
        const bool ok = record->Fields(io);
        m_record = ok ? std::move(record) : nullptr;
        return ok;
    }

    void ReleaseSerializeData() override { m_record.reset(); }

    bool HasRecord() const { return bool(m_record); }

protected:
    // The record, created when absent (what every setter goes through).
    Record& EditRecord()
    {
        if (!m_record)
            m_record = std::make_unique<Record>();
        return *m_record;
    }

    // Null while there is no record.
    const Record* GetRecord() const { return m_record.get(); }

    // Copies one field into out; false, out untouched, while there is no record.
    template <class T, class Out>
    bool Field(T Record::*member, Out& out) const
    {
        if (!m_record)
            return false;
        out = (*m_record).*member;
        return true;
    }

private:
    std::unique_ptr<Record> m_record;
};

// data typed as T when it is non-null, answers T's number and really is a T
// (two classes may share a number), else null. What every cast function is.
template <class T>
T* VornDataCast(VornCommandData* data)
{
    if (!data || data->GetDataType() != T::Type)
        return nullptr;
    return dynamic_cast<T*>(data);
}

// A list of 32-bit values: its count as a 32-bit integer, then each value as
// 4 raw little-endian bytes (VornRawLittleEndian). Writing stops after the
// first value that fails; reading appends values until the count is reached
// or one cannot be read (so a hostile count ends at the file's end).
template <class List>
struct VornRawLittleEndianListField
{
    List& list;

    template <class Io>
    bool Fields(Io& io)
    {
        int count = int(list.size());
        if (!io(count))
            return false;
        if constexpr (Io::Reading) {
            list.clear();
            if (count < 0)
                return false;
            for (int i = 0; i < count; ++i) {
                typename List::value_type value {};
                if (!io(VornRawLittleEndian(value)))
                    return false;
                list.append(value);
            }
            return true;
        } else {
            for (auto value : qAsConst(list))
                if (!io(VornRawLittleEndian(value)))
                    return false;
            return true;
        }
    }
};
template <class List>
VornRawLittleEndianListField<List> VornRawLittleEndianList(List& list)
{
    return {list};
}
