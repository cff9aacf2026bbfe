// A push button whose caption wraps onto several lines when it is wider
// than the button (the left column's buttons are narrow), its access key
// still underlined and active.
#pragma once

#include <QPushButton>

namespace vindrel {

class CaptionButton : public QPushButton {
    Q_OBJECT

public:
    CaptionButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vindrel
