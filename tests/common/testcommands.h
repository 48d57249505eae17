#pragma once

#include <QByteArray>
#include <QSemaphore>
#include <QStringList>

#include <atomic>
#include <stdexcept>

#include "KXImage.h"
#include "ireader.h"
#include "iwriter.h"
#include "vorncommand.h"
#include "vorncommanddata.h"
#include "vornreaderwriter.h"

// Command data with a byte-array payload and an optional tiled image, counting
// what the serializer does with it. A gate, when set, holds Serialize until
// the test releases it (to keep the worker busy at a known point).
class PayloadData : public VornCommandData
{
public:
    static std::atomic<int>& liveCount()
    {
        static std::atomic<int> count{0};
        return count;
    }

    explicit PayloadData(const QByteArray& payload = QByteArray(), const KXImage32& image = KXImage32())
        : m_payload(payload)
        , m_image(image)
    {
        ++liveCount();
    }
    ~PayloadData() override { --liveCount(); }

    // Only record writes count and wait at the gate: the serializer also walks
    // the fields with writers that measure them or list their tiles.
    bool Serialize(IWriter* writer) override
    {
        if (dynamic_cast<VornReaderWriter*>(writer)) {
            if (gate) {
                gateEntered.release();
                gate->acquire();
            }
            ++serializeCalls;
        }
        if (!writer || !m_hasPayload)
            return false;
        return writer->WriteByteArray(m_payload) && writer->WriteKXImage(m_image);
    }
    bool Deserialize(IReader* reader) override
    {
        ++deserializeCalls;
        if (!reader)
            return false;
        m_hasPayload = true;
        const bool bytes = reader->ReadByteArray(m_payload);
        return bytes && reader->ReadKXImage(m_image);
    }
    void ReleaseSerializeData() override
    {
        ++releaseCalls;
        m_payload = QByteArray();
        m_image = KXImage32();
        m_hasPayload = false;
    }
    unsigned int GetDataType() const override { return 1000; }

    const QByteArray& payload() const { return m_payload; }
    const KXImage32& image() const { return m_image; }
    bool hasPayload() const { return m_hasPayload; }

    std::atomic<int> serializeCalls{0};
    std::atomic<int> deserializeCalls{0};
    std::atomic<int> releaseCalls{0};
    QSemaphore* gate = nullptr;
    QSemaphore gateEntered;

private:
    QByteArray m_payload;
    KXImage32 m_image;
    bool m_hasPayload = true;
};

// A command that logs what it does into a shared list ("redo:<payload>",
// "undo:<payload>", "begin", "end"), and can be told to throw.
class LogCommand : public VornCommand
{
public:
    enum Throw { Nothing, Standard, Other };

    LogCommand(QStringList* log, const QString& name, const QByteArray& payload = QByteArray())
        : m_log(log)
    {
        setText(name);
        SetCommandData(new PayloadData(payload.isEmpty() ? name.toUtf8() : payload));
    }

    Throw throwOnRedo = Nothing;
    Throw throwOnUndo = Nothing;
    int redoThrowsLeft = 1000000;

protected:
    void RedoExecute(VornCommandData* data) override
    {
        if (throwOnRedo != Nothing && redoThrowsLeft-- > 0)
            raise(throwOnRedo, "redo failed");
        m_log->append(QStringLiteral("redo:") + describe(data));
    }
    void UndoExecute(VornCommandData* data) override
    {
        if (throwOnUndo != Nothing)
            raise(throwOnUndo, "undo failed");
        m_log->append(QStringLiteral("undo:") + describe(data));
    }
    void BeginTransaction() override { m_log->append(QStringLiteral("begin:") + text()); }
    void EndTransaction(VornCommandData* data) override { m_log->append(QStringLiteral("end:") + describe(data)); }

private:
    static QString describe(VornCommandData* data)
    {
        if (!data)
            return QStringLiteral("<null>");
        if (data->GetDataType() != 1000)
            return QStringLiteral("<wrong>");
        return QString::fromUtf8(static_cast<PayloadData*>(data)->payload());
    }
    static void raise(Throw kind, const char* what)
    {
        if (kind == Standard)
            throw std::runtime_error(what);
        throw 42;
    }

    QStringList* m_log;
};
