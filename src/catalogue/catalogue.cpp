#include "catalogue/catalogue.h"

#include "app/file_channels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace vindrel {

namespace {

// Texts the catalogue shows or relies on.
const QString kCatalogueFileName = QStringLiteral("vindrel.txt");
const QString kNewSystemPhrase = QStringLiteral("Nouveau système");
const QString kDefaultName = QStringLiteral("NOM CHOISI");
const QString kMissingComponents = QStringLiteral("Vous n'avez pas défini les composantes de votre système!");
const QString kTitleEnregistrer = QStringLiteral("Enregistrement d'un nouveau système?");
const QString kTitleResultats = QStringLiteral("Enregistrement du nouveau système?");
const QString kPromptEnregistrer = QStringLiteral(
    "Nom que vous voulez donner à ce nouveau système qui s'ajoutera dès la prochaine activation de la "
    "commande à "
    "la boite de choix des systèmes, et qui possèdera les composantes que vous lui avez attribuées:");
const QString kPromptResultats = QStringLiteral(
    "Nom que vous voulez donner au nouveau système qui s'ajoutera dès la prochaine activation de la commande "
    "à la "
    "boite de choix des systèmes, et qui possèdera les composantes que vous lui avez attribuées:");
const QString kCatalogueFull = QStringLiteral(
    "Le catalogue contient déjà %1 systèmes, le plus grand nombre que le programme sait afficher : "
    "le système « %2 » n'a pas été enregistré.");
const QString kUnrepresentable = QStringLiteral(
    "%1 contient le caractère « %2 » (U+%3), que le fichier du catalogue ne peut pas contenir : "
    "rien n'a été enregistré. Remplacez ce caractère puis recommencez.");
const QString kLineBreak = QStringLiteral("%1 contient un retour à la ligne, qui couperait l'enregistrement "
                                          "du catalogue : rien n'a été enregistré.");
const QString kWhatName = QStringLiteral("Le nom du système");
const QString kWhatComponent1 = QStringLiteral("La composante dx/dt");
const QString kWhatComponent2 = QStringLiteral("La composante dy/dt");
const QString kSurplusWarning = QStringLiteral(
    "vindrel : le catalogue %1 contient plus de %2 systèmes ; la fin du fichier est ignorée.");

constexpr int kReadChannel = 1;
constexpr int kAppendChannel = 7;
constexpr int kLinesPerRecord = 3;

// Error numbers of an uncaught file failure.
constexpr int kErrorPathAccess = 75;
constexpr int kErrorWrite = 57;

QString CataloguePath(const Platform& platform)
{
    return QDir(platform.AppPath()).filePath(kCatalogueFileName);
}

// What appending must know of the catalogue file as it stands: how many
// records loading would find in it, whether its last line is ended, and its
// size (to undo a partial write).
struct CatalogueFileState {
    qint64 records = 0;
    bool lastLineOpen = false;
    qint64 size = 0;
};

CatalogueFileState InspectCatalogue(const QString& path)
{
    CatalogueFileState state;
    // Only a regular file is read: a device or a pipe could give bytes forever.
    if (!QFileInfo(path).isFile()) return state;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return state;
    qint64 lineEnds = 0;
    char last = 0;
    char beforeLast = 0;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(chunk.data(), chunk.size())) > 0) {
        for (qint64 i = 0; i < n; ++i)
            if (chunk[i] == '\r') ++lineEnds; // every CR ends a line, alone or before LF
        if (n >= 2) {
            beforeLast = chunk[n - 2];
        } else {
            beforeLast = last;
        }
        last = chunk[n - 1];
        state.size += n;
    }
    const bool ended = last == '\r' || (last == '\n' && beforeLast == '\r');
    state.lastLineOpen = state.size > 0 && !ended;
    const qint64 lines = lineEnds + (state.lastLineOpen ? 1 : 0);
    state.records = (lines + kLinesPerRecord - 1) / kLinesPerRecord;
    return state;
}

QString FrenchOpenFailure(const QString& path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        return QStringLiteral("Erreur d'accès au chemin ou au fichier : le dossier « %1 » n'existe pas.")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    if (info.isDir())
        return QStringLiteral("Erreur d'accès au chemin ou au fichier : « %1 » est un dossier.")
            .arg(QDir::toNativeSeparators(path));
    return QStringLiteral("Erreur d'accès au chemin ou au fichier : impossible d'ouvrir « %1 » en écriture "
                          "(accès refusé ou disque protégé).")
        .arg(QDir::toNativeSeparators(path));
}

QString CharacterName(char32_t code)
{
    return QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

// The first text of the record that cannot be written, with the message
// that says why; nothing when all three can.
std::optional<QString> RecordProblem(const QStringList& record)
{
    const QString what[] = { kWhatName, kWhatComponent1, kWhatComponent2 };
    for (int i = 0; i < record.size(); ++i) {
        if (record[i].contains(QLatin1Char('\r'))) return kLineBreak.arg(what[i]);
        const Windows1252Encoding encoded = EncodeWindows1252(record[i]);
        if (encoded.unrepresentable) {
            const char32_t code = *encoded.unrepresentable;
            return kUnrepresentable.arg(what[i], QString::fromUcs4(&code, 1), CharacterName(code));
        }
    }
    return std::nullopt;
}

void AppendRecord(Platform& platform, const QStringList& record)
{
    const QString path = CataloguePath(platform);
    const CatalogueFileState before = InspectCatalogue(path);
    if (before.records >= kCatalogueCapacity) {
        platform.MsgBox(kCatalogueFull.arg(kCatalogueCapacity).arg(record.front()));
        return;
    }
    FileChannels& files = platform.Files();
    if (!files.OpenAppend(kAppendChannel, path))
        throw PlatformError(kErrorPathAccess, FrenchOpenFailure(path));

    // A hand-edited file may end without a line end: end that line first so
    // that the new record starts on a line of its own.
    QStringList lines = record;
    if (before.lastLineOpen) lines.prepend(QString());
    const WriteResult written = files.PrintLines(kAppendChannel, lines);
    files.Close(kAppendChannel);
    if (written.status == WriteStatus::Written) return;

    // Undo a partial write so the catalogue keeps only whole records.
    if (QFileInfo(path).isFile()) QFile::resize(path, before.size);
    throw PlatformError(kErrorWrite,
        QStringLiteral("Erreur d'écriture dans le fichier « %1 » : le système n'a pas été "
                       "enregistré (disque plein ou protégé ?).")
            .arg(QDir::toNativeSeparators(path)));
}

} // namespace

void ChargerCatalogue(Platform& platform, FormControls& form, WorkingState& state)
{
    FileChannels& files = platform.Files();
    const QString path = CataloguePath(platform);
    files.OpenInput(kReadChannel, path); // a failure leaves every read failing

    int k = 1;
    for (;;) {
        state.nomsys[k] = files.LineInput(kReadChannel).value_or(QString());
        state.compo1[k] = files.LineInput(kReadChannel).value_or(QString());
        state.compo2[k] = files.LineInput(kReadChannel).value_or(QString());
        form.AddNomItem(state.nomsys[k]);
        ++k;
        const std::optional<bool> eof = files.Eof(kReadChannel);
        if (!eof || *eof) break;
        if (k > kCatalogueCapacity) {
            // The tables are full and bytes remain: say so once and stop.
            const QByteArray warning
                = kSurplusWarning.arg(QDir::toNativeSeparators(path)).arg(kCatalogueCapacity).toLocal8Bit()
                + '\n';
            std::fwrite(warning.constData(), 1, static_cast<std::size_t>(warning.size()), stderr);
            std::fflush(stderr);
            break;
        }
    }
    state.Max = k - 1;
    files.Close(kReadChannel);
}

void Nom_Click(FormControls& form, WorkingState& state)
{
    const QString t = form.Text(Control::Nom);
    state.inew = t.contains(kNewSystemPhrase) ? 1 : 0;
    const int last = std::min(state.Max, kCatalogueCapacity);
    for (int j = 1; j <= last; ++j) {
        if (t == state.nomsys[j]) {
            form.SetText(Control::Composante1, state.compo1[j]);
            form.SetText(Control::Composante2, state.compo2[j]);
            state.iana = 0;
        }
    }
    form.SetFocus(Control::Composante1);
}

void Enregistrer_Click(Platform& platform, FormControls& form)
{
    if (form.Text(Control::Composante1).isEmpty() || form.Text(Control::Composante2).isEmpty()) {
        platform.MsgBox(kMissingComponents);
        form.SetFocus(Control::Composante1);
        return;
    }
    EtapeEnregistrement(platform, form, RecordVariant::Enregistrer);
}

void EtapeEnregistrement(Platform& platform, const FormControls& form, RecordVariant variant)
{
    const bool fromEnregistrer = variant == RecordVariant::Enregistrer;
    const QString answer = platform.InputBox(fromEnregistrer ? kPromptEnregistrer : kPromptResultats,
        fromEnregistrer ? kTitleEnregistrer : kTitleResultats, kDefaultName, 0, 0);
    if (answer.contains(kDefaultName) || answer.isEmpty()) return;

    const QStringList record = { answer, form.Text(Control::Composante1), form.Text(Control::Composante2) };
    if (auto problem = RecordProblem(record)) {
        platform.MsgBox(*problem);
        return;
    }
    AppendRecord(platform, record);
}

} // namespace vindrel
