#pragma once
// The printers the system has, asked at each use: the print system's list,
// or one a test puts in its place.

#include <QString>
#include <QStringList>

class QPrinter;

namespace tv {

class TSystemPrinters {
public:
    virtual ~TSystemPrinters() = default;

    // The printers the system lists now.
    virtual QStringList Names() const;
    // The system's default printer; empty when it names none.
    virtual QString DefaultName() const;
    // Points the printer at the listed one for the next job.
    virtual void Select(QPrinter& printer, const QString& name) const;
};

// The list in use: the print system's unless one was set.
const TSystemPrinters& SystemPrinters();
// Puts the list in place of the one in use (null: the print system's) and
// returns the one set before. The list must outlive its use.
TSystemPrinters* SetSystemPrinters(TSystemPrinters* printers);

} // namespace tv
