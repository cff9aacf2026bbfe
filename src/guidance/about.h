// The About box: a small modal window with the program's name, its subject
// and its copyright line. One instance per run; it is loaded (placeholders
// set, centred on the screen) on the first property set or Display after
// its creation or after it was closed, and unloaded when it closes, so each
// opening shows it centred again.
#pragma once

#include "app/platform.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace vindrel {

// Edge that centres a window: the difference between the screen's and the
// window's outer size (twips) rounded half to even, then halved towards zero.
int CentreEdge(double differenceTwips);

class About : public QDialog {
    Q_OBJECT

public:
    explicit About(Platform& platform, QWidget* parent = nullptr);

    // Shows the box modally; returns once it has been closed.
    void Display();
    // Write-only properties: each goes straight into a label's caption.
    void SetApplication(const QString& text);
    void SetHeading(const QString& text);
    void SetCopyright(const QString& text);

    bool isLoaded() const { return loaded_; }

    void cmdOK_Click();
    // Closing through the close box unloads the box like OK.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void EnsureLoaded();
    void Form_Load();
    void Unload();

    Platform& platform_;
    bool loaded_ = false;
    QSize frameExtra_ { 0, 0 }; // frame around the client area, once known
    QLabel* lblHeading_ = nullptr;
    QLabel* lblApplication_ = nullptr;
    QLabel* lblCopyright_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

} // namespace vindrel
