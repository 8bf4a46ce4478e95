#include "UStoreDataOpen.h"

#include "UDateTime.h"
#include "UException.h"
#include "UMessages.h"
#include "UStoreData.h"
#include "UStoreMessages.h"
#include "UTextConst.h"

#include <exception>
#include <string>

namespace tv {

bool OpenStoreData()
{
    try {
        Store.Open(true, DataFolder);
        return true;
    } catch (const std::exception&) {
        Store.Close();
        ShowOneButton(TextTable[SlotStoreOpenFailed], TextTable[SlotOpeningError], MB_ICONSTOP);
        return false;
    }
}

bool BackupAndOpenStoreData()
{
    std::string missing;
    if (!Store.DataExists(missing, DataFolder))
        return OpenStoreData();
    Store.FinishRestore();
    try {
        Store.CopyBase(FormatDateTime("yyyy-mm-dd", Date()), false, DataFolder, HistFolder);
    } catch (const std::exception&) {
        ShowOneButton(TextTable[SlotBackupFailed], TextTable[SlotCopyingError], MB_ICONSTOP);
    }
    const bool result = OpenStoreData();
    if (!missing.empty())
        ShowOneButton(missing, TextTable[SlotFileDoesNotExist], MB_ICONEXCLAMATION);
    return result;
}

void CloseStoreData()
{
    Store.Close();
}

} // namespace tv
