#include "app/form1.h"

#include "analysis/analysis.h"
#include "app/caption_button.h"
#include "app/texts.h"
#include "app/twips.h"
#include "catalogue/catalogue.h"
#include "guidance/about.h"
#include "guidance/guidance.h"
#include "results/results.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <new>

namespace vindrel {

namespace {

// Client area, below the menu bar, in twips.
constexpr int kClientWidthTwips = 7155;
constexpr int kClientHeightTwips = 5130;
constexpr double kWindowFontPointSize = 7.5;

// The client area keeps its controls where they were placed: no layout, so
// resizing the window moves nothing and a smaller window simply hides what
// no longer fits.
class ClientArea : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override
    {
        return { PixelsFromTwips(kClientWidthTwips), PixelsFromTwips(kClientHeightTwips) };
    }
    QSize minimumSizeHint() const override { return { 0, 0 }; }
};

} // namespace

Form1::Form1(Platform& platform, QWidget* parent)
    : QMainWindow(parent)
    , platform_(platform)
{
    setWindowTitle(texts::kForm1Caption);
    // The window's default font, which every control uses: the system's
    // family at the small size that the layout was drawn for.
    QFont windowFont = font();
    windowFont.setPointSizeF(kWindowFontPointSize);
    setFont(windowFont);
    BuildControls();
    BuildMenu();
    Wire();
    resize(sizeHint());
    Form_Load();
    Nom_->setFocus(Qt::OtherFocusReason);
}

Form1::~Form1() = default;

void Form1::BuildControls()
{
    client_ = new ClientArea(this);
    client_->setObjectName(QStringLiteral("Form1_client"));
    setCentralWidget(client_);

    // Created in tab order, so that the focus chain is the tab order; the
    // labels take no focus and drop out of it.
    Nom_ = new QComboBox(client_);
    Nom_->setObjectName(QStringLiteral("Nom"));
    Nom_->setEditable(false);
    Nom_->setGeometry(RectFromTwips(1800, 120, 3615, 315));

    Composante1_ = new QLineEdit(client_);
    Composante1_->setObjectName(QStringLiteral("Composante1"));
    Composante1_->setGeometry(RectFromTwips(2160, 720, 4575, 495));

    Composante2_ = new QLineEdit(client_);
    Composante2_->setObjectName(QStringLiteral("Composante2"));
    Composante2_->setGeometry(RectFromTwips(2160, 1320, 4575, 495));

    AddLabel(QStringLiteral("Label1"), texts::kLabel1, RectFromTwips(960, 720, 1215, 495));
    AddLabel(QStringLiteral("Label2"), texts::kLabel2, RectFromTwips(960, 1440, 1215, 615));
    Analyser_ = AddButton(QStringLiteral("Analyser"), texts::kAnalyser, RectFromTwips(240, 360, 1095, 495));
    Resultats_
        = AddButton(QStringLiteral("Résultats"), texts::kResultats, RectFromTwips(240, 960, 1095, 495));
    Quitter_ = AddButton(QStringLiteral("Quitter"), texts::kQuitter, RectFromTwips(5760, 120, 1215, 375));
    AddLabel(QStringLiteral("Système"), texts::kSysteme, RectFromTwips(120, 120, 1575, 375));
    QLabel* label3
        = AddLabel(QStringLiteral("Label3"), texts::kLabel3, RectFromTwips(2160, 1920, 4575, 1095));
    label3->setWordWrap(true);
    Hamiltonien_
        = AddButton(QStringLiteral("Hamiltonien"), texts::kHamiltonien, RectFromTwips(240, 2760, 1095, 495));
    Calculs_explicatifs_ = AddButton(QStringLiteral("Calculs_explicatifs"), texts::kCalculsExplicatifs,
        RectFromTwips(240, 2160, 1095, 495));
    Points_fixes_
        = AddButton(QStringLiteral("Points_fixes"), texts::kPointsFixes, RectFromTwips(240, 1560, 1095, 495));
    Aide_sur_la_theorie_ = AddButton(QStringLiteral("Aide_sur_la_théorie"), texts::kAideSurLaTheorie,
        RectFromTwips(4200, 3120, 2295, 375));
    AddLabel(QStringLiteral("Rappels"), texts::kRappels, RectFromTwips(2160, 3120, 2055, 375));
    ASTUCES_ = AddButton(QStringLiteral("ASTUCES"), texts::kAstuces, RectFromTwips(240, 4080, 1095, 255));
    Enregistrer_
        = AddButton(QStringLiteral("Enregistrer"), texts::kEnregistrer, RectFromTwips(240, 3480, 1095, 495));
    Informations_ = AddButton(
        QStringLiteral("Informations"), texts::kInformations, RectFromTwips(2160, 3720, 1455, 495));

    const QWidget* chain[] = { Nom_, Composante1_, Composante2_, Analyser_, Resultats_, Quitter_,
        Hamiltonien_, Calculs_explicatifs_, Points_fixes_, Aide_sur_la_theorie_, ASTUCES_, Enregistrer_,
        Informations_ };
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        setTabOrder(const_cast<QWidget*>(chain[i]), const_cast<QWidget*>(chain[i + 1]));
}

QPushButton* Form1::AddButton(const QString& name, const QString& caption, const QRect& rect)
{
    auto* button = new CaptionButton(caption, client_);
    button->setObjectName(name);
    button->setGeometry(rect);
    // Outside a dialog a button answers Enter only when it is auto-default:
    // Enter then clicks the focused button, and no button is the default.
    button->setAutoDefault(true);
    button->setDefault(false);
    return button;
}

QLabel* Form1::AddLabel(const QString& name, const QString& caption, const QRect& rect)
{
    auto* label = new QLabel(caption, client_);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

void Form1::BuildMenu()
{
    mnuAide_ = menuBar()->addMenu(texts::kMenuAide);
    mnuAide_->setObjectName(QStringLiteral("mnuAide"));
    mnuApropos_ = mnuAide_->addAction(texts::kMenuApropos);
    mnuApropos_->setObjectName(QStringLiteral("mnuApropos"));
    mnuInfo_ = mnuAide_->addAction(texts::kMenuInfo);
    mnuInfo_->setObjectName(QStringLiteral("mnuInfo"));
}

void Form1::Wire()
{
    connect(Nom_, &QComboBox::activated, this, [this](int) { Nom_Click(); });
    connect(Composante1_, &QLineEdit::textChanged, this, [this](const QString&) { Composante1_Change(); });
    connect(Composante2_, &QLineEdit::textChanged, this, [this](const QString&) { Composante2_Change(); });
    connect(Analyser_, &QPushButton::clicked, this, [this] { Analyser_Click(); });
    connect(Resultats_, &QPushButton::clicked, this, [this] { Résultats_Click(); });
    connect(Points_fixes_, &QPushButton::clicked, this, [this] { Points_fixes_Click(); });
    connect(Hamiltonien_, &QPushButton::clicked, this, [this] { Hamiltonien_Click(); });
    connect(Calculs_explicatifs_, &QPushButton::clicked, this, [this] { Calculs_explicatifs_Click(); });
    connect(Enregistrer_, &QPushButton::clicked, this, [this] { Enregistrer_Click(); });
    connect(ASTUCES_, &QPushButton::clicked, this, [this] { ASTUCES_Click(); });
    connect(Aide_sur_la_theorie_, &QPushButton::clicked, this, [this] { Aide_sur_la_théorie_Click(); });
    connect(Informations_, &QPushButton::clicked, this, [this] { Informations_Click(); });
    connect(Quitter_, &QPushButton::clicked, this, [this] { Quitter_Click(); });
    connect(mnuApropos_, &QAction::triggered, this, [this] { mnuApropos_Click(); });
    connect(mnuInfo_, &QAction::triggered, this, [this] { mnuInfo_Click(); });
}

// --- FormControls -----------------------------------------------------------

QWidget* Form1::widget(Control c) const
{
    switch (c) {
    case Control::Nom:
        return Nom_;
    case Control::Composante1:
        return Composante1_;
    case Control::Composante2:
        return Composante2_;
    case Control::Analyser:
        return Analyser_;
    case Control::Resultats:
        return Resultats_;
    case Control::Quitter:
        return Quitter_;
    case Control::Hamiltonien:
        return Hamiltonien_;
    case Control::Calculs_explicatifs:
        return Calculs_explicatifs_;
    case Control::Points_fixes:
        return Points_fixes_;
    case Control::Aide_sur_la_theorie:
        return Aide_sur_la_theorie_;
    case Control::ASTUCES:
        return ASTUCES_;
    case Control::Enregistrer:
        return Enregistrer_;
    case Control::Informations:
        return Informations_;
    }
    return nullptr;
}

QString Form1::Text(Control c) const
{
    switch (c) {
    case Control::Nom:
        return Nom_->currentText();
    case Control::Composante1:
        return Composante1_->text();
    case Control::Composante2:
        return Composante2_->text();
    default:
        return static_cast<const QPushButton*>(widget(c))->text();
    }
}

void Form1::SetText(Control c, const QString& text)
{
    // Only the two component boxes have a text that the handlers set.
    if (c == Control::Composante1) Composante1_->setText(text);
    if (c == Control::Composante2) Composante2_->setText(text);
}

void Form1::AddNomItem(const QString& text)
{
    Nom_->addItem(text);
}

void Form1::SetFocus(Control c)
{
    if (QWidget* w = widget(c)) w->setFocus(Qt::OtherFocusReason);
}

// --- Handlers ---------------------------------------------------------------

template <typename Action> void Form1::RunHandler(Action&& action) noexcept
{
    try {
        action();
    } catch (const PlatformError& e) {
        Report(e);
    } catch (const std::bad_alloc&) {
        Report(PlatformError(texts::kErrOutOfMemory, texts::kOutOfMemory));
    } catch (const std::exception& e) {
        Report(PlatformError(texts::kErrInternal, texts::InternalError(QString::fromLocal8Bit(e.what()))));
    } catch (...) {
        Report(PlatformError(texts::kErrInternal, texts::kUnknownError));
    }
}

void Form1::Report(const PlatformError& error) noexcept
{
    try {
        platform_.MsgBox(ErrorReport(error));
    } catch (...) {
        // Nothing left to report with; the window goes on.
    }
}

void Form1::Form_Load()
{
    state_.iana = 0;
    state_.iastu = 0;
    RunHandler([this] { ChargerCatalogue(platform_, *this, state_); });
    // Nothing is selected at start, so Nom's text is empty.
    Nom_->setCurrentIndex(-1);
}

void Form1::Nom_Click()
{
    RunHandler([this] { vindrel::Nom_Click(*this, state_); });
}

void Form1::Composante1_Change()
{
    state_.iana = 0;
}

void Form1::Composante2_Change()
{
    state_.iana = 0;
}

void Form1::Analyser_Click()
{
    RunHandler([this] { vindrel::Analyser_Click(platform_, *this, state_); });
}

void Form1::Résultats_Click()
{
    RunHandler([this] { vindrel::Résultats_Click(platform_, *this, state_); });
}

void Form1::Points_fixes_Click()
{
    RunHandler([this] { vindrel::Points_fixes_Click(platform_, *this, state_); });
}

void Form1::Hamiltonien_Click()
{
    RunHandler([this] { vindrel::Hamiltonien_Click(platform_, *this, state_); });
}

void Form1::Calculs_explicatifs_Click()
{
    RunHandler([this] { vindrel::Calculs_explicatifs_Click(platform_, *this, state_); });
}

void Form1::Enregistrer_Click()
{
    RunHandler([this] { vindrel::Enregistrer_Click(platform_, *this); });
}

void Form1::ASTUCES_Click()
{
    RunHandler([this] { vindrel::ASTUCES_Click(platform_, state_); });
}

void Form1::Aide_sur_la_théorie_Click()
{
    RunHandler([this] { vindrel::Aide_sur_la_théorie_Click(platform_); });
}

void Form1::Informations_Click()
{
    RunHandler([this] { vindrel::Informations_Click(platform_); });
}

void Form1::mnuInfo_Click()
{
    RunHandler([this] { vindrel::Informations_Click(platform_); });
}

void Form1::Quitter_Click()
{
    RunHandler([this] { platform_.End(); });
}

void Form1::mnuApropos_Click()
{
    RunHandler([this] {
        if (!about_) about_ = new About(platform_, this);
        about_->SetApplication(texts::kAboutApplication);
        about_->SetHeading(texts::kAboutHeading);
        about_->SetCopyright(texts::kAboutCopyright);
        about_->Display();
        // Without a window manager nothing gives the keyboard back.
        if (isVisible()) activateWindow();
    });
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing the window ends the program, as Quitter does.
    RunHandler([this] { platform_.End(); });
    event->accept();
}

} // namespace vindrel
