// The main window: a fixed layout of labels, a list of catalogue systems
// (Nom), the two component boxes and the command buttons, plus the menu "?".
// Each user action runs one handler; the handlers' logic lives in the areas
// (catalogue, analysis, results, guidance) as free functions over this
// window's controls (FormControls), its working state and the Platform.
// A failure that escapes a handler is reported in a "Vindrel" box and the
// program goes on.
#pragma once

#include "app/form_controls.h"
#include "app/platform.h"
#include "app/working_state.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace vindrel {

class About;

class Form1 : public QMainWindow, public FormControls {
    Q_OBJECT

public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // FormControls
    QString Text(Control c) const override;
    void SetText(Control c, const QString& text) override;
    void AddNomItem(const QString& text) override;
    void SetFocus(Control c) override;

    const WorkingState& state() const { return state_; }
    QWidget* widget(Control c) const;
    // The About box, or nullptr before its first use.
    About* aboutBox() const { return about_; }

    // Handlers, one per user action.
    void Form_Load();
    void Nom_Click();
    void Composante1_Change();
    void Composante2_Change();
    void Analyser_Click();
    void Résultats_Click();
    void Points_fixes_Click();
    void Hamiltonien_Click();
    void Calculs_explicatifs_Click();
    void Enregistrer_Click();
    void ASTUCES_Click();
    void Aide_sur_la_théorie_Click();
    void Informations_Click();
    void Quitter_Click();
    void mnuApropos_Click();
    void mnuInfo_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Write access for tests that need a given state (e.g. an analysed system).
    WorkingState& mutableState() { return state_; }

private:
    void BuildControls();
    void BuildMenu();
    void Wire();
    QPushButton* AddButton(const QString& name, const QString& caption, const QRect& rect);
    QLabel* AddLabel(const QString& name, const QString& caption, const QRect& rect);
    template <typename Action> void RunHandler(Action&& action) noexcept;
    void Report(const PlatformError& error) noexcept;

    Platform& platform_;
    WorkingState state_;
    About* about_ = nullptr; // created on first use, owned by this window

    QWidget* client_ = nullptr;
    QComboBox* Nom_ = nullptr;
    QLineEdit* Composante1_ = nullptr;
    QLineEdit* Composante2_ = nullptr;
    QPushButton* Analyser_ = nullptr;
    QPushButton* Resultats_ = nullptr;
    QPushButton* Quitter_ = nullptr;
    QPushButton* Hamiltonien_ = nullptr;
    QPushButton* Calculs_explicatifs_ = nullptr;
    QPushButton* Points_fixes_ = nullptr;
    QPushButton* Aide_sur_la_theorie_ = nullptr;
    QPushButton* ASTUCES_ = nullptr;
    QPushButton* Enregistrer_ = nullptr;
    QPushButton* Informations_ = nullptr;
    QMenu* mnuAide_ = nullptr;
    QAction* mnuApropos_ = nullptr;
    QAction* mnuInfo_ = nullptr;
};

} // namespace vindrel
