#include "UMainModes.h"

#include "UChecked.h"

#include <algorithm>

namespace tv {

TModeRules ModeRules(TStoreMode mode, bool notEmpty)
{
    switch (mode) {
    case smEdit:
        return {false, false, false, false, false, true, true, false, false, peCode | peName | peCost,
                TPlusSign::None};
    case smInsert:
        return {false, false, false, false, false, true, true, false, false, peAll, TPlusSign::Plus};
    case smSearch:
        return {true, true, notEmpty, true, false, false, false, true, false, 0, TPlusSign::None};
    case smDelete:
        return {false, false, false, false, false, true, false, false, false, 0, TPlusSign::None};
    case smAdd:
        return {false, false, false, false, false, true, true, false, false, peWeight | pePCount | peNote,
                TPlusSign::Plus};
    case smDeduct:
        return {false, false, false, false, false, true, true, false, false, peWeight | pePCount | peNote,
                TPlusSign::Minus};
    case smBrowse:
    default:
        return {true, true, notEmpty, notEmpty, notEmpty, true, false, false, true, 0, TPlusSign::None};
    }
}

TModeKeys ModeKeys(TStoreMode mode)
{
    using enum TKeyRule;
    switch (mode) {
    case smEdit:
    case smInsert:
    case smAdd:
    case smDeduct:
        return {Clear, Set, Clear, Clear, Clear};
    case smSearch:
        return {Set, Clear, Set, Clear, Keep};
    case smDelete:
        return {Clear, Set, Clear, Clear, Keep};
    case smBrowse:
    default:
        return {Set, Clear, Clear, Set, Set};
    }
}

std::string AutoCode(std::uint32_t nuls, std::uint32_t delta, std::int32_t nextId, int codeWidth)
{
    const std::uint32_t next = static_cast<std::uint32_t>(nextId);
    std::uint32_t n = nuls == 0 ? 4 : nuls;
    n = std::min<std::uint32_t>(n, static_cast<std::uint32_t>(std::max(codeWidth, 1)));
    if (n <= 1) return std::to_string(next);
    std::string digits = std::to_string(CheckedAddU(next, delta));
    if (digits.size() < n) digits.insert(0, n - digits.size(), '0');
    return digits;
}

} // namespace tv
