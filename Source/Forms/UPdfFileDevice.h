#pragma once
// A PDF file as a print device, written by Qt's PDF engine: the fonts the
// machine has are embedded as the engine finds them, the text stays
// searchable and the pages are compressed.

#include "UPaintPrintDevice.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>

#include <memory>
#include <string>

namespace tv {

class TPdfFileDevice : public TPaintPrintDevice {
public:
    TPdfFileDevice();
    ~TPdfFileDevice() override;

    // The file the next job writes; an existing one is replaced.
    void SetFile(const std::string& path) { FPath = path; }
    const std::string& File() const { return FPath; }
    // Paper, orientation and margins of the pages; A4 with 10 mm margins
    // until set.
    void SetPageLayout(const QPageLayout& layout);

    // Every failure to create, write or finish the file raises the printer
    // initializing error with the path and the system's reason, and removes
    // what was written.
    void BeginDoc(const std::string& title) override;
    void NewPage() override;
    void EndDoc() override;
    // Ends the job and removes its file.
    void AbortDoc() noexcept override;

    static constexpr int Resolution = 1200;

protected:
    QPagedPaintDevice& Target() override;

private:
    class TOutput;

    // Closes the file and removes it (a regular file only).
    void Discard() noexcept;
    [[noreturn]] void RaiseFileError(int error);
    // Raises when a write to the file failed.
    void CheckWrites();

    std::string FPath;
    QPageLayout FLayout;
    std::unique_ptr<TOutput> FOutput;     // the file of the open job
    std::unique_ptr<QPdfWriter> FWriter;  // writing into it
    // Measures the fonts for the pages while no job is open.
    QBuffer FNoOutput;
    QPdfWriter FMeasure{&FNoOutput};
};

} // namespace tv
