#pragma once
// The main window's status bar: a row of sunken panels of set widths, each
// with its text and alignment. It takes no input. A long work's progress
// goes to the hint of the window whose bar took work hints.

#include <QWidget>

#include <string>
#include <vector>

namespace tv {

class TStatusPanels : public QWidget {
    Q_OBJECT
public:
    struct TPanel {
        int Width;
        Qt::Alignment Alignment;
        QString Text;
    };

    TStatusPanels(QWidget* parent, std::vector<TPanel> panels);

    int Count() const { return static_cast<int>(FPanels.size()); }
    QString Text(int panel) const { return FPanels.at(static_cast<std::size_t>(panel)).Text; }
    void SetText(int panel, const QString& text);
    int PanelWidth(int panel) const { return FPanels.at(static_cast<std::size_t>(panel)).Width; }
    Qt::Alignment PanelAlignment(int panel) const { return FPanels.at(static_cast<std::size_t>(panel)).Alignment; }
    void SetPanelWidth(int panel, int width);
    // The panel's rectangle; the last panel runs to the right edge.
    QRect PanelRect(int panel) const;
    // Makes this bar's window the one ShowWorkHint shows in, as long as the
    // bar lives.
    void TakeWorkHints();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<TPanel> FPanels;
};

// Shows the text as the hint of the window whose bar took work hints, as a
// hovered action's hint shows; the empty text clears it. Nothing when no
// bar took them.
void ShowWorkHint(const std::string& text);

} // namespace tv
