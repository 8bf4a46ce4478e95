#include "UIndex.h"

#include <cstring>

#include "UChecked.h"
#include "UException.h"

namespace tv {

namespace {

int32_t OffsetInSet(const TFields* fields, const TField* field)
{
    for (int32_t i = 0; i < fields->Count(); ++i)
        if (fields->Items(i) == field) return fields->Offsets(i);
    throw Exception("В наборе полей не найдено индексное поле: " + field->GetName());
}

} // namespace

std::unique_ptr<TIndex> TIndex::Create(const TFields* fields, TField* field)
{
    std::unique_ptr<TIndex> index(new TIndex());
    index->BindSingle(fields, field);
    return index;
}

std::unique_ptr<TIndex> TIndex::CreateNamed(const TFields* fields, const std::string& name,
                                            TField* field)
{
    auto index = Create(fields, field);
    index->FName = name;
    return index;
}

std::unique_ptr<TIndex> TIndex::CreateComposite(const TFields* fields,
                                                const std::vector<TField*>& list)
{
    std::unique_ptr<TIndex> index(new TIndex());
    index->BindComposite(fields, list);
    return index;
}

std::unique_ptr<TIndex> TIndex::CreateCompositeNamed(const TFields* fields, const std::string& name,
                                                     const std::vector<TField*>& list)
{
    auto index = CreateComposite(fields, list);
    index->FName = name;
    return index;
}

TIndex::~TIndex() = default;

void TIndex::BindSingle(const TFields* fields, TField* field)
{
    if (fields == nullptr) throw Exception("Не определен объект полей");
    if (field == nullptr) throw Exception("Не определено индексное поле");
    FKeySize = field->DataSize();
    FKey.assign(static_cast<size_t>(FKeySize), 0);
    FFieldOffset = OffsetInSet(fields, field);
    FField = field;
    FCompareKey = &TIndex::CompareKeySingle;
    FCompareRecords = &TIndex::CompareRecordsSingle;
    FKeyFromRecord = &TIndex::KeyFromRecordSingle;
}

void TIndex::BindComposite(const TFields* fields, const std::vector<TField*>& list)
{
    if (fields == nullptr) throw Exception("Не определен объект полей");
    if (list.empty()) throw Exception("Массив индексных полей пустой");
    for (TField* f : list)
        if (f == nullptr) throw Exception("Не определено индексное поле");
    int32_t size = 0;
    for (TField* f : list) {
        FFieldOffsets.push_back(OffsetInSet(fields, f));
        size = CheckedAdd(size, f->DataSize());
    }
    FFields = list;
    FFieldCount = static_cast<int32_t>(list.size());
    FKeySize = size;
    FKey.assign(static_cast<size_t>(FKeySize), 0);
    FCompareKey = &TIndex::CompareKeyComposite;
    FCompareRecords = &TIndex::CompareRecordsComposite;
    FKeyFromRecord = &TIndex::KeyFromRecordComposite;
}

int32_t TIndex::CompareKeySingle(const void* record) const
{
    return FField->CompareData(FKey.data(), static_cast<const uint8_t*>(record) + FFieldOffset);
}

int32_t TIndex::CompareKeyComposite(const void* record) const
{
    const auto* r = static_cast<const uint8_t*>(record);
    const uint8_t* key = FKey.data();
    for (int32_t i = 0; i < FFieldCount; ++i) {
        const int32_t c = FFields[i]->CompareData(key, r + FFieldOffsets[i]);
        if (c != 0) return c;
        key += FFields[i]->DataSize();
    }
    return 0;
}

int32_t TIndex::CompareRecordsSingle(const void* a, const void* b) const
{
    return FField->CompareData(static_cast<const uint8_t*>(a) + FFieldOffset,
                               static_cast<const uint8_t*>(b) + FFieldOffset);
}

int32_t TIndex::CompareRecordsComposite(const void* a, const void* b) const
{
    const auto* pa = static_cast<const uint8_t*>(a);
    const auto* pb = static_cast<const uint8_t*>(b);
    for (int32_t i = 0; i < FFieldCount; ++i) {
        const int32_t c = FFields[i]->CompareData(pa + FFieldOffsets[i], pb + FFieldOffsets[i]);
        if (c != 0) return c;
    }
    return 0;
}

void TIndex::KeyFromRecordSingle(const void* record)
{
    std::memcpy(FKey.data(), static_cast<const uint8_t*>(record) + FFieldOffset,
                static_cast<size_t>(FKeySize));
}

void TIndex::KeyFromRecordComposite(const void* record)
{
    const auto* r = static_cast<const uint8_t*>(record);
    uint8_t* key = FKey.data();
    for (int32_t i = 0; i < FFieldCount; ++i) {
        const auto size = static_cast<size_t>(FFields[i]->DataSize());
        std::memcpy(key, r + FFieldOffsets[i], size);
        key += size;
    }
}

void TIndex::SetKeyValues(const std::vector<TVariant>& values)
{
    if (FField != nullptr) return;
    uint8_t* key = FKey.data();
    for (int32_t i = 0; i < FFieldCount; ++i) {
        FFields[i]->VariantToData(CheckedAt(values, i), key);
        key += FFields[i]->DataSize();
    }
}

void TIndex::SetKeyText(const std::string& text)
{
    if (FField == nullptr) throw Exception("Поиск по тексту невозможен для составного индекса");
    FField->TextToData(text, FKey.data());
}

bool TIndex::IsPrimaryKey() const
{
    return FField != nullptr && FField->GetPrimaryKey();
}

} // namespace tv
