// The message box and the input box of QtPlatform, as widgets of their own
// so that they can be checked without a modal wait.
//
// MessageBox: one OK button; CR LF shown as line breaks; a text too tall or
// too wide for the screen is shown in a read-only scrolling view (blanks and
// line breaks kept) and the box stays within the screen. Ctrl+C copies the
// whole text (or the selection in the view when there is one).
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vindrel {

enum class MessageLayout { Compact, Scrolling };

class MessageBox : public QDialog {
    Q_OBJECT

public:
    MessageBox(const QString& prompt, const QString& caption, QWidget* parent = nullptr);

    // The prompt with its line ends as shown (LF).
    const QString& shownText() const { return text_; }
    MessageLayout layoutKind() const { return kind_; }
    // The scrolling view, or nullptr in the compact layout.
    QPlainTextEdit* view() const { return view_; }
    QPushButton* okButton() const { return ok_; }
    void CopyToClipboard() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString text_;
    MessageLayout kind_ = MessageLayout::Compact;
    QPlainTextEdit* view_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// Prompt, entry field with its default text, OK and Cancel; its top-left
// corner at a given point of the screen.
class InputBox : public QDialog {
    Q_OBJECT

public:
    InputBox(const QString& prompt, const QString& title, const QString& defaultText, const QPoint& topLeft,
        QWidget* parent = nullptr);

    QString answer() const;
    QLineEdit* field() const { return field_; }

private:
    QLineEdit* field_ = nullptr;
};

// Line ends as the widgets show them: CR LF and a lone CR become LF.
QString ShownLineEnds(const QString& text);

} // namespace vindrel
