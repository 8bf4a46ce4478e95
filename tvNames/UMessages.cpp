#include "UMessages.h"

namespace tv {

namespace {
IMessages* CurrentMessages = nullptr;
}

IMessages* GetMessages() { return CurrentMessages; }

void SetMessages(IMessages* messages) { CurrentMessages = messages; }

int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                   const std::string& firstCaption, const std::string& firstHint,
                   const std::string& secondCaption, const std::string& secondHint)
{
    if (!CurrentMessages)
        return 2;
    return CurrentMessages->ShowMessageBox(text, caption, flags, firstCaption, firstHint,
                                           secondCaption, secondHint);
}

} // namespace tv
