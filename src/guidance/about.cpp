#include "guidance/about.h"

#include "app/texts.h"
#include "app/twips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace vindrel {

namespace {

constexpr int kClientWidthTwips = 4680;
constexpr int kClientHeightTwips = 3195;

QFont AboutFont(QFont::Weight weight)
{
    QFont font(texts::kAboutFontFamily);
    // Where the family is missing, the nearest sans-serif of the same size.
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(texts::kAboutFontPointSize);
    font.setWeight(weight);
    return font;
}

QLabel* AddLabel(QWidget* parent, const QString& name, const QRect& rect)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setGeometry(rect);
    return label;
}

} // namespace

int CentreEdge(double differenceTwips)
{
    // std::nearbyint rounds half to even in the default rounding mode.
    const auto rounded = static_cast<long long>(std::nearbyint(differenceTwips));
    return static_cast<int>(rounded / 2);
}

About::About(Platform& platform, QWidget* parent)
    : QDialog(parent)
    , platform_(platform)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(texts::kAboutCaption);
    // An ordinary frame, like the main window's, rather than a dialog's.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
        | Qt::WindowCloseButtonHint);
    setModal(true);
    resize(PixelsFromTwips(kClientWidthTwips), PixelsFromTwips(kClientHeightTwips));

    lblHeading_ = AddLabel(this, QStringLiteral("lblHeading"), RectFromTwips(0, 240, 4695, 855));
    lblHeading_->setFont(AboutFont(QFont::Normal));
    lblApplication_ = AddLabel(this, QStringLiteral("lblApplication"), RectFromTwips(120, 960, 4695, 375));
    lblApplication_->setFont(AboutFont(QFont::Bold));
    lblCopyright_ = AddLabel(this, QStringLiteral("lblCopyright"), RectFromTwips(0, 1800, 4695, 375));

    cmdOK_ = new QPushButton(texts::kAboutOk, this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(RectFromTwips(1920, 2280, 1095, 495));
    cmdOK_->setAutoDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(RectFromTwips(480, 1680, 3960 - 480 + kTwipsPerPixel, kTwipsPerPixel));
}

void About::EnsureLoaded()
{
    if (!loaded_) Form_Load();
}

void About::Form_Load()
{
    loaded_ = true;
    // The frame is known once the box has been shown; before that the
    // outer size is the client size.
    const QSize outer = size() + frameExtra_;
    const int left = CentreEdge(platform_.ScreenWidthTwips() - TwipsFromPixels(outer.width()));
    const int top = CentreEdge(platform_.ScreenHeightTwips() - TwipsFromPixels(outer.height()));
    move(PixelsFromTwips(left), PixelsFromTwips(top));
    lblApplication_->setText(texts::kPlaceholderApplication);
    lblHeading_->setText(texts::kPlaceholderHeading);
    lblCopyright_->setText(texts::kPlaceholderCopyright);
    cmdOK_->setFocus(Qt::OtherFocusReason);
}

void About::Unload()
{
    if (isVisible()) frameExtra_ = frameGeometry().size() - size();
    loaded_ = false;
}

void About::SetApplication(const QString& text)
{
    EnsureLoaded();
    lblApplication_->setText(text);
}

void About::SetHeading(const QString& text)
{
    EnsureLoaded();
    lblHeading_->setText(text);
}

void About::SetCopyright(const QString& text)
{
    EnsureLoaded();
    lblCopyright_->setText(text);
}

void About::Display()
{
    EnsureLoaded();
    exec();
    Unload();
}

void About::cmdOK_Click()
{
    Unload();
    accept();
}

void About::reject()
{
    Unload();
    QDialog::reject();
}

void About::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close the box: only OK or the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vindrel
