#pragma once
// Helpers of the export, import and print tests: a print device of fixed
// metrics that keeps every call as text, a message box that answers from a
// script, and a stock book in a temporary program folder.

#include "StoreTestKit.h"
#include "UException.h"
#include "UPrint.h"
#include "UTextConst.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tv::testkit {

// Draws nothing; keeps every call as a line of text.
class TRecordingDevice : public TPrintDevice {
public:
    int32_t Width = 3200, Height = 99;
    int32_t Heights[3] = {10, 14, 12};  // page, header, row font
    bool Printers = true;
    std::vector<std::string> Log;
    int Pages = 0;
    bool Open = false, Aborted = false;

    bool HasPrinters() const override { return Printers; }
    void PageSize(int32_t& w, int32_t& h) override { w = Width, h = Height; }
    int32_t CharWidth = 10;
    int32_t TextWidth(TPrintFont, std::string_view text) override
    {
        return int32_t(text.size()) * CharWidth;
    }
    int32_t TextHeight(TPrintFont font, const std::string&) override { return Heights[font]; }
    void BeginDoc(const std::string& title) override
    {
        if (!Printers)
            throw Exception(TextTable[SlotPrinterInitError]);
        Open = true;
        Pages = 1;
        Log.push_back("begin " + title);
    }
    void NewPage() override
    {
        ++Pages;
        Log.push_back("page");
    }
    void EndDoc() override
    {
        Open = false;
        Log.push_back("end");
    }
    void AbortDoc() noexcept override
    {
        Open = false;
        Aborted = true;
    }
    void FillRect(int32_t l, int32_t t, int32_t r, int32_t b, uint32_t rgb) override
    {
        Log.push_back("fill " + std::to_string(l) + "," + std::to_string(t) + "-" +
                      std::to_string(r) + "," + std::to_string(b) + " " + std::to_string(rgb));
    }
    void DrawText(int32_t l, int32_t t, int32_t r, int32_t b, std::string_view text,
                  TPrintFont font, bool right) override
    {
        Log.push_back("text " + std::to_string(l) + "," + std::to_string(t) + "-" +
                      std::to_string(r) + "," + std::to_string(b) + " f" + std::to_string(font) +
                      (right ? " R " : " L ") + std::string(text));
    }
};

// Records every box and answers the scripted results in turn, then 1;
// Seen, when set, looks at the window as each box shows.
class TScriptedMessages : public IMessages {
public:
    struct TShown {
        std::string Text, Caption;
        int Flags;
        std::string First, FirstHint, Second, SecondHint;
    };
    TScriptedMessages() { FBefore = GetMessages(), SetMessages(this); }
    ~TScriptedMessages() override { SetMessages(FBefore); }
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags,
                       const std::string& first, const std::string& firstHint,
                       const std::string& second, const std::string& secondHint) override
    {
        Shown.push_back({text, caption, flags, first, firstHint, second, secondHint});
        if (Seen)
            Seen(Shown.back());
        if (Answers.empty())
            return 1;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::vector<TShown> Shown;
    std::deque<int> Answers;
    std::function<void(const TShown&)> Seen;

private:
    IMessages* FBefore = nullptr;
};

// The program's Store opened on the folder Data of a fresh program folder.
class TOpenStore {
public:
    explicit TOpenStore(TFileEnv* env = nullptr)
    {
        if (env)
            Store.SetEnv(env);
        Store.Open(true, "Data");
    }
    ~TOpenStore()
    {
        Store.Close();
        Store.SetEnv(nullptr);
    }
    std::string Path() const { return FFolder.Path(); }

private:
    TProgramFolder FFolder;
};

} // namespace tv::testkit
