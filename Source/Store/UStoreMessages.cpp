#include "UStoreMessages.h"

#include "UMessages.h"
#include "UTextConst.h"

namespace tv {

void ShowOneButton(const std::string& text, const std::string& caption, int icon)
{
    ShowOneButton(text, caption, icon, TextTable[SlotCloseMessageHint]);
}

void ShowOneButton(const std::string& text, const std::string& caption, int icon, const std::string& hint)
{
    ShowMessageBox(text, caption, MB_ONEBUTTON | icon, "OK", hint);
}

} // namespace tv
