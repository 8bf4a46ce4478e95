#pragma once
// Opening the stock book's data at start and closing it at exit. Failures
// are shown to the user through the program's message box.

namespace tv {

// Opens Store on the folder Data beside the program, creating what is
// missing. False, after the opening-error box, when that fails.
bool OpenStoreData();

// Finishes a restore cut short, then at the first start of a day copies the
// data files into Hist/yyyy-mm-dd (never overwriting a copy already there),
// then opens them as
// OpenStoreData does, and names a data file that was missing and has been
// created empty. A failed copy is shown and does not stop the start.
bool BackupAndOpenStoreData();

// Closes both tables of Store.
void CloseStoreData();

} // namespace tv
