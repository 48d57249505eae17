#pragma once

#include <memory>

#include "vorncommanddata.h"
#include "vornhistory_export.h"

// Old and new blend mode (the document's own codes, passed through unchanged)
// of one layer. The three values form the record; they exist from the first
// setter (or Deserialize) until ReleaseSerializeData.
class VORNHISTORY_EXPORT ChangeBlendModeCommandData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 37;

    ChangeBlendModeCommandData();
    ~ChangeBlendModeCommandData() override;

    ChangeBlendModeCommandData(const ChangeBlendModeCommandData&) = delete;
    ChangeBlendModeCommandData& operator=(const ChangeBlendModeCommandData&) = delete;

    void SetOldMode(unsigned int mode);
    void SetNewMode(unsigned int mode);
    void SetLayerNuber(unsigned int layer);

    // False, argument untouched, while there is no record.
    bool GetOldMode(unsigned int& mode) const;
    bool GetNewMode(unsigned int& mode) const;
    bool GetLayerNumber(unsigned int& layer) const;

    // Record: old mode (uint), new mode (uint), layer number (uint).
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    struct Record
    {
        unsigned int oldMode = 0;
        unsigned int newMode = 0;
        unsigned int layer = 0;
    };

    Record& EnsureRecord();

    std::unique_ptr<Record> m_record;
};

// data typed as ChangeBlendModeCommandData when it is one (type 37), else null.
VORNHISTORY_EXPORT ChangeBlendModeCommandData* changeblenddata_cast(VornCommandData* data);
