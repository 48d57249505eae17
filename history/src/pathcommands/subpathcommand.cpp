#include "subpathcommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXPathsListModel.h"
#include "changesubpathcommanddata.h"
#include "insertsubpathcommanddata.h"
#include "removesubpathcommanddata.h"

SubpathCommand::SubpathCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

SubpathCommand::~SubpathCommand() = default;

void SubpathCommand::RedoExecute(VornCommandData* data)
{
    if (!data || !m_document)
        return;
    switch (data->GetDataType()) {
    case InsertSubpathCommandData::Type:
        RedoInsert(data);
        break;
    case ChangeSubpathCommandData::Type:
        RedoChange(data);
        break;
    case RemoveSubpathCommandData::Type:
        RedoRemoveSubpath(data);
        break;
    default:
        break;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void SubpathCommand::UndoExecute(VornCommandData* data)
{
    if (!data || !m_document)
        return;
    switch (data->GetDataType()) {
    case InsertSubpathCommandData::Type:
        UndoInsert(data);
        break;
    case ChangeSubpathCommandData::Type:
        UndoChange(data);
        break;
    case RemoveSubpathCommandData::Type:
        UndoRemoveSubpath(data);
        break;
    default:
        break;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

KXPathsListModel* SubpathCommand::Model(VornCommandData* data, unsigned int type) const
{
    if (!data || data->GetDataType() != type) {
        VORN_REPORT(QStringLiteral("Error. Wrong input data."));
        return nullptr;
    }
    return m_document ? m_document->GetPathListModel() : nullptr;
}

void SubpathCommand::RedoInsert(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, InsertSubpathCommandData::Type);
    const InsertSubpathCommandData* insertData = InsertSubpathCommandData_cast(data);
    int path = 0;
    int subpath = 0;
    QList<KXPathElement> elements;
    int op = 0;
    if (model && insertData && insertData->GetPathIndex(path) && insertData->GetSubpathIndex(subpath)
        && insertData->GetData(elements) && insertData->GetLogicalOp(op))
        model->InsertSubPath(path, subpath, elements, KXPathsListModel::LogicalOp(op));
}

void SubpathCommand::UndoInsert(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, InsertSubpathCommandData::Type);
    const InsertSubpathCommandData* insertData = InsertSubpathCommandData_cast(data);
    int path = 0;
    int subpath = 0;
    if (model && insertData && insertData->GetPathIndex(path) && insertData->GetSubpathIndex(subpath))
        model->RemoveSubPath(path, subpath);
}

void SubpathCommand::RedoChange(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, ChangeSubpathCommandData::Type);
    const ChangeSubpathCommandData* changeData = ChangeSubpathCommandData_cast(data);
    int path = 0;
    int subpath = 0;
    QList<KXPathElement> elements;
    if (model && changeData && changeData->GetPathIndex(path) && changeData->GetSubpathIndex(subpath)
        && changeData->GetRedoData(elements))
        model->SetSubPath(path, subpath, elements, true);
}

void SubpathCommand::UndoChange(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, ChangeSubpathCommandData::Type);
    const ChangeSubpathCommandData* changeData = ChangeSubpathCommandData_cast(data);
    int path = 0;
    int subpath = 0;
    QList<KXPathElement> elements;
    if (model && changeData && changeData->GetPathIndex(path) && changeData->GetSubpathIndex(subpath)
        && changeData->GetUndoData(elements))
        model->SetSubPath(path, subpath, elements, true);
}

void SubpathCommand::RedoRemoveSubpath(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, RemoveSubpathCommandData::Type);
    const RemoveSubpathCommandData* removeData = RemoveSubpathCommandData_cast(data);
    int path = 0;
    int subpath = 0;
    if (model && removeData && removeData->GetPathIndex(path) && removeData->GetSubpathIndex(subpath))
        model->RemoveSubPath(path, subpath);
}

void SubpathCommand::UndoRemoveSubpath(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, RemoveSubpathCommandData::Type);
    const RemoveSubpathCommandData* removeData = RemoveSubpathCommandData_cast(data);
    int path = 0;
    int subpath = 0;
    int op = 0;
    QList<KXPathElement> elements;
    if (model && removeData && removeData->GetPathIndex(path) && removeData->GetSubpathIndex(subpath)
        && removeData->GetLogicalOp(op) && removeData->GetUndoData(elements))
        model->InsertSubPath(path, subpath, elements, KXPathsListModel::LogicalOp(op));
}
