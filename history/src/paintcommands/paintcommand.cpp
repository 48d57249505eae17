#include "paintcommand.h"

#include <utility>

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXDocumentLayerLockerForWrite.h"
#include "KXErrorReport.h"
#include "KXImageOps.h"
#include "checkedgeometry_p.h"
#include "paintcommanddata.h"

namespace {

// Every copy here replaces destination pixels by source pixels, at full strength.
constexpr unsigned int kReplace = KXBlendReplace;

void Replace(const KXImage32& source, const QRect& sourceRect, KXImage32& destination, const QRect& destinationRect)
{
    BlendOn(source, sourceRect, kReplace, destination, destinationRect, 1.0, false);
}

QRect Moved(const QRect& rect, const QPoint& origin)
{
    return rect.translated(-origin);
}

// A rectangle's size, never negative (a damaged record could hold anything).
QSize SizeOf(const QRect& rect)
{
    return rect.size().expandedTo(QSize(0, 0));
}

// Whether the rectangles and pixels of a record can be worked with: the
// pixels no larger than a document, the rectangles all placeable (no
// overflow in the arithmetic below) and the image's rectangle with the stroke
// an image that can be made.
bool IsPossible(const QRect& geometry, const QRect& stroke, const KXImage32& pixels, const QRect& pixelsRect)
{
    return CheckedGeometry::ArePlaceable(geometry, stroke, pixelsRect) && CheckedGeometry::FitsDocument(pixels.GetSize())
        && CheckedGeometry::FitsImage(SizeOf(geometry | stroke));
}

} // namespace

PaintCommand::PaintCommand(KXDocumentInterface* document, bool firstRedo)
    : m_document(document)
    , m_firstRedo(firstRedo)
{
}

void PaintCommand::RedoExecute(VornCommandData* commandData)
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return;
    }
    PaintCommandData* data = CastData(commandData);
    if (!data) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return;
    }
    unsigned int id = 0;
    if (!data->GetLayerID(id)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    if (!m_firstRedo) {
        // The application painted the stroke already: its pixels are the result.
        m_firstRedo = true;
        TargetChanged(id);
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
        return;
    }
    QRect strokeRect;
    KXImage32 strokePixels;
    QRect strokePixelsRect;
    if (!data->GetRedoGeometry(strokeRect) || !data->GetRedoImage(strokePixels, strokePixelsRect)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }

    const QRect geometry = TargetGeometry(id);
    if (!IsPossible(geometry, strokeRect, strokePixels, strokePixelsRect)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    if ((geometry & strokeRect) == strokeRect) {
        // The stroke lies inside the image: paint in place.
        if (!PaintInPlace(id, strokePixels, strokePixelsRect, strokeRect, geometry.topLeft()))
            return;
    } else {
        // The image grows to cover the stroke; its pixels keep their document positions.
        const QRect grownRect = geometry | strokeRect;
        const bool grown = Resize(id, grownRect, true, grownRect, [&](const KXImage32& target, KXImage32& image) {
            DrawImage(image, int(kReplace), TargetGeometry(id).topLeft() - grownRect.topLeft(), target, 1.0, false);
            Replace(strokePixels, strokePixelsRect, image, Moved(strokeRect, grownRect.topLeft()));
        });
        if (!grown)
            return;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void PaintCommand::UndoExecute(VornCommandData* commandData)
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return;
    }
    PaintCommandData* data = CastData(commandData);
    if (!data) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return;
    }
    QRect oldGeometry;
    QRect strokeRect;
    KXImage32 oldPixels;
    QRect oldPixelsRect;
    unsigned int id = 0;
    if (!data->GetUndoGeometry(oldGeometry) || !data->GetRedoGeometry(strokeRect)
        || !data->GetUndoImage(oldPixels, oldPixelsRect) || !data->GetLayerID(id)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }

    if (!IsPossible(oldGeometry, strokeRect, oldPixels, oldPixelsRect) || !CheckedGeometry::IsPlaceable(TargetGeometry(id))) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return;
    }
    const QRect inside = oldGeometry & strokeRect;
    if (inside == strokeRect) {
        // The redo painted in place: put the old pixels back in place.
        if (!PaintInPlace(id, oldPixels, oldPixelsRect, strokeRect, oldGeometry.topLeft()))
            return;
    } else {
        // The redo grew the image: cut it back to its old rectangle.
        const bool shrunk = Resize(id, oldGeometry, false, oldGeometry | strokeRect,
            [&](const KXImage32& target, KXImage32& image) {
                Replace(target, Moved(oldGeometry, TargetGeometry(id).topLeft()), image, image.GetRect());
                Replace(oldPixels, oldPixelsRect, image, Moved(inside, oldGeometry.topLeft()));
            });
        if (!shrunk)
            return;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

bool PaintCommand::PaintInPlace(unsigned int id, const KXImage32& pixels, const QRect& pixelsRect,
                                const QRect& documentRect, const QPoint& origin)
{
    {
        KXDocumentLayerLockerForWrite locker(m_document, id);
        KXImage32* target = Target(id);
        if (!target) {
            locker.Unlock();
            VORN_REPORT(QStringLiteral("Error to get data."));
            return false;
        }
        Replace(pixels, pixelsRect, *target, Moved(documentRect, origin));
    }
    TargetChanged(id);
    m_document->UpdateView(documentRect);
    return true;
}

bool PaintCommand::Resize(unsigned int id, const QRect& newRect, bool growing, const QRect& viewRect,
                          const std::function<void(const KXImage32&, KXImage32&)>& fill)
{
    // The new image is built under the read lock and swapped in under the write lock.
    KXImage32 resized = NewTarget(id, SizeOf(newRect), growing);
    {
        KXDocumentLayerLockerForRead locker(m_document, id);
        const KXImage32* target = Target(id);
        if (!target) {
            locker.Unlock();
            VORN_REPORT(QStringLiteral("Error to get data."));
            return false;
        }
        fill(*target, resized);
    }
    {
        KXDocumentLayerLockerForWrite locker(m_document, id);
        if (KXImage32* target = Target(id))
            *target = std::move(resized);
    }
    PlaceTarget(id, newRect.topLeft());
    TargetChanged(id);
    m_document->UpdateView(viewRect);
    return true;
}
