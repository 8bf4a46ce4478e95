#include "UCsvImportRun.h"

#include "UCodePage.h"
#include "UDatFile.h"
#include "UFileEnv.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace tv {

int ReadCsvImportFile(TFileEnv& env, const std::string& path, std::string& bytes)
{
    const auto reason = [] { return errno != 0 ? errno : EIO; };
    errno = 0;
    const std::unique_ptr<TEnvFile> file = env.OpenReadOnly(path);
    if (!file)
        return env.FolderExists(path) ? EISDIR : !env.FileExists(path) ? ENOENT : reason();
    const int64_t size = file->Seek(0, 2);
    if (size > int64_t(MaxCsvImportBytes))
        return CsvFileTooLarge;
    if (size < 0 || file->Seek(0, 0) != 0)
        return reason();
    bytes.clear();
    bytes.reserve(size_t(size));
    char buffer[1 << 16];
    for (;;) {
        const size_t room = std::min(sizeof buffer, MaxCsvImportBytes + 1 - bytes.size());
        const int64_t n = file->Read(buffer, int64_t(room));
        if (n < 0)
            return reason();
        if (n == 0)
            return 0;
        bytes.append(buffer, size_t(n));
        if (bytes.size() > MaxCsvImportBytes)
            return CsvFileTooLarge;
    }
}

namespace {

constexpr char32_t NoCharacter = 0xFFFFFFFF;

// The character whose bytes are text[from, to); NoCharacter when they are
// not its shortest encoding.
char32_t CharacterOf(std::string_view text, size_t from, size_t to)
{
    const auto lead = static_cast<unsigned char>(text[from]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || to - from != length)
        return NoCharacter;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = from + 1; i < to; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return NoCharacter;
        c = c << 6 | (next & 0x3F);
    }
    const size_t shortest = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    return shortest == length ? c : NoCharacter;
}

size_t EncodedLength(unsigned char lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The white space QString::trimmed takes off: QChar::isSpace.
bool IsWhiteSpace(char32_t c)
{
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

} // namespace

std::string TrimWhiteSpace(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e) {
        const size_t to = std::min(e, b + EncodedLength(static_cast<unsigned char>(text[b])));
        if (!IsWhiteSpace(CharacterOf(text, b, to)))
            break;
        b = to;
    }
    while (e > b) {
        // The last character starts at most three continuation bytes back.
        size_t from = e - 1;
        while (from > b && e - from < 4 && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80)
            --from;
        if (!IsWhiteSpace(CharacterOf(text, from, e)))
            break;
        e = from;
    }
    return std::string(text.substr(b, e - b));
}

bool ParseCsvGoods(TStore& store, const std::string& line, TCsvSeparators separators, TCsvGoods& goods)
{
    if (!ParseCsvLine(line, separators, goods))
        return false;
    goods.Name = TrimWhiteSpace(goods.Name);
    // A longer code or name would be stored cut.
    const TTableStore& g = store.Goods();
    return Utf8Length(goods.Code) <= size_t(g.Code.GetWidth()) && Utf8Length(goods.Name) <= size_t(g.Name.GetWidth());
}

TCsvImportRun::TCsvImportRun(TStore& store, TCsvSeparators locale, std::string note, TAskBadLine askBadLine,
                             TBetweenGroups betweenGroups)
    : FStore(store), FLocale(locale), FNote(std::move(note)), FAskBadLine(std::move(askBadLine)),
      FBetweenGroups(std::move(betweenGroups)),
      FTries{locale, LanguageSeparators(0), LanguageSeparators(1), LanguageSeparators(2)}
{
}

TCsvImportRun::TSummary TCsvImportRun::Run(std::string bytes)
{
    FSummary = {};
    FQueue.clear();
    // Accepted lines go to the stock book a group at a time, and before
    // every question, so that what was received is in stock whenever the
    // user is asked or told.
    try {
        TCsvRecords records(DecodeCsvText(std::move(bytes)));
        while (!records.AtEnd() && !FSummary.Aborted)
            TakeRecord(records);
        StoreQueue();
    } catch (const std::exception&) {
        FQueue.clear();
        FSummary.Failure = std::current_exception();
        // What was stored before the failure goes on the disk while it can.
        try {
            FStore.SettleImport();
        } catch (...) {
        }
    }
    return FSummary;
}

void TCsvImportRun::TakeRecord(TCsvRecords& records)
{
    const std::string line = records.Peek(FLocale.List);
    if (IsCsvHeaderLine(line, FLocale.List)) {
        records.Next(FLocale.List);
        return;
    }
    for (const TCsvSeparators& sep : FTries) {
        const std::string& record = records.Peek(sep.List);
        TCsvGoods g;
        // A text the data file would store changed is no goods line.
        if (Cp1251Holds(record) && ParseCsvGoods(FStore, record, sep, g) &&
            FStore.CanInsert(g.Price, g.Quantity, g.Packages)) {
            FQueue.push_back({g.Code, g.Name, g.Price, g.Quantity, g.Packages});
            records.Next(sep.List);
            ++FSummary.Received;
            if (FQueue.size() == size_t(TDatFile::MaxGroupRecords))
                StoreQueue(true);
            return;
        }
    }
    records.Next(FLocale.List);
    StoreQueue();
    if (FAskBadLine(line))
        ++FSummary.Skipped;
    else
        FSummary.Aborted = true;
}

void TCsvImportRun::StoreQueue(bool More)
{
    if (FQueue.empty()) {
        if (!More)
            FStore.SettleImport();
        return;
    }
    const int32_t before = FStore.Goods().RecordCount();
    try {
        FStore.ImportGoods(FQueue, FNote, More);
    } catch (...) {
        // The failing group is in stock only when its movements were
        // counted.
        const auto stored = static_cast<size_t>(FStore.Goods().RecordCount() - before);
        FSummary.Received -= static_cast<uint32_t>(FQueue.size() - std::min(stored, FQueue.size()));
        FQueue.clear();
        throw;
    }
    FQueue.clear();
    if (FBetweenGroups)
        FBetweenGroups(FSummary.Received);
}

} // namespace tv
