#include "ui/OptionsWindow.h"

#include <cmath>
#include <QProgressBar>

#include "rules/Grid.h"
#include "pictures/OrderedChecks.h"
#include "pictures/PictureDecoder.h"
#include "pictures/ByteLimits.h"
#include "pictures/Fit.h"
#include "platform/DiskWork.h"
#include "platform/FileSystem.h"
#include "platform/FolderReader.h"


namespace tavik {

namespace {

// The standard decoder of the preview; runs on a worker. The box takes the picture's
// upright size fitted into 1500 x 1500 twips; the picture fills it inside its border.
PictureLoader::Decode previewDecode(int border)
{
    return [border](const QString& path, QSize /*inside*/, qreal dpr) {
        const auto fit = [](QSize upright) {
            const QSize twips = vorschauTwips(upright);
            return QSize(px(twips.width()), px(twips.height()));
        };
        return decodeForBox(path, fit, border, dpr);
    };
}

// What the preview's worker finds: a file too big for the preview (known from its length
// alone), or the picture.
struct Vorschau {
    bool zuGross = false;
    Decoded bild;
};

constexpr int kFortschrittNachMs = 500;

} // namespace

struct OPTIONS::Start {
    int spielfeldgroesse = 10;
    QString name;
    double paare = 0;
    QString gewaehlt; // the chosen folder as File1 reported it at the press
    QString gewaehltGezeigt; // the same as the lists show it (control characters as placeholders)
    bool andererOrdner = false;
    QStringList genommen;
    OrderedChecks* pruefung = nullptr;
    QTimer* fortschrittNach = nullptr;
    QProgressBar* balken = nullptr;

    ~Start()
    {
        // No signal of the walk or the timer may reach a start action that has ended.
        if (pruefung)
            pruefung->cancel();
        if (fortschrittNach)
            fortschrittNach->stop();
        for (QObject* o : std::initializer_list<QObject*>{pruefung, fortschrittNach, balken})
            if (o)
                o->deleteLater(); // perhaps inside one of their own signals
    }
};

OPTIONS::OPTIONS(Services services, GameScreenFactory createGame, QWidget* parent, PictureWork work, bool loaded)
    : OptionsForm(parent)
    , services_(services)
    , createGame_(std::move(createGame))
    , work_(std::move(work))
{
    if (!work_.decode)
        work_.decode = previewDecode(imgVorschau->frameWidth());
    if (!work_.acceptable)
        work_.acceptable = acceptableForGame;
    connect(lstGroesse, &QListWidget::currentRowChanged, this, &OPTIONS::lstGroesse_Click);
    connect(cmdNimmOptions, &QPushButton::clicked, this, &OPTIONS::cmdNimmOptions_Click);
    connect(cmdExit, &QPushButton::clicked, this, &OPTIONS::cmdExit_Click);
    connect(Drive1, &DriveListBox::driveChanged, this, &OPTIONS::Drive1_Change);
    connect(Dir1, &DirListBox::folderUnreadable, this, &OPTIONS::driveNotReady);
    connect(Dir1, &DirListBox::pathChanged, this, &OPTIONS::Dir1_Change);
    connect(File1, &FileListBox::fileClicked, this, &OPTIONS::File1_Click);
    if (loaded)
        Form_Load();
}

OPTIONS::~OPTIONS() = default;

bool OPTIONS::sammelt() const
{
    return start_ != nullptr;
}

QString OPTIONS::programmOrdner() const
{
    return normalFolder(services_.folder.path());
}

void OPTIONS::Form_Load()
{
    Pfad = joinPath(programmOrdner(), QString());
    Spielfeldgroesse = 10;
    lstGroesse->setCurrentRow(3);
    // The volumes are found on a worker: a mount that no longer answers cannot hold the screen.
    runOnDisk<QList<Volume>>(this, QStringLiteral("/"), listVolumes, [this](const std::optional<QList<Volume>>& v) {
        zeigeLaufwerke(v ? *v : QList<Volume>{{QStringLiteral("/"), QStringLiteral("/")}});
    });
    Dir1->openFolder(Pfad);
}

void OPTIONS::zeigeLaufwerke(const QList<Volume>& volumes)
{
    // The drive list starts on the volume that holds the program folder.
    Drive1->setVolumes(volumes);
    int best = 0;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString root = joinPath(volumes[i].rootPath, QString());
        if (Pfad.startsWith(root) && root.size() > joinPath(volumes[best].rootPath, QString()).size())
            best = i;
    }
    Drive1->showDrive(best);
}

void OPTIONS::lstGroesse_Click()
{
    const int index = lstGroesse->currentRow();
    if (index >= 0 && index <= 3)
        Spielfeldgroesse = boardSizeForIndex(index);
}

void OPTIONS::Drive1_Change()
{
    // The drive's folder is read on a worker, so a drive that never answers cannot freeze the
    // screen; a drive that cannot be read is reported when the reading gives up.
    driveFolder_ = normalFolder(Drive1->drive());
    Dir1->openFolder(driveFolder_);
}

void OPTIONS::driveNotReady(const QString& folder)
{
    if (folder != driveFolder_ || laufwerkFehler_)
        return; // a folder the player opened, or the fallback itself cannot be read
    laufwerkFehler_ = true;
    services_.box.show(QStringLiteral("Das Laufwerk ") + Drive1->driveText() + QStringLiteral(" ist nicht bereit !"),
                       kTitel, MsgIcon::Critical, MsgButtons::Ok);
    Drive1->setDrive(QStringLiteral("/"));
    driveFolder_.clear(); // the fallback itself is not reported again
    Dir1->openFolder(QStringLiteral("/"));
    laufwerkFehler_ = false;
}

void OPTIONS::Dir1_Change()
{
    // The folder list has read the folder once for both lists.
    File1->setListing(Dir1->path(), Dir1->files());
}

void OPTIONS::File1_Click(int index)
{
    Pfad = joinPath(File1->path(), QString());
    BildPfad = Pfad + File1->entry(index);
    imgVorschau->hide();
    imgVorschau->setStretch(false);
    const quint64 nr = ++vorschauNr_;
    // Even the file's length is read on a worker: on a stalled share a stat can hang too.
    const QString path = BildPfad;
    const QSize innen = imgVorschau->size() - QSize(2, 2) * imgVorschau->frameWidth();
    const qreal dpr = imgVorschau->devicePixelRatioF();
    runOnDisk<Vorschau>(
        this, path,
        [decode = work_.decode, path, innen, dpr] {
            if (zuGrossFuerVorschau(endungVon(path), fileLength(path)))
                return Vorschau{true, {}};
            if (!fileAnswers(path))
                return Vorschau{};
            return Vorschau{false, decode(path, innen, dpr)};
        },
        [this, nr](const std::optional<Vorschau>& v) {
            // A later click owns the preview; past the deadline it stays hidden.
            if (nr != vorschauNr_ || !v)
                return;
            if (v->zuGross) {
                services_.box.show(QStringLiteral("Das Bild ist zu gross für Tavik"), kTitel, MsgIcon::Critical,
                                   MsgButtons::Ok);
                return;
            }
            // A file that cannot be measured or decoded leaves the preview hidden.
            if (!v->bild.image.isNull())
                zeigeVorschau(QPixmap::fromImage(v->bild.image), v->bild.fitted);
        },
        work_.deadline);
}

void OPTIONS::zeigeVorschau(const QPixmap& pixmap, QSize fitted)
{
    imgVorschau->setPicture(pixmap);
    imgVorschau->resize(fitted);
    imgVorschau->setStretch(true);
    imgVorschau->show();
}

GameScreen* OPTIONS::spiel()
{
    if (!game_) {
        if (start_)
            game_ = createGame_(start_->spielfeldgroesse, start_->name);
        else
            game_ = createGame_(Spielfeldgroesse, txtSpielername->text());
    }
    return game_;
}

// Examines the first `count` entries of File1 on workers, taking acceptable pictures in list
// order until the pairs are together; then `danach` runs.
void OPTIONS::Sammle_Bilder(double count, std::function<void()> danach)
{
    const QString ordner = File1->path();
    const NameList namen = File1->names();
    // As many entries as a loop "for i = 0 to count - 1" visits; past the end they are empty.
    const int n = count <= 0 ? 0 : static_cast<int>(std::ceil(count));

    if (start_->pruefung)
        start_->pruefung->deleteLater(); // perhaps inside its own signal
    start_->pruefung = new OrderedChecks(work_.acceptable, work_.deadline, this);
    connect(start_->pruefung, &OrderedChecks::taken, this, [this](const QString& path) {
        start_->genommen.append(path);
        ++ErsteAnzahl;
    });
    connect(start_->pruefung, &OrderedChecks::progress, this, &OPTIONS::zeigeFortschritt);
    connect(start_->pruefung, &OrderedChecks::finished, this,
            [this, ordner, namen, danach = std::move(danach)](int examined) {
                if (examined > 0)
                    BildPfad = joinPath(ordner, examined <= namen.size() ? namen.at(examined - 1) : QString());
                // The next step may open a message box: not inside the walk's own signal.
                QTimer::singleShot(0, this, [this, danach] { weiter(danach); });
            });
    start_->pruefung->start(ordner, namen, n, pairsFor(start_->spielfeldgroesse) - ErsteAnzahl);
}

// The start action's next step, held back while the quit question is open.
void OPTIONS::weiter(const std::function<void()>& schritt)
{
    quitQuestion_.run([this, schritt] {
        if (start_)
            schritt();
    });
}

void OPTIONS::zeigeFortschritt(int decided, int total)
{
    if (start_ && start_->balken) {
        start_->balken->setMaximum(total);
        start_->balken->setValue(decided);
    }
}

void OPTIONS::cmdNimmOptions_Click()
{
    if (start_)
        return; // already collecting: a second press changes nothing
    start_ = std::make_unique<Start>();
    start_->spielfeldgroesse = Spielfeldgroesse;
    start_->name = txtSpielername->text();
    start_->paare = Spielfeldgroesse * Spielfeldgroesse / 2.0;
    start_->gewaehlt = File1->path();
    start_->gewaehltGezeigt = File1->shownPath();
    start_->andererOrdner = start_->gewaehlt != programmOrdner();
    ErsteAnzahl = 0;

    // The screen stays responsive and shows that it works; a bar after half a second.
    setCursor(Qt::BusyCursor);
    start_->fortschrittNach = new QTimer(this);
    start_->fortschrittNach->setSingleShot(true);
    connect(start_->fortschrittNach, &QTimer::timeout, this, [this] {
        auto* balken = new QProgressBar(this);
        balken->setObjectName(QStringLiteral("prgSammeln"));
        // In the free strip between the emblem and the start button, covering no control.
        balken->setGeometry(width() / 2 + 24, height() - 30, width() / 2 - 72, 16);
        balken->setMaximum(0); // busy until the first entries are decided
        balken->show();
        start_->balken = balken;
    });
    start_->fortschrittNach->start(kFortschrittNachMs);

    Sammle_Bilder(start_->andererOrdner ? File1->listCount() : start_->paare, [this] { nachErsterSammlung(); });
}

void OPTIONS::nachErsterSammlung()
{
    if (ErsteAnzahl >= start_->paare || !start_->andererOrdner)
        return beendeStart();
    services_.box.show(QStringLiteral("Im Verzeichnis '") + start_->gewaehltGezeigt
                           + QStringLiteral("' sind nicht genug Bilder vorhanden !") + QChar(13)
                           + QStringLiteral("Die Bilder werden durch Standard-Bilder ergänzt"),
                       kTitel, MsgIcon::None, MsgButtons::Ok);
    // The program folder is read on a worker like any other; only one that opens can fill the gap.
    const QString programm = programmOrdner();
    listFolder(this, programm, [this, programm](const std::optional<FolderListing>& listing) {
        weiter([this, programm, listing] {
            if (!listing)
                return beendeStart();
            Dir1->showListing(programm, *listing);
            Sammle_Bilder(start_->paare - ErsteAnzahl, [this] { beendeStart(); });
        });
    });
}

void OPTIONS::beendeSammeln()
{
    unsetCursor();
    start_.reset();
}

void OPTIONS::beendeStart()
{
    GameScreen* game = spiel();
    const QStringList genommen = start_->genommen;
    beendeSammeln();
    for (const QString& path : genommen)
        game->appendBild(path);
    close();
    game->zeige();
}

void OPTIONS::cmdExit_Click()
{
    // A collection that ends while the question is open waits for the answer.
    if (quitQuestion_.ask()) {
        beendeSammeln();
        emit beenden();
    }
}

} // namespace tavik
