// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/OptionsWindow.h"

#include "rules/Grid.h"
#include "pictures/PictureDecoder.h"
#include "pictures/ByteLimits.h"
#include "pictures/Fit.h"
#include "platform/DiskWork.h"
#include "platform/FileSystem.h"
#include "ui/StartAction.h"

namespace tavik {

namespace {

// The standard decoder of the preview; runs on a worker. The box takes the picture's
// upright size fitted into 1500 x 1500 twips; the picture fills it inside its border.
PictureLoader::Decode previewDecode(int border)
{
    return [border](const QString& path, QSize /*inside*/, qreal dpr) {
        const auto fit = [](QSize upright) {
            const QSize twips = previewTwips(upright);
            return QSize(px(twips.width()), px(twips.height()));
        };
        return decodeForBox(path, fit, border, dpr);
    };
}

// What the preview's worker finds: a file too big for the preview (known from its length
// alone), or the picture.
struct Preview {
    bool tooLarge = false;
    Decoded picture;
};

} // namespace

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
    start_ = new StartAction(services_, work_, *this, quitQuestion_, this);
    connect(start_, &StartAction::taken, this, [this] { ++ErsteAnzahl; });
    connect(start_, &StartAction::examined, this, [this](const QString& path) { BildPfad = path; });
    connect(start_, &StartAction::finished, this, &OPTIONS::startGame);
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

bool OPTIONS::collecting() const
{
    return start_->running();
}

QString OPTIONS::programFolderShown() const
{
    return normalFolder(services_.folder.path());
}

void OPTIONS::Form_Load()
{
    Pfad = joinPath(programFolderShown(), QString());
    Spielfeldgroesse = 10;
    lstGroesse->setCurrentRow(3);
    // The volumes are found on a worker: a mount that no longer answers cannot hold the screen.
    // The job starts from the mount table; were it booked against "/", one dead mount would
    // keep "/" itself from being opened while its statfs hangs.
    runOnDisk<QList<Volume>>(this, QStringLiteral("/proc/self/mountinfo"), listVolumes,
                             [this](const std::optional<QList<Volume>>& v) { showDrives(v ? *v : alwaysListedVolumes()); });
    Dir1->openFolder(Pfad);
}

void OPTIONS::showDrives(const QList<Volume>& volumes)
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
    voice->say(Drive1->driveText()); // the drive box itself does not say it
}

void OPTIONS::driveNotReady(const QString& folder)
{
    if (folder != driveFolder_ || driveError_)
        return; // a folder the player opened, or the fallback itself cannot be read
    driveError_ = true;
    services_.box.show(QStringLiteral("Das Laufwerk ") + Drive1->driveText() + QStringLiteral(" ist nicht bereit !"),
                       kTitel, MsgIcon::Critical, MsgButtons::Ok);
    Drive1->setDrive(QStringLiteral("/"));
    driveFolder_.clear(); // the fallback itself is not reported again
    Dir1->openFolder(QStringLiteral("/"));
    driveError_ = false;
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
    const quint64 nr = ++previewNumber_;
    // Even the file's length is read on a worker: on a stalled share a stat can hang too.
    const QString path = BildPfad;
    const QSize insideArea = imgVorschau->size() - QSize(2, 2) * imgVorschau->frameWidth();
    const qreal dpr = imgVorschau->devicePixelRatioF();
    runOnDisk<Preview>(
        this, path,
        [decode = work_.decode, path, insideArea, dpr] {
            if (tooLargeForPreview(extensionOf(path), fileLength(path)))
                return Preview{true, {}};
            if (!fileAnswers(path))
                return Preview{};
            return Preview{false, decode(path, insideArea, dpr)};
        },
        [this, nr](const std::optional<Preview>& v) {
            // A later click owns the preview; past the deadline it stays hidden.
            if (nr != previewNumber_ || !v)
                return;
            if (v->tooLarge) {
                services_.box.show(QStringLiteral("Das Bild ist zu gross für Tavik"), kTitel, MsgIcon::Critical,
                                   MsgButtons::Ok);
                return;
            }
            // A file that cannot be measured or decoded leaves the preview hidden.
            if (!v->picture.image.isNull())
                showPreview(QPixmap::fromImage(v->picture.image), v->picture.fitted);
        },
        work_.deadline);
}

void OPTIONS::showPreview(const QPixmap& pixmap, QSize fitted)
{
    imgVorschau->setPicture(pixmap);
    imgVorschau->resize(fitted);
    imgVorschau->setStretch(true);
    imgVorschau->show();
}

void OPTIONS::cmdNimmOptions_Click()
{
    if (start_->running())
        return; // already collecting: a second press changes nothing
    ErsteAnzahl = 0;
    start_->start(Spielfeldgroesse, txtSpielername->text());
}

void OPTIONS::startGame(int spielfeldgroesse, const QString& name, const QStringList& pictures)
{
    if (!game_)
        game_ = createGame_(spielfeldgroesse, name);
    for (const QString& path : pictures)
        game_->appendPicture(path);
    close();
    game_->showScreen();
}

void OPTIONS::cmdExit_Click()
{
    // A collection that ends while the question is open waits for the answer; on Yes the
    // screen flow stops it with every screen.
    if (quitQuestion_.ask())
        emit quitConfirmed();
}

void OPTIONS::stop()
{
    start_->stop();
    Dir1->stop();
    ++previewNumber_; // a preview on its way is dropped
}

} // namespace tavik
