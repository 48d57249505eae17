#include "layermaskinvertcommand.h"

#include <QCursor>
#include <QGuiApplication>

#include "KXDocumentInterface.h"
#include "maskinvertfake.h"

namespace {

// Shows the wait cursor while it lives (when there is a GUI application).
class WaitCursor
{
public:
    WaitCursor()
        : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    const bool m_shown;
};

} // namespace

LayerMaskInvertCommand::LayerMaskInvertCommand(KXDocumentInterface* document)
    : m_document(document)
{
    SetCommandData(new MaskInvertFake);
}

LayerMaskInvertCommand::~LayerMaskInvertCommand() = default;

void LayerMaskInvertCommand::addLayerId(unsigned int id)
{
    m_ids.append(id);
}

void LayerMaskInvertCommand::Invert(int step)
{
    if (!m_document)
        return;
    WaitCursor cursor;
    for (unsigned int id : qAsConst(m_ids)) {
        bool maskType = false;
        m_document->GetMaskType(id, maskType);
        m_document->SetMaskType(id, !maskType);
        m_document->UpdateLayerMask(id);
    }
    m_document->UpdateView(QRect(0, 0, -1, -1));
    m_document->SetDocumentState(m_document->GetDocumentState() + step);
}

void LayerMaskInvertCommand::RedoExecute(VornCommandData*)
{
    Invert(+1);
}

void LayerMaskInvertCommand::UndoExecute(VornCommandData*)
{
    Invert(-1);
}
