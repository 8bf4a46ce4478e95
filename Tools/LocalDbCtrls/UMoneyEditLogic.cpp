#include "UMoneyEditLogic.h"

#include <algorithm>

namespace tv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

TMoneyEditLogic::TMoneyEditLogic(std::string Text, int MaxLength)
    : FText(std::move(Text)), FMaxLength(MaxLength) {}

std::string TMoneyEditLogic::SelText() const {
    return FText.substr(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength));
}

void TMoneyEditLogic::SetText(const std::string& Text) {
    FText = Text;
    FSelStart = 0;
    FSelLength = 0;
}

void TMoneyEditLogic::SetSelection(int Start, int Length) {
    FSelStart = std::clamp(Start, 0, L());
    FSelLength = std::clamp(Length, 0, L() - FSelStart);
}

bool TMoneyEditLogic::InShape(const std::string& Text) {
    const size_t n = Text.size();
    if (n < 4 || Text[n - 3] != '.' || !IsDigit(Text[n - 2]) || !IsDigit(Text[n - 1]))
        return false;
    return std::all_of(Text.begin(), Text.end() - 3,
                       [](char c) { return IsDigit(c) || c == MoneyGroupMark; });
}

std::string TMoneyEditLogic::GroupDigits(const std::string& Digits) {
    std::string plain;
    for (char c : Digits)
        if (c != MoneyGroupMark)
            plain += c;
    std::string result;
    int taken = 0;
    for (auto it = plain.rbegin(); it != plain.rend(); ++it) {
        if (taken > 0 && taken % 3 == 0)
            result.insert(result.begin(), MoneyGroupMark);
        result.insert(result.begin(), *it);
        ++taken;
    }
    return result;
}

std::string TMoneyEditLogic::RegroupText(const std::string& Text) {
    if (Text.size() < 3)
        return Text;
    const size_t whole = Text.size() - 3;
    return GroupDigits(Text.substr(0, whole)) + Text.substr(whole);
}

int TMoneyEditLogic::IntegerDigits() const {
    return (L() - 3) - (L() - 3) / 4;
}

int TMoneyEditLogic::MaxIntegerDigits() const {
    return (FMaxLength - 3) - (FMaxLength - 3) / 4;
}

int TMoneyEditLogic::KeptIntegerDigits() const {
    int kept = 0;
    for (int i = 0; i <= L() - 4; ++i)
        if (IsDigit(At(i)) && (i < FSelStart || i >= FSelStart + FSelLength))
            ++kept;
    return kept;
}

// Caret zones and selections.

bool TMoneyEditLogic::CaretInInteger() const { return FSelLength == 0 && FSelStart < L() - 2; }
bool TMoneyEditLogic::CaretInFraction() const { return FSelLength == 0 && FSelStart >= L() - 2; }
bool TMoneyEditLogic::CaretAfterPoint() const { return FSelLength == 0 && FSelStart == L() - 2; }
bool TMoneyEditLogic::CaretBeforePoint() const { return FSelLength == 0 && FSelStart == L() - 3; }
bool TMoneyEditLogic::CaretAtEnd() const { return FSelLength == 0 && FSelStart == L(); }
bool TMoneyEditLogic::CaretAtStart() const { return FSelLength == 0 && FSelStart == 0; }
bool TMoneyEditLogic::SingleDigit() const { return L() == 4; }
bool TMoneyEditLogic::IsZeroInteger() const { return L() == 4 && At(0) == '0'; }

bool TMoneyEditLogic::MarkAfterCaret() const {
    return CaretInInteger() && L() - FSelStart >= 8 && At(FSelStart + 1) == MoneyGroupMark;
}

bool TMoneyEditLogic::MarkBeforeCaret() const {
    return CaretInInteger() && FSelStart >= 2 && At(FSelStart - 1) == MoneyGroupMark;
}

bool TMoneyEditLogic::MarkAtCaret() const {
    return FSelStart < L() && At(FSelStart) == MoneyGroupMark;
}

bool TMoneyEditLogic::SelWholeInteger() const {
    return FSelStart == 0 && FSelLength == L() - 3;
}

bool TMoneyEditLogic::SelInInteger() const {
    return FSelLength > 0 && FSelStart + FSelLength < L() - 2 && FSelLength < L() - 3;
}

bool TMoneyEditLogic::SelFromPoint() const {
    return FSelLength >= 2 && FSelStart == L() - 3;
}

bool TMoneyEditLogic::SelInFraction() const {
    return FSelLength >= 1 && FSelStart >= L() - 2;
}

bool TMoneyEditLogic::SelAcrossPoint() const {
    return FSelLength > 0 && FSelStart < L() - 2 && FSelStart + FSelLength >= L() - 2;
}

// Edit steps. Every text set is regrouped at once, as the focused edit
// regroups on each change; the step then places the caret.

void TMoneyEditLogic::Put(const std::string& Text) {
    FText = RegroupText(Text);
    FSelLength = 0;
}

void TMoneyEditLogic::PlaceFromEnd(int Distance) {
    SetCaret(L() - Distance);
}

void TMoneyEditLogic::ReplaceAtCaret(char C) {
    const int s = FSelStart;
    std::string t = FText;
    t[static_cast<size_t>(s)] = C;
    Put(t);
    SetCaret(s + 1);
}

void TMoneyEditLogic::InsertAtCaret(char C) {
    const int distance = L() - FSelStart;
    std::string t = FText;
    t.insert(t.begin() + FSelStart, C);
    Put(t);
    PlaceFromEnd(distance);
}

void TMoneyEditLogic::ZeroBeforeCaret() {
    const int s = FSelStart;
    std::string t = FText;
    t[static_cast<size_t>(s - 1)] = '0';
    Put(t);
    SetCaret(s - 1);
}

// The caret stays in front of the digit that followed the removed one,
// also when the regrouping drops a mark to its left.
void TMoneyEditLogic::DeleteAfterCaret() {
    const int distance = L() - FSelStart - 1;
    std::string t = FText;
    t.erase(static_cast<size_t>(FSelStart), 1);
    Put(t);
    PlaceFromEnd(distance);
}

void TMoneyEditLogic::DeleteBeforeCaret() {
    const int distance = L() - FSelStart;
    std::string t = FText;
    t.erase(static_cast<size_t>(FSelStart - 1), 1);
    Put(t);
    PlaceFromEnd(distance);
}

void TMoneyEditLogic::DeleteBeforeMark() {
    if (L() - FSelStart <= 7)
        return;
    const int distance = L() - FSelStart;
    std::string t = FText;
    t.erase(static_cast<size_t>(FSelStart), 1);
    Put(t);
    PlaceFromEnd(distance - 2);
}

void TMoneyEditLogic::DeleteDigitBeforeMark() {
    if (FSelStart <= 1)
        return;
    const int distance = L() - FSelStart;
    std::string t = FText;
    t.erase(static_cast<size_t>(FSelStart - 2), 1);
    Put(t);
    PlaceFromEnd(distance);
}

void TMoneyEditLogic::ClearWholeInteger(bool ToStart) {
    Put("0" + FText.substr(static_cast<size_t>(FSelStart + FSelLength)));
    SetCaret(ToStart ? 0 : L() - 3);
}

void TMoneyEditLogic::ClearSelInInteger() {
    const int distance = L() - (FSelStart + FSelLength);
    std::string t = FText;
    t.erase(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength));
    Put(t);
    PlaceFromEnd(distance);
}

void TMoneyEditLogic::SkipPoint() {
    if (FSelLength > 1)
        SetSelection(FSelStart + 1, FSelLength - 1);
}

void TMoneyEditLogic::ZeroSelInFraction(bool ToStart) {
    const int s = FSelStart;
    const int n = FSelLength;
    std::string t = FText;
    for (int i = s; i < s + n; ++i)
        t[static_cast<size_t>(i)] = '0';
    Put(t);
    SetCaret(ToStart ? s : s + n);
}

void TMoneyEditLogic::ClearSelAcrossPoint() {
    const int s = FSelStart;
    const int end = FSelStart + FSelLength;
    const int point = L() - 3;
    std::string t = (s == 0 ? "0" : FText.substr(0, static_cast<size_t>(s))) + ".";
    for (int i = point + 1; i < L(); ++i)
        t += i < end ? '0' : At(i);
    Put(t);
    SetCaret(L() - 3);
}

// T takes the place of the selection, the caret after it at the distance
// from the end that the selection's end had. T goes into the text as it
// was, so a mark left in front by the removal cannot move the place of
// insertion before the start. A whole part left without digits gets a
// "0" in front.
void TMoneyEditLogic::InsertText(const std::string& T) {
    const int distance = L() - (FSelStart + FSelLength);
    std::string t = FText;
    t.replace(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength), T);
    if (!t.empty() && t[0] == '.')
        t.insert(t.begin(), '0');
    Put(t);
    PlaceFromEnd(distance);
}

void TMoneyEditLogic::DeleteSelection(bool ToStart) {
    if (SelWholeInteger())
        ClearWholeInteger(ToStart);
    if (SelInInteger())
        ClearSelInInteger();
    if (SelFromPoint())
        SkipPoint();
    if (SelInFraction())
        ZeroSelInFraction(ToStart);
    if (SelAcrossPoint())
        ClearSelAcrossPoint();
}

// Operations.

void TMoneyEditLogic::KeyChar(char Key) {
    if (!InShape())
        return;
    if (IsDigit(Key)) {
        if (FSelLength > 0)
            DeleteSelection(true);
        if (CaretInFraction() && !CaretAtEnd())
            ReplaceAtCaret(Key);
        if (CaretInInteger()) {
            if (IsZeroInteger()) {
                SetCaret(0);
                ReplaceAtCaret(Key);
            } else if (!(CaretAtStart() && Key == '0') && IntegerDigits() < MaxIntegerDigits()) {
                InsertAtCaret(Key);
            }
        }
    } else if (Key == 8) {
        if (CaretInInteger()) {
            if (CaretBeforePoint() && SingleDigit())
                ZeroBeforeCaret();
            else if (MarkBeforeCaret())
                DeleteDigitBeforeMark();
            else if (!CaretAtStart())
                DeleteBeforeCaret();
        }
        if (CaretInFraction()) {
            if (CaretAfterPoint())
                SetCaret(FSelStart - 1);
            else
                ZeroBeforeCaret();
        }
        if (FSelLength > 0)
            DeleteSelection(true);
    } else if (Key == ',' || Key == '.') {
        if (CaretInInteger())
            SetCaret(L() - 2);
        if (SelAcrossPoint()) {
            ClearSelAcrossPoint();
            SetCaret(L() - 2);
        }
    }
}

void TMoneyEditLogic::DeleteKey() {
    if (!InShape())
        return;
    if (CaretInFraction() && !CaretAtEnd())
        ReplaceAtCaret('0');
    if (CaretInInteger()) {
        if (SingleDigit() && CaretAtStart())
            ReplaceAtCaret('0');
        else if (MarkAfterCaret())
            DeleteBeforeMark();
        else if (!CaretBeforePoint())
            DeleteAfterCaret();
    }
    if (FSelLength > 0)
        DeleteSelection(false);
}

std::string TMoneyEditLogic::Cut() {
    if (!InShape() || FSelLength == 0)
        return std::string();
    std::string cut = SelText();
    DeleteSelection(false);
    return cut;
}

bool TMoneyEditLogic::Paste(const std::string& ClipText) {
    if (!InShape() || CaretInFraction() || static_cast<int>(ClipText.size()) > FMaxLength)
        return false;
    size_t first = 0;
    size_t last = ClipText.size();
    while (first < last && static_cast<unsigned char>(ClipText[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(ClipText[last - 1]) <= ' ')
        --last;
    std::string t;
    for (size_t k = first; k < last; ++k)
        if (ClipText[k] != MoneyGroupMark)
            t += ClipText[k];
    if (t.empty())
        return false;

    size_t pos = 0;
    while (pos < t.size() && IsDigit(t[pos]))
        ++pos;
    const int i = static_cast<int>(pos);
    int j = 0;
    const bool hasPoint = pos < t.size() && t[pos] == '.';
    if (hasPoint) {
        ++pos;
        while (pos < t.size() && IsDigit(t[pos]))
            ++pos;
        j = static_cast<int>(pos) - i - 1;
    }
    if (pos != t.size())
        return false;
    if (hasPoint && (CaretInInteger() || SelWholeInteger() || SelInInteger() || SelInFraction()))
        return false;

    const int n = FSelLength;
    if (CaretInInteger()) {
        if (IntegerDigits() + i > MaxIntegerDigits())
            return false;
    } else if (SelWholeInteger()) {
        if (i > MaxIntegerDigits())
            return false;
    } else if (SelInInteger()) {
        if (KeptIntegerDigits() + i > MaxIntegerDigits())
            return false;
    } else if (SelInFraction()) {
        if (n != i)
            return false;
    } else if (SelFromPoint() && !hasPoint) {
        if (n != i + 1)
            return false;
        SkipPoint();
    } else if (SelFromPoint()) {
        if (i != 0 || n != static_cast<int>(t.size()))
            return false;
    } else if (SelAcrossPoint()) {
        if (KeptIntegerDigits() + i > MaxIntegerDigits() || FSelStart + n - (L() - 2) != j)
            return false;
        // Digits alone over a selection that ends right after the point
        // replace the selected digits; the point stays.
        if (!hasPoint)
            SetSelection(FSelStart, n - 1);
    } else {
        return false;
    }
    InsertText(t);
    return true;
}

// Caret moves.

bool TMoneyEditLogic::JumpLeft() {
    if (!InShape() || !MarkBeforeCaret())
        return false;
    SetCaret(FSelStart - 2);
    return true;
}

bool TMoneyEditLogic::JumpRight() {
    if (!InShape() || !MarkAfterCaret())
        return false;
    SetCaret(FSelStart + 2);
    return true;
}

void TMoneyEditLogic::MoveLeft() {
    if (JumpLeft())
        return;
    if (FSelLength > 0)
        SetCaret(FSelStart);
    else
        SetCaret(FSelStart - 1);
    CorrectCaret();
}

void TMoneyEditLogic::MoveRight() {
    if (JumpRight())
        return;
    if (FSelLength > 0)
        SetCaret(FSelStart + FSelLength);
    else
        SetCaret(FSelStart + 1);
    CorrectCaret();
}

void TMoneyEditLogic::CorrectCaret() {
    if (InShape() && FSelLength == 0 && MarkAtCaret())
        SetCaret(FSelStart + 1);
}

} // namespace tv
