#include "KXDocumentInterface.h"

#include "KXChannelModel.h"
#include "KXColorSampleModel.h"
#include "KXPathsListModel.h"

KXDocumentInterface::KXDocumentInterface(QObject* parent)
    : QObject(parent)
    , m_paths(new KXPathsListModel(this))
    , m_samples(new KXColorSampleModel(this))
{
}

KXDocumentInterface::~KXDocumentInterface() = default;

int KXDocumentInterface::GetDocumentState() const
{
    return m_state;
}

void KXDocumentInterface::SetDocumentState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit documentStateChanged(state);
}

bool KXDocumentInterface::HasSelection() const
{
    return !m_selectionMask.IsEmpty();
}

const KXImage32& KXDocumentInterface::GetSelectionMask() const
{
    return m_selectionMask;
}

QPoint KXDocumentInterface::GetSelectionMaskOffset() const
{
    return m_selectionOffset;
}

QRect KXDocumentInterface::GetSelectionGeometry() const
{
    return QRect(m_selectionOffset, m_selectionMask.GetSize());
}

void KXDocumentInterface::SetSelectionMask(const KXImage32& mask, const QPoint& offset)
{
    m_selectionLock.LockForWrite();
    m_selectionMask = mask;
    m_selectionOffset = offset;
    m_selectionLock.UnlockWrite();
    SelectionEdited();
}

void KXDocumentInterface::TranslateSelection(const QPoint& delta)
{
    MoveToSelection(m_selectionOffset + delta);
}

void KXDocumentInterface::MoveToSelection(const QPoint& offset)
{
    m_selectionLock.LockForWrite();
    m_selectionOffset = offset;
    m_selectionLock.UnlockWrite();
    SelectionEdited();
}

KXImage32& KXDocumentInterface::BeginEditSelection()
{
    m_selectionLock.LockForWrite();
    ++m_selectionEditDepth;
    m_selectionUnannounced = true;
    return m_selectionMask;
}

void KXDocumentInterface::EndEditSelection()
{
    if (m_selectionEditDepth > 0) {
        --m_selectionEditDepth;
        m_selectionLock.UnlockWrite();
    }
    if (m_selectionEditDepth == 0 && m_selectionUnannounced) {
        m_selectionUnannounced = false;
        emit selectionChanged();
    }
}

KXDocumentLock* KXDocumentInterface::GetSelectionLock() const
{
    return &m_selectionLock;
}

void KXDocumentInterface::SetDPI(int dpi)
{
    if (dpi < 1 || dpi == m_dpi)
        return;
    m_dpi = dpi;
    emit dpiChanged(dpi);
}

int KXDocumentInterface::GetDPI() const
{
    return m_dpi;
}

void KXDocumentInterface::ChannelChangedExternal(unsigned int id)
{
    KXChannelModel* channels = GetChannelModel();
    if (!channels || id >= channels->GetAlphaChannelCount())
        return;
    channels->AlphaChannelChanged(id);
    emit channelChanged(id);
}

KXColorSampleModel* KXDocumentInterface::GetColorSamples() const
{
    return m_samples;
}

KXPathsListModel* KXDocumentInterface::GetPathListModel() const
{
    return m_paths;
}

void KXDocumentInterface::SetPathListModel(KXPathsListModel* model)
{
    m_paths = model;
}

void KXDocumentInterface::SetColorSamples(KXColorSampleModel* model)
{
    m_samples = model;
}

void KXDocumentInterface::SelectionEdited()
{
    if (m_selectionEditDepth > 0) {
        m_selectionUnannounced = true;
        return;
    }
    m_selectionUnannounced = false;
    emit selectionChanged();
}
