#include "UPdfFileDevice.h"

#include "UException.h"
#include "UTextConst.h"
#include "UUserFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tv {

// The file the engine writes into. It keeps the first failure's errno: the
// engine neither checks its writes nor leaves the device open at its end.
class TPdfFileDevice::TOutput : public QIODevice {
public:
    explicit TOutput(const std::string& path) : FFile(path)
    {
        if (!FFile.Error())
            QIODevice::open(WriteOnly | Unbuffered);
    }

    // errno of the first failed call, 0 while none failed.
    int Error() const { return FFile.Error(); }
    bool isSequential() const override { return true; }
    void close() override { QIODevice::close(); }  // the file stays open until Close
    // Closes the file; its errno when that failed.
    void Close() { FFile.Close(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        return FFile.Write(std::string_view(data, size_t(size))) ? size : -1;
    }

private:
    TUserFile FFile;
};

TPdfFileDevice::TPdfFileDevice()
    : FLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
              QPageLayout::Millimeter)
{
    FMeasure.setResolution(Resolution);
    FMeasure.setPageLayout(FLayout);
}

TPdfFileDevice::~TPdfFileDevice() { AbortDoc(); }

void TPdfFileDevice::SetPageLayout(const QPageLayout& layout)
{
    FLayout = layout;
    FMeasure.setPageLayout(FLayout);
    ResetMetrics();
}

QPagedPaintDevice& TPdfFileDevice::Target()
{
    if (FWriter)
        return *FWriter;
    return FMeasure;
}

void TPdfFileDevice::RaiseFileError(int error)
{
    Discard();
    throw Exception(TextTable[SlotPrinterInitError] + "\r\n" + FPath + ": " + std::strerror(error));
}

void TPdfFileDevice::BeginDoc(const std::string& title)
{
    AbortDoc();
    FOutput = std::make_unique<TOutput>(FPath);
    if (const int error = FOutput->Error()) {
        FOutput.reset();
        throw Exception(TextTable[SlotPrinterInitError] + "\r\n" + FPath + ": " + std::strerror(error));
    }
    FWriter = std::make_unique<QPdfWriter>(FOutput.get());
    FWriter->setResolution(Resolution);
    FWriter->setPageLayout(FLayout);
    FWriter->setTitle(QString::fromStdString(title));
    FWriter->setCreator("Tarnovell");
    if (!BeginPaint())
        RaiseFileError(FOutput->Error() ? FOutput->Error() : EIO);
}

void TPdfFileDevice::CheckWrites()
{
    if (const int error = FOutput->Error())
        RaiseFileError(error);
}

void TPdfFileDevice::NewPage()
{
    CheckWrites();
    if (!FWriter->newPage())
        RaiseFileError(FOutput->Error() ? FOutput->Error() : EIO);
}

void TPdfFileDevice::EndDoc()
{
    const bool ended = EndPaint();
    FOutput->Close();
    CheckWrites();
    if (!ended)
        RaiseFileError(EIO);
    FWriter.reset();
    FOutput.reset();
    ResetMetrics();
}

void TPdfFileDevice::AbortDoc() noexcept
{
    if (FWriter)
        Discard();
}

void TPdfFileDevice::Discard() noexcept
{
    EndPaint();
    FWriter.reset();
    FOutput.reset();
    ResetMetrics();
    std::error_code error;
    const std::filesystem::path path(FPath);
    if (std::filesystem::is_regular_file(path, error))
        std::filesystem::remove(path, error);
}

} // namespace tv
