#pragma once
// The editing rules of the money edit, apart from any window: a text in
// money shape (digits grouped by "'" in threes, ".", two decimals), a caret
// and a selection, and the operations of the keys, cut, paste and clear
// that keep that shape.

#include <string>

namespace tv {

class TMoneyEditLogic {
public:
    static constexpr char MoneyGroupMark = '\'';

    // The caret stands at 0 with nothing selected.
    explicit TMoneyEditLogic(std::string Text = "0.00", int MaxLength = 13);

    const std::string& Text() const { return FText; }
    int SelStart() const { return FSelStart; }
    int SelLength() const { return FSelLength; }
    int MaxLength() const { return FMaxLength; }
    std::string SelText() const;

    // The text as an owner writes it: not regrouped; caret at 0.
    void SetText(const std::string& Text);
    // Both are clamped to the text.
    void SetSelection(int Start, int Length);
    void SetCaret(int Pos) { SetSelection(Pos, 0); }
    void SelectAll() { SetSelection(0, static_cast<int>(FText.size())); }

    // Whether Text has the shape the edit keeps. Every editing operation
    // below leaves a text that is not in shape unchanged.
    static bool InShape(const std::string& Text);
    bool InShape() const { return InShape(FText); }

    // A typed character: digits, "." or ",", and 8 for backspace; any
    // other character changes nothing.
    void KeyChar(char Key);
    void Backspace() { KeyChar(8); }
    // The Delete key (without Shift, or with Shift and nothing selected).
    void DeleteKey();
    // Returns the selected text and deletes the selection; empty and
    // unchanged when nothing is selected.
    std::string Cut();
    // Deletes the selection keeping the shape.
    void Clear() { DeleteSelection(false); }
    // Inserts clipboard text when it fits the shape and the digit limit;
    // returns false (nothing changed) otherwise.
    bool Paste(const std::string& ClipText);

    // Left and Right over a group mark: true when the caret jumped over the
    // mark and the digit beside it.
    bool JumpLeft();
    bool JumpRight();
    // The plain Left and Right keys: a jump when one applies, else the
    // selection collapses or the caret moves by one; then CorrectCaret.
    void MoveLeft();
    void MoveRight();
    // A caret right before a group mark moves past it.
    void CorrectCaret();

    // Puts a mark in front of every third character from the right after
    // removing all marks; leading zeros stay, characters are not checked.
    static std::string GroupDigits(const std::string& Digits);
    // Regroups the whole part of a text, the last three characters kept.
    static std::string RegroupText(const std::string& Text);

    int IntegerDigits() const;
    int MaxIntegerDigits() const;
    int KeptIntegerDigits() const;

private:
    int L() const { return static_cast<int>(FText.size()); }
    char At(int Pos) const { return FText[static_cast<size_t>(Pos)]; }

    bool CaretInInteger() const;
    bool CaretInFraction() const;
    bool CaretAfterPoint() const;
    bool CaretBeforePoint() const;
    bool CaretAtEnd() const;
    bool CaretAtStart() const;
    bool SingleDigit() const;
    bool IsZeroInteger() const;
    bool MarkAfterCaret() const;
    bool MarkBeforeCaret() const;
    bool MarkAtCaret() const;
    bool SelWholeInteger() const;
    bool SelInInteger() const;
    bool SelFromPoint() const;
    bool SelInFraction() const;
    bool SelAcrossPoint() const;

    void Put(const std::string& Text);
    void PlaceFromEnd(int Distance);
    void ReplaceAtCaret(char C);
    void InsertAtCaret(char C);
    void ZeroBeforeCaret();
    void DeleteAfterCaret();
    void DeleteBeforeCaret();
    void DeleteBeforeMark();
    void DeleteDigitBeforeMark();
    void ClearWholeInteger(bool ToStart);
    void ClearSelInInteger();
    void SkipPoint();
    void ZeroSelInFraction(bool ToStart);
    void ClearSelAcrossPoint();
    void InsertText(const std::string& T);
    void DeleteSelection(bool ToStart);

    std::string FText;
    int FSelStart = 0;
    int FSelLength = 0;
    int FMaxLength;
};

} // namespace tv
