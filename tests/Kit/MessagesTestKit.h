#pragma once
// A message box that records what it was asked to show and answers the first
// button; it is the program's message box while it lives.

#include "UMessages.h"

#include <string>
#include <vector>

namespace tv::testkit {

struct TBox {
    std::string Text, Caption;
    int Flags;
    std::string First, FirstHint;
};

class TRecordingMessages : public IMessages {
public:
    TRecordingMessages() { SetMessages(this); }
    ~TRecordingMessages() override { SetMessages(nullptr); }
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                       const std::string& first, const std::string& firstHint,
                       const std::string&, const std::string&) override
    {
        Boxes.push_back({text, caption, flags, first, firstHint});
        return 1;
    }
    std::vector<TBox> Boxes;
};

} // namespace tv::testkit
