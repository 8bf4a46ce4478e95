#include "UThrowSites.h"

#include <dlfcn.h>

#include <array>
#include <cstdlib>

namespace tv {

namespace {

// The last throws of this thread: which object, of which type, from where.
struct TThrowSite {
    const void* Object = nullptr;
    const std::type_info* Type = nullptr;
    std::uintptr_t Address = 0;
};

constexpr std::size_t ThrowSiteCount = 8;
thread_local std::array<TThrowSite, ThrowSiteCount> ThrowSites;
thread_local std::size_t NextThrowSite = 0;

void RecordThrow(const void* object, const std::type_info* type, std::uintptr_t address)
{
    ThrowSites[NextThrowSite] = {object, type, address};
    NextThrowSite = (NextThrowSite + 1) % ThrowSiteCount;
}

} // namespace

std::uintptr_t ThrowAddress(const void* object, const std::type_info* type)
{
    for (std::size_t i = 0; i < ThrowSiteCount; ++i) {
        const TThrowSite& site = ThrowSites[(NextThrowSite + ThrowSiteCount - 1 - i) % ThrowSiteCount];
        const bool same = object ? site.Object == object : (type && site.Type && *site.Type == *type);
        if (!same || site.Address == 0) continue;
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(site.Address), &info) && info.dli_fbase)
            return site.Address - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        return site.Address;
    }
    return 0;
}

} // namespace tv

// Every throw of the process passes here first, so that the handler can name
// the place an exception came from; then the runtime's own throw goes on.
namespace __cxxabiv1 {
extern "C" void __cxa_throw(void* object, std::type_info* type, void (*destructor)(void*))
{
    using TThrow = void (*)(void*, std::type_info*, void (*)(void*));
    static const auto realThrow = reinterpret_cast<TThrow>(dlsym(RTLD_NEXT, "__cxa_throw"));
    if (!realThrow) std::abort();
    tv::RecordThrow(object, type, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
    realThrow(object, type, destructor);
    std::abort();
}
} // namespace __cxxabiv1
