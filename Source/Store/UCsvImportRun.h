#pragma once
// The CSV import's work apart from any dialog: the file read through the
// file environment, each line tried under the separators, parsed and
// checked, and the accepted lines stored as new goods a group at a time.
// What the user is asked about a bad line, and what happens between groups,
// the caller gives as callbacks.

#include "UEximText.h"
#include "UStoreData.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class TFileEnv;

// ReadCsvImportFile's answer for a file of more than MaxCsvImportBytes.
inline constexpr int CsvFileTooLarge = -1;

// The whole file through the environment: 0, the system's error number of
// the open or read (EISDIR for a folder, ENOENT for a missing file), or CsvFileTooLarge, for which
// nothing is read when the file's size tells it first, and never more than
// MaxCsvImportBytes + 1 bytes.
int ReadCsvImportFile(TFileEnv& env, const std::string& path, std::string& bytes);

// The UTF-8 text without the white space around it, as the name edit drops
// it: tab to carriage return, blank, U+0085, the no-break space and every
// other space, line and paragraph separator of Unicode. A byte that starts
// no character is no white space.
std::string TrimWhiteSpace(std::string_view text);

// The line under the separators (ParseCsvLine), the name without the white
// space around it; false when it is no goods line or its code or name is
// longer than the store's field, which would store it cut.
bool ParseCsvGoods(TStore& store, const std::string& line, TCsvSeparators separators,
                   TCsvGoods& goods);

class TCsvImportRun {
public:
    // Asked about a line no separators make acceptable, once every line
    // before it is in stock; true skips it and goes on, false stops.
    using TAskBadLine = std::function<bool(const std::string& line)>;
    // Called after each stored group with the lines stored so far.
    using TBetweenGroups = std::function<void(uint32_t received)>;

    struct TSummary {
        uint32_t Received = 0;  // lines in stock
        uint32_t Skipped = 0;   // bad lines passed
        bool Aborted = false;   // stopped at a bad line
        // What stopped the import before the end: a group that could not be
        // stored, or a callback's failure. The lines before are in stock.
        std::exception_ptr Failure;
    };

    // The lines' separators are tried as the locale's, then each
    // language's own; note goes on every first movement.
    TCsvImportRun(TStore& store, TCsvSeparators locale, std::string note, TAskBadLine askBadLine,
                  TBetweenGroups betweenGroups);
    TCsvImportRun(const TCsvImportRun&) = delete;
    TCsvImportRun& operator=(const TCsvImportRun&) = delete;

    // Takes in every data line of the file's bytes (DecodeCsvText) as new
    // goods with a first received movement, in groups of at most
    // TDatFile::MaxGroupRecords lines, header lines passed. Raises only what
    // is no std::exception.
    TSummary Run(std::string bytes);

private:
    // The record at the place: passed, queued, or asked about.
    void TakeRecord(TCsvRecords& records);
    // The queued lines into the stock book; on a failure the lines of the
    // group that are not in stock are taken off the count, and it raises.
    // With More further lines follow, else every count is on the disk.
    void StoreQueue(bool More = false);

    TStore& FStore;
    const TCsvSeparators FLocale;
    const std::string FNote;
    const TAskBadLine FAskBadLine;
    const TBetweenGroups FBetweenGroups;
    std::vector<TCsvSeparators> FTries;
    std::vector<TStore::TNewGoods> FQueue;
    TSummary FSummary;
};

} // namespace tv
