#include "UField.h"

#include "UBaseFld.h"
#include "UChecked.h"
#include "UCodePage.h"
#include "UException.h"
#include "UMoneyFld.h"

namespace tv {

namespace {

std::vector<const TFieldClass*>& Registry()
{
    static std::vector<const TFieldClass*> classes;
    return classes;
}

void AddFieldClass(const TFieldClass& cls)
{
    auto& classes = Registry();
    for (const TFieldClass* r : classes) {
        if (r == &cls) throw Exception(std::string("Класс поля уже зарегистрирован: ") + cls.Name);
        if (r->TypeId == cls.TypeId)
            throw Exception(std::string("Тип поля с таким идентификатором уже зарегистрирован: ") +
                            cls.Name + " = [" + std::to_string(cls.TypeId) + "] = " + r->Name);
    }
    classes.push_back(&cls);
}

// The standard classes, registered once before the first use of the registry.
void EnsureStandardFieldClasses()
{
    static const bool done = [] {
        AddFieldClass(TMoneyField::ClassInfo());
        AddFieldClass(TIntegerField::ClassInfo());
        AddFieldClass(TStringField::ClassInfo());
        AddFieldClass(TBooleanField::ClassInfo());
        AddFieldClass(TDateTimeField::ClassInfo());
        return true;
    }();
    (void)done;
}

bool IsRegisteredOrDescendant(const TFieldClass& cls)
{
    const auto& classes = FieldClasses();
    for (const TFieldClass* c = &cls; c != nullptr; c = c->Parent)
        for (const TFieldClass* r : classes)
            if (r == c) return true;
    return false;
}

} // namespace

bool TFieldClass::InheritsFrom(const TFieldClass& c) const
{
    for (const TFieldClass* p = this; p != nullptr; p = p->Parent)
        if (p == &c) return true;
    return false;
}

TFieldClass TFieldClass::Derived(const char* name, const TFieldClass& parent,
                                 std::unique_ptr<TField> (*create)(int32_t))
{
    return TFieldClass{name, &parent, parent.TypeId, parent.TypeChar, create};
}

const std::vector<const TFieldClass*>& FieldClasses()
{
    EnsureStandardFieldClasses();
    return Registry();
}

void RegisterFieldClass(const TFieldClass& cls)
{
    EnsureStandardFieldClasses();
    AddFieldClass(cls);
}

const TFieldClass& TField::ClassInfo()
{
    static const TFieldClass cls{"TField", nullptr, 0, '\0', nullptr};
    return cls;
}

TField::TField(const TFieldClass& cls) : FClass(&cls)
{
    if (!IsRegisteredOrDescendant(cls))
        throw Exception(std::string("Класс поля не зарегистрирован: ") + cls.Name);
}

TField::~TField() = default;

std::unique_ptr<TField> TField::CreateByTypeId(int32_t typeId, int32_t size)
{
    for (const TFieldClass* cls : FieldClasses())
        if (cls->TypeId == typeId && cls->CreateSized != nullptr) return cls->CreateSized(size);
    throw Exception("Класс поля не зарегистрирован: TField");
}

void TField::ApplyKeyValue() {}

void TField::IncNextKeyValue()
{
    if (FPrimaryKey) FNextKeyValue = CheckedAdd(FNextKeyValue, 1);
}

void TField::CheckEditable() const
{
    if (!FCanEdit) throw Exception("Поле нельзя редактировать");
}

void TField::SetName(const std::string& name)
{
    FName = Utf8Left(name, 20);
}

void TField::SetPrimaryKey(bool value)
{
    FPrimaryKey = value;
    if (FNextKeyValue == 0) FNextKeyValue = 1;
}

void TField::SetNextKeyValue(int32_t value)
{
    if (!FPrimaryKey) throw Exception("Поле не является первичным ключем");
    FNextKeyValue = value;
}

} // namespace tv
