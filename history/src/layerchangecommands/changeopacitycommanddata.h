#pragma once

#include <memory>

#include "vorncommanddata.h"
#include "vornhistory_export.h"

// Old and new opacity of one layer. The three values form the record; they
// exist from the first setter (or Deserialize) until ReleaseSerializeData.
class VORNHISTORY_EXPORT ChangeOpacityCommandData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 36;

    ChangeOpacityCommandData();
    ~ChangeOpacityCommandData() override;

    ChangeOpacityCommandData(const ChangeOpacityCommandData&) = delete;
    ChangeOpacityCommandData& operator=(const ChangeOpacityCommandData&) = delete;

    void SetOldOpacity(double opacity);
    void SetNewOpacity(double opacity);
    void SetLayerNuber(unsigned int layer);

    // False, argument untouched, while there is no record.
    bool GetOldOpacity(double& opacity) const;
    bool GetNewOpacity(double& opacity) const;
    bool GetLayerNumber(unsigned int& layer) const;

    // Record: old opacity (qreal), new opacity (qreal), layer number (uint).
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    struct Record
    {
        double oldOpacity = 0;
        double newOpacity = 0;
        unsigned int layer = 0;
    };

    Record& EnsureRecord();

    std::unique_ptr<Record> m_record;
};

// data typed as ChangeOpacityCommandData when it is one (type 36), else null.
VORNHISTORY_EXPORT ChangeOpacityCommandData* changeopacitydata_cast(VornCommandData* data);
