#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

namespace velmora::viewer {

// Keeps the status bar readable however narrow the window gets. The
// terrain's name takes only the room the other widgets leave and loses its
// end behind an ellipsis; every other plain-text label (the plugins'
// readouts) may shrink down to about 24 characters, losing the beginning of
// its text instead, so the end of a readout (the part that changes most,
// such as a heading) always stays in view, at the label's right edge.
class StatusBarFit : public QObject
{
public:
    // Watches statusBar for the labels plugins add; terrainLabel is the viewer's own, already in statusBar.
    StatusBarFit(QStatusBar* statusBar, QLabel* terrainLabel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void adoptReadout(QLabel* label);
    // Paints label's text elided to its width; false when the text fits or is not plain, so QLabel paints it.
    bool paintElided(QLabel* label) const;

    QStatusBar* statusBar = nullptr;
    QLabel* terrainLabel = nullptr;
};

} // namespace velmora::viewer
