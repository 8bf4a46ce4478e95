#pragma once
// Closing a stock-keeping program that runs from a given folder, as the
// setup and the uninstaller do before they replace or remove its files.

#include "UTopWindows.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tv {

// Title of the program running from the folder (given with or without its
// trailing delimiter): "Tarnovell - " and the folder without it.
std::string RunningCopyCaption(const std::string& folder);

// The form window of a program running from the folder, or 0. Also found
// under the folder's resolved path, which a program sees as its own folder.
TWindow FindProgramIn(const std::string& folder);

// Sends WM_TERMINATEINSTANCE to the window and waits for the answer.
void TerminateInstance(TWindow window);

struct TCloseTiming {
    int Requests = 20;      // at most this many requests
    int PauseMs = 100;      // between a request and the next search
    int EndWaitMs = 10000;  // for the asked processes to end after their windows went
};

// Asks the program running from the folder to end until no window of it is
// found, at most timing.Requests times, then waits until every process asked
// has really ended (it may still be writing its files). True when none runs
// any more, also none that does not answer. Called on the GUI thread, it
// keeps the event loop running while it waits.
bool CloseRunningProgram(const std::string& folder, const TCloseTiming& timing = {});

// The running processes of the program file (links resolved), also when the
// file was replaced since they started.
std::vector<std::int64_t> ProcessesOf(const std::string& program);

// Whether the process still runs (a process that ended but was not yet
// reaped by its parent counts as ended).
bool ProcessRuns(std::int64_t pid);

} // namespace tv
