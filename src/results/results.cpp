#include "results/results.h"

#include "analysis/paths.h"
#include "app/file_channels.h"
#include "catalogue/catalogue.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <array>

namespace vindrel {

namespace {

const QString kNoSystem = QStringLiteral("Sélectionnez un système d'équations !");
const QString kNotAnalysed = QStringLiteral("Faites d'abord l'analyse du système!");
const QString kMissingResult = QStringLiteral(
    "Le résultat « %1 » est introuvable (fichier %2) : cliquez d'abord sur le bouton Analyser, puis "
    "recommencez quand l'analyse est terminée.");
const QString kCRLF = QStringLiteral("\r\n");

constexpr int kChannelBrisolt = 2;
constexpr int kChannelQuenmar2 = 3;
constexpr int kChannelTarnel2 = 4;
constexpr int kChannelDovra = 5;
constexpr int kChannelSkellin = 6;

// DOS code-page letters, by the byte they were read from; 0 for a byte that
// keeps its Windows-1252 character.
constexpr std::array<char16_t, 256> MakeDosLetters()
{
    std::array<char16_t, 256> table {};
    table[130] = u'é';
    table[138] = u'è';
    table[136] = u'ê';
    table[137] = u'ë';
    table[135] = u'ç';
    table[133] = u'à';
    table[131] = u'â';
    table[132] = u'ä';
    table[150] = u'û';
    table[151] = u'ù';
    table[129] = u'ü';
    table[139] = u'ï';
    table[140] = u'î';
    table[147] = u'ô';
    table[148] = u'ö';
    table[253] = u'²';
    return table;
}

constexpr std::array<char16_t, 256> kDosLetters = MakeDosLetters();

// The words of the missing-result message for a path of the tool directory.
QString MissingResultText(const QString& stfi)
{
    const QString fileName = QFileInfo(stfi).fileName();
    QString description = fileName;
    for (ResultFile file : { ResultFile::Brisolt, ResultFile::Dovra, ResultFile::Skellin,
             ResultFile::Quenmar2, ResultFile::Tarnel2 })
        if (ResultFileName(file) == fileName) description = ResultDescription(file);
    return kMissingResult.arg(description, fileName);
}

// The two guards shared by the four commands; false when the command stops.
bool Guards(Platform& platform, FormControls& form, const WorkingState& state)
{
    if (form.Text(Control::Composante1).isEmpty() || form.Text(Control::Composante2).isEmpty()) {
        platform.MsgBox(kNoSystem);
        form.SetFocus(Control::Composante1);
        return false;
    }
    if (state.iana != 1) {
        platform.MsgBox(kNotAnalysed);
        form.SetFocus(Control::Analyser);
        return false;
    }
    return true;
}

} // namespace

QString DecodeTexte(const QString& st)
{
    const qsizetype length = st.size();
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = st[i];
        const std::optional<unsigned char> byte = UnicodeToWindows1252(c.unicode());
        const char16_t letter = byte ? kDosLetters[*byte] : 0;
        out[i] = letter ? QChar(letter) : c;
    }
    return text;
}

QString LireFichier(Platform& platform, int ifich, const QString& stfi)
{
    FileChannels& files = platform.Files();
    // One open handle for the whole reading: a file replaced meanwhile is
    // read as it was when opened.
    if (!files.OpenInput(ifich, stfi)) return MissingResultText(stfi);
    QString text = DecodeTexte(files.LineInput(ifich).value_or(QString()));
    while (files.Eof(ifich) == false) {
        text += kCRLF;
        text += DecodeTexte(files.LineInput(ifich).value_or(QString()));
    }
    files.Close(ifich);
    return text;
}

bool EstNombreNul(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) return false;
    for (const QChar c : match.captured(1))
        if (c.isDigit() && c != QLatin1Char('0')) return false;
    return true;
}

QString JoindrePointsFixes(const QString& first, const QString& second)
{
    if (EstNombreNul(second)) return first;
    return first + kCRLF + second;
}

void Résultats_Click(Platform& platform, FormControls& form, WorkingState& state)
{
    if (!Guards(platform, form, state)) return;
    platform.MsgBox(LireFichier(platform, kChannelBrisolt, ResultPath(platform, ResultFile::Brisolt)));
    if (state.NewSystemMode()) EtapeEnregistrement(platform, form, RecordVariant::Resultats);
    form.SetFocus(Control::Points_fixes);
}

void Points_fixes_Click(Platform& platform, FormControls& form, WorkingState& state)
{
    if (!Guards(platform, form, state)) return;
    const QString first = LireFichier(platform, kChannelDovra, ResultPath(platform, ResultFile::Dovra));
    const QString second = LireFichier(platform, kChannelSkellin, ResultPath(platform, ResultFile::Skellin));
    platform.MsgBox(JoindrePointsFixes(first, second));
    form.SetFocus(Control::Hamiltonien);
}

void Hamiltonien_Click(Platform& platform, FormControls& form, WorkingState& state)
{
    if (!Guards(platform, form, state)) return;
    platform.MsgBox(LireFichier(platform, kChannelQuenmar2, ResultPath(platform, ResultFile::Quenmar2)));
    form.SetFocus(Control::Calculs_explicatifs);
}

void Calculs_explicatifs_Click(Platform& platform, FormControls& form, WorkingState& state)
{
    if (!Guards(platform, form, state)) return;
    platform.MsgBox(LireFichier(platform, kChannelTarnel2, ResultPath(platform, ResultFile::Tarnel2)));
}

} // namespace vindrel
