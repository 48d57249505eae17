#pragma once

#include <QString>

#include <memory>

#include "vorncommanddata.h"
#include "vornhistory_export.h"

// Old and new name of one layer. The three values form the record; they
// exist from the first setter (or Deserialize) until ReleaseSerializeData.
// There is no cast function: the command compares the type number itself.
class VORNHISTORY_EXPORT LayerNameChangeCommandData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 41;

    LayerNameChangeCommandData();
    ~LayerNameChangeCommandData() override;

    LayerNameChangeCommandData(const LayerNameChangeCommandData&) = delete;
    LayerNameChangeCommandData& operator=(const LayerNameChangeCommandData&) = delete;

    void SetOldName(const QString& name);
    void SetNewName(const QString& name);
    void SetLayerID(unsigned int id);

    // False, argument untouched, while there is no record.
    bool GetOldName(QString& name) const;
    bool GetNewName(QString& name) const;
    bool GetLayerID(unsigned int& id) const;

    // Record: old name (string), new name (string), layer id (uint).
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    struct Record
    {
        QString oldName;
        QString newName;
        unsigned int id = 0;
    };

    Record& EnsureRecord();

    std::unique_ptr<Record> m_record;
};
