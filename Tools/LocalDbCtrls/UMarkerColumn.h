#pragma once

#include <QHeaderView>

namespace tv {

class TDataGrid;

// The marker column: a strip in the button colour beside the rows, with a
// triangle at the current row while a search runs.
class TMarkerColumn : public QHeaderView {
public:
    explicit TMarkerColumn(TDataGrid* Grid);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TDataGrid* FGrid;
};

} // namespace tv
