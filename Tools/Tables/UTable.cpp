#include "UTable.h"

#include "UCodePage.h"
#include "UException.h"
#include "UFields.h"
#include "UIndex.h"

namespace tv {

namespace {
const char* const SClosedTable = "Недопустимая операция при закрытой таблице";
const char* const SEditing = "Таблица уже находится в режиме редактирования";
const char* const SNotEditing = "Таблица не переведена в режим редактирования";
const char* const SNotBrowsing = "Таблица не переведена в режим просмотра";
const char* const SEmptyTable = "Недопустимая операция при пустой таблице";
const char* const SNoIndex = "Не задан индексный объект";
const char* const SIndexNotFound = "Индекс не найден в массиве индексов";
} // namespace

TTable::TTable() = default;

TTable::~TTable()
{
    FState = tsClosed;
}

void TTable::CheckNotClosed() const
{
    if (FState == tsClosed)
        throw Exception(SClosedTable);
}

void TTable::CheckBrowse() const
{
    if (FState != tsBrowse)
        throw Exception(SNotBrowsing);
}

int32_t TTable::RecordCount() const
{
    CheckNotClosed();
    return ElemCount();
}

int32_t TTable::GetRecNo() const
{
    CheckNotClosed();
    return GetCurElem();
}

void TTable::SetRecNo(int32_t n)
{
    CheckNotClosed();
    if (FState != tsBrowse)
        throw Exception(SEditing);
    const int32_t count = ElemCount();
    if (count == 0)
        return;
    if (n < 0 || n >= count)
        throw Exception("Неправильное значение номера записи");
    SetCurElem(n);
}

void TTable::Open(bool CreateIfMissing)
{
    TDatArr::Open(CreateIfMissing);
    FState = tsBrowse;
    First();
}

void TTable::Close()
{
    if (Fields() && FState != tsClosed && FState != tsBrowse)
        Fields()->ForbidEdit();
    FState = tsClosed;
    FEof = false;
    ClearIndexes();
    TDatArr::Close();
}

void TTable::Insert()
{
    CheckNotClosed();
    if (FState != tsBrowse)
        throw Exception(SEditing);
    FEof = false;
    Fields()->Clear();
    Fields()->AllowEdit();
    Fields()->ApplyKeyValues();
    FState = tsInsert;
}

void TTable::Edit()
{
    CheckNotClosed();
    if (FState != tsBrowse)
        throw Exception(SEditing);
    if (ElemCount() == 0)
        throw Exception(SEmptyTable);
    FEof = false;
    Fields()->AllowEdit();
    FState = tsEdit;
}

void TTable::Post()
{
    if (FState != tsEdit && FState != tsInsert)
        throw Exception(SNotEditing);
    if (FState == tsInsert)
        AppendRecord();
    else
        WriteRecord();
    Fields()->ForbidEdit();
    FState = tsBrowse;
}

void TTable::Cancel()
{
    if (FState != tsEdit && FState != tsInsert)
        throw Exception(SNotEditing);
    Fields()->ForbidEdit();
    FState = tsBrowse;
    if (ElemCount() == 0) {
        Fields()->Clear();
        FEof = true;
    } else {
        SetRecNo(GetRecNo());
    }
}

void TTable::Delete()
{
    CheckBrowse();
    if (ElemCount() == 0)
        throw Exception(SEmptyTable);
    DeleteRecord();
    const int32_t count = ElemCount();
    const int32_t cur = GetCurElem();
    if (count == 0) {
        FEof = true;
    } else if (cur >= count) {
        SetRecNo(count - 1);
        FEof = true;
    } else {
        SetRecNo(cur);
    }
}

void TTable::Empty()
{
    CheckBrowse();
    try {
        TDatArr::Empty();
    } catch (...) {
        // The file may already be cut when only its last flush failed; the
        // block then follows it.
        TDatHeader h;
        GetHeader(h);
        if (h.RecordCount == 0 && ElemCount() != 0) {
            SetElemCount(0);
            Fields()->Clear();
            FEof = true;
        }
        throw;
    }
    FEof = true;
}

void TTable::First()
{
    CheckBrowse();
    if (ElemCount() > 0) {
        SetRecNo(0);
        FEof = false;
    } else {
        FEof = true;
    }
}

void TTable::Next()
{
    CheckBrowse();
    const int32_t count = ElemCount();
    if (count == 0 || GetCurElem() + 1 >= count) {
        FEof = true;
        return;
    }
    SetRecNo(GetCurElem() + 1);
    FEof = false;
}

// A search makes another record current: while a record is being edited or
// inserted that would load it over the typed values (and a Post would then
// write the found record again), so it is refused like SetRecNo.
void TTable::CheckNotEditing() const
{
    if (FState == tsEdit || FState == tsInsert)
        throw Exception(SEditing);
}

void TTable::GotoKey()
{
    CheckNotEditing();
    Locate();
    FEof = ElemCount() == 0;
}

void TTable::FindKey(const std::vector<TVariant>& Values)
{
    CheckNotEditing();
    TIndex* index = GetIndex();
    if (!index)
        throw Exception(SNoIndex);
    index->SetKeyValues(Values);
    GotoKey();
}

void TTable::FindText(const std::string& Text)
{
    CheckNotEditing();
    TIndex* index = GetIndex();
    if (!index)
        throw Exception(SNoIndex);
    index->SetKeyText(Text);
    GotoKey();
}

void TTable::AddIndex(TIndex* Index)
{
    if (!Index)
        throw Exception("Не определен индексный объект");
    if (Index->GetName().empty())
        throw Exception("Не задано имя индекса");
    for (TIndex* i : FIndexes)
        if (AnsiSameText(i->GetName(), Index->GetName()))
            throw Exception("Совпадение имен индексов");
    FIndexes.push_back(Index);
}

void TTable::ClearIndexes()
{
    FIndexName.clear();
    FIndexes.clear();
}

void TTable::SetIndex(TIndex* Index)
{
    CheckBrowse();
    std::string name;
    if (Index) {
        bool found = false;
        for (TIndex* i : FIndexes)
            found = found || i == Index;
        if (!found)
            throw Exception(SIndexNotFound);
        name = Index->GetName();
    }
    TDatArr::SetIndex(Index);
    FIndexName = name;
}

void TTable::SetIndexName(const std::string& Name)
{
    CheckBrowse();
    if (Name.empty()) {
        SetIndex(nullptr);
        return;
    }
    for (TIndex* i : FIndexes)
        if (AnsiSameText(i->GetName(), Name)) {
            TDatArr::SetIndex(i);
            FIndexName = i->GetName();
            return;
        }
    throw Exception(SIndexNotFound);
}

std::string TTable::GetElemText(int32_t Elem, int32_t Field) const
{
    if ((FState == tsInsert && Elem == ElemCount()) || (FState == tsEdit && Elem == GetCurElem()))
        return Fields()->Items(Field)->GetText();
    return TDatArr::GetElemText(Elem, Field);
}

} // namespace tv
