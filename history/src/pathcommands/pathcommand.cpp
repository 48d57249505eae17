#include "pathcommand.h"

#include <QPainterPath>
#include <QRectF>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXPathsListModel.h"
#include "duplicatepathcommanddata.h"
#include "insertpathcommanddata.h"
#include "removepathcommanddata.h"
#include "transformpathcommanddata.h"

PathCommand::PathCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

PathCommand::~PathCommand() = default;

void PathCommand::RedoExecute(VornCommandData* data)
{
    if (!data || !m_document)
        return;
    switch (data->GetDataType()) {
    case InsertPathCommandData::Type:
        RedoInsert(data);
        break;
    case RemovePathCommandData::Type:
        RedoRemove(data);
        break;
    case TransformPathCommandData::Type:
        RedoTransform(data);
        break;
    case DuplicatePathCommandData::Type:
        RedoDuplicate(data);
        break;
    default:
        break;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void PathCommand::UndoExecute(VornCommandData* data)
{
    if (!data || !m_document)
        return;
    switch (data->GetDataType()) {
    case InsertPathCommandData::Type:
        UndoInsert(data);
        break;
    case RemovePathCommandData::Type:
        UndoRemove(data);
        break;
    case TransformPathCommandData::Type:
        UndoTransform(data);
        break;
    case DuplicatePathCommandData::Type:
        UndoDuplicate(data);
        break;
    default:
        break;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

KXPathsListModel* PathCommand::Model(VornCommandData* data, unsigned int type) const
{
    if (!data || data->GetDataType() != type) {
        VORN_REPORT(QStringLiteral("Error. Wrong input data."));
        return nullptr;
    }
    return m_document ? m_document->GetPathListModel() : nullptr;
}

void PathCommand::RedoInsert(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, InsertPathCommandData::Type);
    const InsertPathCommandData* insertData = InsertPathCommandData_cast(data);
    int index = 0;
    QString name;
    KXPathsListModel::Path path;
    if (model && insertData && insertData->GetPathIndex(index) && insertData->GetPathName(name)
        && insertData->GetPath(path))
        model->InsertPath(index, path, name);
}

void PathCommand::UndoInsert(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, InsertPathCommandData::Type);
    const InsertPathCommandData* insertData = InsertPathCommandData_cast(data);
    int index = 0;
    if (model && insertData && insertData->GetPathIndex(index))
        model->RemovePath(index);
}

void PathCommand::RedoRemove(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, RemovePathCommandData::Type);
    const RemovePathCommandData* removeData = RemovePathCommandData_cast(data);
    int index = 0;
    if (model && removeData && removeData->GetPathIndex(index))
        model->RemovePath(index);
}

void PathCommand::UndoRemove(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, RemovePathCommandData::Type);
    const RemovePathCommandData* removeData = RemovePathCommandData_cast(data);
    int index = 0;
    QString name;
    KXPathsListModel::Path path;
    if (model && removeData && removeData->GetPathIndex(index) && removeData->GetPathName(name)
        && removeData->GetPath(path))
        model->InsertPath(index, path, name);
}

void PathCommand::UndoTransform(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, TransformPathCommandData::Type);
    const TransformPathCommandData* transformData = TransformPathCommandData_cast(data);
    int index = 0;
    KXPathsListModel::Path path;
    if (model && transformData && transformData->GetPathIndex(index) && transformData->GetPath(path))
        model->SetPath(index, path);
}

void PathCommand::RedoTransform(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, TransformPathCommandData::Type);
    const TransformPathCommandData* transformData = TransformPathCommandData_cast(data);
    int index = 0;
    int subpath = 0;
    KXPathsListModel::Path path;
    QTransform transform;
    if (!model || !transformData || !transformData->GetPathIndex(index) || !transformData->GetPath(path)
        || !transformData->GetTransform(transform) || !transformData->GetSubpathIndex(subpath))
        return;
    const bool one = subpath >= 0 && subpath < path.size();
    QRectF bounds(0, 0, 0, 0);
    if (one) {
        bounds = ConvertFrom(path.at(subpath).first).boundingRect();
    } else {
        // A null rectangle is the identity of operator|: bounds is the union.
        for (const KXPathsListModel::SubPath& part : qAsConst(path))
            bounds = bounds | ConvertFrom(part.first).boundingRect();
    }
    const QTransform placed = QTransform::fromTranslate(-bounds.x(), -bounds.y()) * transform;
    if (one) {
        TransformPath(path[subpath].first, placed);
    } else {
        for (KXPathsListModel::SubPath& part : path)
            TransformPath(part.first, placed);
    }
    model->SetPath(index, path);
}

void PathCommand::RedoDuplicate(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, DuplicatePathCommandData::Type);
    const DuplicatePathCommandData* duplicateData = DuplicatePathCommandData_cast(data);
    int index = 0;
    QString name;
    if (model && duplicateData && duplicateData->GetPathIndex(index) && duplicateData->GetPathName(name))
        model->InsertPath(model->rowCount(QModelIndex()), model->GetPath(index), name);
}

void PathCommand::UndoDuplicate(VornCommandData* data)
{
    KXPathsListModel* model = Model(data, DuplicatePathCommandData::Type);
    if (model)
        model->RemovePath(model->rowCount(QModelIndex()) - 1);
}
