#include "UStoreMessages.h"

#include "UMessages.h"
#include "UTextConst.h"

namespace tv {

void ShowOneButton(const std::string& text, const std::string& caption, int icon)
{
    ShowMessageBox(text, caption, MB_ONEBUTTON | icon, "OK", TextTable[SlotCloseMessageHint]);
}

} // namespace tv
