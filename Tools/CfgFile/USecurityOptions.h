#pragma once
// The store that carries the password value, [Security] Password, with the
// registry fallback.

#include <cstdint>
#include <memory>

#include "UCfgParams.h"

namespace tv {

class TSecurityOptions : public TRegOptions {
public:
    TSecurityOptions(const std::string& fileName, const std::string& regKeyName);
    ~TSecurityOptions() override;

    uint32_t GetPassword();
    void SetPassword(uint32_t value);

private:
    std::unique_ptr<TRegCardinalParam> FPassword;
};

} // namespace tv
