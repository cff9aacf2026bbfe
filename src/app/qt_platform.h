// The Platform of the running program, over Qt: modal message and input
// boxes, detached processes (never through a shell), the desktop's browser,
// the program's directory, the screen size and the end of the run.
#pragma once

#include "app/file_channels.h"
#include "app/platform.h"

namespace vindrel {

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    void MsgBox(const QString& prompt, const QString& caption = kApplicationTitle) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText, int xTwips,
        int yTwips) override;
    void StartProgram(const QString& program, const QStringList& arguments, WindowStyle style) override;
    void OpenPage(const QString& path) override;
    FileChannels& Files() override { return files_; }
    QString AppPath() const override;
    int ScreenWidthTwips() const override;
    int ScreenHeightTwips() const override;
    void End() override;

private:
    FileChannels files_;
};

} // namespace vindrel
