#pragma once
// The program's main window: the entry panel with the current goods, the
// grid of its movements and the grid of all goods.

#include <QMainWindow>

#include <memory>

namespace tv {

class TTopWindow;

class TMainFormStore : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window over the open Store. Registers it as the program's
    // "TMainFormStore" window, which answers the instance messages.
    explicit TMainFormStore(QWidget* parent = nullptr);
    ~TMainFormStore() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<TTopWindow> FTopWindow;
};

// The one main window while it exists, else null.
extern TMainFormStore* MainFormStore;

} // namespace tv
