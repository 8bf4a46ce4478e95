#include "UStoreDataOpen.h"

#include "UDateTime.h"
#include "UException.h"
#include "UMessages.h"
#include "UStoreData.h"
#include "UTextConst.h"

#include <exception>
#include <string>

namespace tv {

namespace {

void ShowOneButton(int textSlot, int captionSlot, int icon)
{
    ShowMessageBox(TextTable[textSlot], TextTable[captionSlot], MB_ONEBUTTON | icon, "OK",
                   TextTable[2]);
}

} // namespace

bool OpenStoreData()
{
    try {
        Store.Open(true, "Data");
        return true;
    } catch (const std::exception&) {
        Store.Close();
        ShowOneButton(4, 3, MB_ICONSTOP);
        return false;
    }
}

bool BackupAndOpenStoreData()
{
    std::string missing;
    if (!Store.DataExists(missing, "Data"))
        return OpenStoreData();
    try {
        Store.CopyBase(FormatDateTime("yyyy-mm-dd", Date()), false, "Data", "Hist");
    } catch (const std::exception&) {
        ShowOneButton(6, 5, MB_ICONSTOP);
    }
    const bool result = OpenStoreData();
    if (!missing.empty())
        ShowMessageBox(missing, TextTable[12], MB_ONEBUTTON | MB_ICONEXCLAMATION, "OK",
                       TextTable[2]);
    return result;
}

void CloseStoreData()
{
    Store.Close();
}

} // namespace tv
