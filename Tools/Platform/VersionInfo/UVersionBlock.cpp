// The version block of an executable: a section of name/value pairs, each a
// zero-terminated text, closed by an empty name. GetProductVersion and
// GetLegalCopyright read it back from the file.

#include "UVersionInfo.h"

namespace {

[[gnu::used, gnu::section(TV_VERSION_SECTION)]]
const char VersionBlock[] =
    "ProductVersion\0" TV_PRODUCT_VERSION "\0"
    "LegalCopyright\0" TV_LEGAL_COPYRIGHT "\0";

} // namespace
