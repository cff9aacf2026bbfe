#include "app/boxes.h"

#include "app/texts.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace vindrel {

namespace {

// Beyond this many characters a text is not measured: it scrolls.
constexpr qsizetype kMeasuredCharacters = 20000;
// Lines looked at to choose the width of the scrolling view.
constexpr int kWidthSampleLines = 2000;
// Share of the screen that a box may take.
constexpr double kScreenShareWide = 0.9;
constexpr double kScreenShareHigh = 0.8;
// Room around the text: margins, the OK row and the frame.
constexpr int kChromeWidth = 60;
constexpr int kChromeHeight = 100;
constexpr int kInputBoxWidth = 420;
// Longest line that the scrolling view lays out in one piece: laying out a
// line costs in proportion to its length, so longer lines are shown cut
// into pieces of this size (the text copied stays whole).
constexpr qsizetype kLongestShownLine = 1000;

// The text as the scrolling view shows it: lines beyond the longest shown
// are cut into pieces.
QString CutLongLines(const QString& text)
{
    bool anyLong = false;
    for (qsizetype from = 0; from < text.size() && !anyLong;) {
        qsizetype to = text.indexOf(QLatin1Char('\n'), from);
        if (to < 0) to = text.size();
        anyLong = to - from > kLongestShownLine;
        from = to + 1;
    }
    if (!anyLong) return text;

    QString shown;
    shown.reserve(text.size() + text.size() / kLongestShownLine + 1);
    qsizetype column = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            column = 0;
        } else if (column == kLongestShownLine) {
            shown += QLatin1Char('\n');
            column = 1;
        } else {
            ++column;
        }
        shown += c;
    }
    return shown;
}

QRect AvailableArea(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

QString ShownLineEnds(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MessageBox::MessageBox(const QString& prompt, const QString& caption, QWidget* parent)
    : QDialog(parent)
    , text_(ShownLineEnds(prompt))
{
    setWindowTitle(caption);
    setModal(true);

    const QRect area = AvailableArea(parent);
    const int maxTextWidth = static_cast<int>(area.width() * kScreenShareWide) - kChromeWidth;
    const int maxTextHeight = static_cast<int>(area.height() * kScreenShareHigh) - kChromeHeight;
    const QFontMetrics metrics(font());

    int widest = 0;
    bool fits = text_.size() <= kMeasuredCharacters;
    if (fits) {
        const QStringList lines = text_.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        fits = widest <= maxTextWidth && lines.size() * metrics.lineSpacing() <= maxTextHeight;
    }
    kind_ = fits ? MessageLayout::Compact : MessageLayout::Scrolling;

    auto* layout = new QVBoxLayout(this);
    if (kind_ == MessageLayout::Compact) {
        label_ = new QLabel(text_, this);
        label_->setObjectName(QStringLiteral("text"));
        label_->setTextFormat(Qt::PlainText);
        label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label_);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    } else {
        view_ = new QPlainTextEdit(this);
        view_->setObjectName(QStringLiteral("text"));
        view_->setReadOnly(true);
        view_->setLineWrapMode(QPlainTextEdit::NoWrap);
        view_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        view_->setUndoRedoEnabled(false);
        view_->setPlainText(CutLongLines(text_));
        view_->installEventFilter(this);
        layout->addWidget(view_);

        // Wide enough for the lines sampled, never wider or taller than the
        // screen allows; the rest scrolls.
        int sampled = 0;
        for (qsizetype from = 0; from < text_.size() && sampled < kWidthSampleLines; ++sampled) {
            qsizetype to = text_.indexOf(QLatin1Char('\n'), from);
            if (to < 0) to = text_.size();
            widest = std::max(
                widest, metrics.horizontalAdvance(text_.mid(from, std::min<qsizetype>(to - from, 1000))));
            from = to + 1;
        }
        const int width
            = std::min(maxTextWidth, widest + view_->verticalScrollBar()->sizeHint().width() + 24);
        resize(std::max(width, 300) + kChromeWidth / 2, maxTextHeight + kChromeHeight / 2);
    }

    ok_ = new QPushButton(texts::kOk, this);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setAutoDefault(true);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok_);
    row->addStretch();
    layout->addLayout(row);
    ok_->setFocus(Qt::OtherFocusReason);

    if (kind_ == MessageLayout::Scrolling) {
        // Centred, and so within the screen whatever the parent's position.
        const QSize size = this->size();
        move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    }
}

void MessageBox::CopyToClipboard() const
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text_);
}

void MessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MessageBox::eventFilter(QObject* watched, QEvent* event)
{
    // In the scrolling view Ctrl+C copies the selection, or the whole text
    // when nothing is selected.
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) && !view_->textCursor().hasSelection()) {
            CopyToClipboard();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

InputBox::InputBox(const QString& prompt, const QString& title, const QString& defaultText,
    const QPoint& topLeft, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setModal(true);

    auto* label = new QLabel(ShownLineEnds(prompt), this);
    label->setObjectName(QStringLiteral("prompt"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    field_ = new QLineEdit(defaultText, this);
    field_->setObjectName(QStringLiteral("field"));
    field_->selectAll();

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ok = buttons->addButton(texts::kOk, QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(texts::kCancel, QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(buttons, 0, 1, Qt::AlignTop);
    grid->addWidget(field_, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    setFixedWidth(kInputBoxWidth);
    field_->setFocus(Qt::OtherFocusReason);
    move(topLeft);
}

QString InputBox::answer() const
{
    return result() == QDialog::Accepted ? field_->text() : QString();
}

} // namespace vindrel
