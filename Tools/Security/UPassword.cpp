#include "UPassword.h"

#include "UException.h"
#include "UHash.h"

namespace tv {

uint32_t PasswordValue(const std::string& text)
{
    if (text.empty())
        return NoPasswordValue;
    if (text.size() > 65535)
        throw ERangeError();
    return HashBuffer(text.data(), static_cast<uint16_t>(text.size()));
}

TPass::TPass(TSecurityOptions* options) : FOptions(options)
{
    TV_ASSERT(FOptions, "Not assigned TProgOptions-parameter for create TPass-object");
}

bool TPass::Check(const std::string& text)
{
    return PasswordValue(text) == FOptions->GetPassword();
}

bool TPass::SetPassword(const std::string& text)
{
    const uint32_t value = PasswordValue(text);
    FOptions->SetPassword(value);
    return FOptions->GetPassword() == value;
}

bool TPass::IsEmpty()
{
    return FOptions->GetPassword() == NoPasswordValue;
}

} // namespace tv
