#include "UVariant.h"

namespace tv {

TVariant TVariant::Smallint(int16_t value)
{
    TVariant v;
    v.FVarType = varSmallint;
    v.FInt = value;
    return v;
}

TVariant TVariant::Double(double value)
{
    TVariant v;
    v.FVarType = varDouble;
    v.FDouble = value;
    return v;
}

TVariant TVariant::DateTime(double value)
{
    TVariant v;
    v.FVarType = varDate;
    v.FDouble = value;
    return v;
}

TVariant TVariant::WideString(const std::string& text)
{
    TVariant v;
    v.FVarType = varOleStr;
    v.FStr = text;
    return v;
}

TVariant TVariant::ByRef(const TVariant& value)
{
    TVariant v = value;
    v.FVarType = static_cast<uint16_t>(value.FVarType | varByRef);
    return v;
}

} // namespace tv
