#pragma once
// The password check over the stored 32-bit password value. A password is
// stored as the digest value of its bytes; the empty password as
// NoPasswordValue.

#include <cstdint>
#include <string>

#include "USecurityOptions.h"

namespace tv {

inline constexpr uint32_t NoPasswordValue = 0x7E2B4A19;

// The stored form of a password text: NoPasswordValue for the empty text,
// else the digest value of its bytes as typed. 65536 bytes or more raise
// ERangeError.
uint32_t PasswordValue(const std::string& text);

class TPass {
public:
    // options must be given and outlive the object.
    explicit TPass(TSecurityOptions* options);
    TPass(const TPass&) = delete;
    TPass& operator=(const TPass&) = delete;

    // True when the text's value equals the stored one.
    bool Check(const std::string& text);
    // Stores the text's value; true only when the store then reads back
    // that value, which it does only after the file was written.
    bool SetPassword(const std::string& text);
    // True when the stored value is NoPasswordValue.
    bool IsEmpty();

private:
    TSecurityOptions* FOptions;
};

} // namespace tv
