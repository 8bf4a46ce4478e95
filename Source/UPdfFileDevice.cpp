#include "UPdfFileDevice.h"

#include "UException.h"
#include "UTextConst.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace tv {

// The file the engine writes into. It keeps the first failure's errno: the
// engine neither checks its writes nor leaves the device open at its end.
class TPdfFileDevice::TOutput : public QIODevice {
public:
    explicit TOutput(const std::string& path)
        : FFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))
    {
        if (FFd < 0)
            FError = errno;
        else
            QIODevice::open(WriteOnly | Unbuffered);
    }
    ~TOutput() override { Close(); }

    // errno of the first failed call, 0 while none failed.
    int Error() const { return FError; }
    bool isSequential() const override { return true; }
    void close() override { QIODevice::close(); }  // the file stays open until Close
    // Closes the file; its errno when that failed.
    void Close()
    {
        if (FFd >= 0 && ::close(FFd) != 0 && !FError)
            FError = errno;
        FFd = -1;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        for (qint64 done = 0; done < size;) {
            const ssize_t n = FFd < 0 || FError ? -1 : ::write(FFd, data + done, size_t(size - done));
            if (n < 0) {
                if (FFd >= 0 && errno == EINTR && !FError)
                    continue;
                if (!FError)
                    FError = FFd < 0 ? EBADF : errno;
                return -1;
            }
            done += n;
        }
        return size;
    }

private:
    int FFd;
    int FError = 0;
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
