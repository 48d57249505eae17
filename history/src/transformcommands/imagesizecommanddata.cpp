#include "imagesizecommanddata.h"

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXPathsListModel.h"

void ImageSizeCommandData::Init(KXDocumentInterface* document, const QSize& oldSize, double oldDpi,
                                const QSize& newSize, double newDpi, bool resample, ResampleType type)
{
    Record& record = EditRecord();
    record.resample = resample;
    record.oldResolution = oldDpi;
    record.newResolution = newDpi;
    if (!resample)
        return;
    record.oldSize = oldSize;
    record.newSize = newSize;
    record.resampleType = type;
    record.layers.clear();
    if (document) {
        record.selectionMask = document->GetSelectionMask();
        record.selectionOffset = document->GetSelectionGeometry().topLeft();
        for (unsigned int id = 1; id < document->GetLayerCount(); ++id) {
            KXDocumentLayerLockerForRead lock(document, id);
            ResizeData::LayerData entry;
            entry.type = document->GetLayerType(id);
            if (entry.type == KXDocumentInterface::RasterLayer) {
                const KXImage32* image = document->GetLayerImage(id);
                if (image && document->GetDocumentKind() == 0)
                    entry.image = *image;
                entry.offset = document->GetLayerGeometry(id).topLeft();
                entry.hasMask = document->HasLayerMask(id);
                if (entry.hasMask) {
                    if (const KXImage32* mask = document->GetLayerMask(id))
                        entry.mask = *mask;
                    entry.maskOffset = document->GetMaskGeometry(id).topLeft();
                }
            }
            record.layers.append(entry);
        }
        if (const KXPathsListModel* paths = document->GetPathListModel())
            record.paths = paths->GetPaths();
    }
    record.redoTransform = QTransform::fromScale(double(newSize.width()) / double(oldSize.width()),
                                                 double(newSize.height()) / double(oldSize.height()));
}

bool ImageSizeCommandData::GetResample() const
{
    const Record* record = GetRecord();
    return record && record->resample;
}

int ImageSizeCommandData::GetResampleType() const
{
    const Record* record = GetRecord();
    return record ? record->resampleType : 0;
}

QSize ImageSizeCommandData::GetOldSize() const
{
    const Record* record = GetRecord();
    return record ? record->oldSize : QSize(-1, -1);
}

QSize ImageSizeCommandData::GetNewSize() const
{
    const Record* record = GetRecord();
    return record ? record->newSize : QSize(-1, -1);
}

double ImageSizeCommandData::GetOldDPI() const
{
    const Record* record = GetRecord();
    return record ? record->oldResolution : 1.0;
}

double ImageSizeCommandData::GetNewDPI() const
{
    const Record* record = GetRecord();
    return record ? record->newResolution : 1.0;
}

QTransform ImageSizeCommandData::GetRedoTransform() const
{
    const Record* record = GetRecord();
    return record ? record->redoTransform : QTransform();
}

KXImage32 ImageSizeCommandData::GetSelection(QPoint& offset) const
{
    const Record* record = GetRecord();
    if (!record)
        return KXImage32();
    offset = record->selectionOffset;
    return record->selectionMask;
}

unsigned int ImageSizeCommandData::GetLayersCount() const
{
    const Record* record = GetRecord();
    return record ? unsigned(record->layers.size()) : 0;
}

unsigned int ImageSizeCommandData::GetPathCount() const
{
    const Record* record = GetRecord();
    return record ? unsigned(record->paths.size()) : 0;
}

bool ImageSizeCommandData::GetPath(unsigned int index, Path& path) const
{
    const Record* record = GetRecord();
    if (!record || index >= unsigned(record->paths.size()))
        return false;
    path = record->paths.at(int(index));
    return true;
}

bool ImageSizeCommandData::GetLayerData(unsigned int index, KXImage32& image, KXImage32& mask, QPoint& offset,
                                        QPoint& maskOffset, bool& hasMask) const
{
    const Record* record = GetRecord();
    if (!record || index >= unsigned(record->layers.size()))
        return false;
    const ResizeData::LayerData& entry = record->layers.at(int(index));
    if (entry.type != KXDocumentInterface::RasterLayer)
        return false;
    image = entry.image;
    mask = entry.mask;
    offset = entry.offset;
    maskOffset = entry.maskOffset;
    hasMask = entry.hasMask;
    return true;
}

ImageSizeCommandData* imagesizecommanddata_cast(VornCommandData* data)
{
    return VornDataCast<ImageSizeCommandData>(data);
}
