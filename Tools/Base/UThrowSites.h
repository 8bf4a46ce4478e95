#pragma once
// Where each exception was thrown. Every throw of the process passes through
// this unit's __cxa_throw, which keeps the last throws of each thread; the
// unit is linked in with ThrowAddress, its one entry.

#include <cstdint>
#include <typeinfo>

namespace tv {

// The throw address of the object (or, when it cannot be compared, of the
// newest throw of that type), relative to the module holding the code; 0
// when no recent throw of this thread matches.
std::uintptr_t ThrowAddress(const void* object, const std::type_info* type);

} // namespace tv
