#include "UFields.h"

#include <cstring>

#include "UChecked.h"
#include "UException.h"

namespace tv {

TFields::TFields() = default;

TFields::TFields(const std::vector<TField*>& fields)
{
    for (TField* f : fields) {
        TV_ASSERT(f != nullptr, "Field not given");
        FItems.push_back(f);
        FOffsets.push_back(FDataSize);
        FDataSize = CheckedAdd(FDataSize, f->DataSize());
    }
    FBuffer.assign(static_cast<size_t>(FDataSize), 0);
}

TFields::~TFields() = default;

void TFields::Add(TField* field)
{
    TV_ASSERT(field != nullptr, "Field not given");
    const int32_t size = CheckedAdd(FDataSize, field->DataSize());
    FItems.push_back(field);
    FOffsets.push_back(FDataSize);
    FDataSize = size;
    std::vector<uint8_t>(static_cast<size_t>(FDataSize), 0).swap(FBuffer);
}

TField* TFields::Items(int32_t i) const
{
    return CheckedAt(FItems, i);
}

int32_t TFields::Offsets(int32_t i) const
{
    return CheckedAt(FOffsets, i);
}

const uint8_t* TFields::GetRecord()
{
    for (size_t i = 0; i < FItems.size(); ++i)
        std::memcpy(FBuffer.data() + FOffsets[i], FItems[i]->GetData(),
                    static_cast<size_t>(FItems[i]->DataSize()));
    return FBuffer.data();
}

void TFields::SetRecord(const void* data)
{
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < FItems.size(); ++i) FItems[i]->SetData(p + FOffsets[i]);
}

void TFields::Clear()
{
    const std::vector<uint8_t> zero(static_cast<size_t>(FDataSize), 0);
    SetRecord(zero.data());
}

void TFields::AllowEdit()
{
    for (TField* f : FItems) f->AllowEdit();
}

void TFields::ForbidEdit()
{
    for (TField* f : FItems) f->ForbidEdit();
}

void TFields::ApplyKeyValues()
{
    for (TField* f : FItems)
        if (f->GetPrimaryKey()) f->ApplyKeyValue();
}

void TFields::IncNextKeyValues()
{
    for (TField* f : FItems)
        if (f->GetPrimaryKey()) f->IncNextKeyValue();
}

} // namespace tv
