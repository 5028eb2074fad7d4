#include "settings/OptionsWindow.h"

#include <QFileInfo>

#include "game/Grid.h"
#include "game/PictureFile.h"
#include "settings/Collection.h"
#include "settings/PictureRule.h"
#include "shell/FileSystem.h"

namespace tavik {

OPTIONS::OPTIONS(Services services, GameScreenFactory createGame, QWidget* parent)
    : OptionsForm(parent)
    , services_(services)
    , createGame_(std::move(createGame))
{
    connect(lstGroesse, &QListWidget::currentRowChanged, this, &OPTIONS::lstGroesse_Click);
    connect(cmdNimmOptions, &QPushButton::clicked, this, &OPTIONS::cmdNimmOptions_Click);
    connect(cmdExit, &QPushButton::clicked, this, &OPTIONS::cmdExit_Click);
    connect(Drive1, &DriveListBox::driveChanged, this, &OPTIONS::Drive1_Change);
    connect(Dir1, &DirListBox::folderUnreadable, this, &OPTIONS::driveNotReady);
    connect(Dir1, &DirListBox::pathChanged, this, &OPTIONS::Dir1_Change);
    connect(File1, &FileListBox::fileClicked, this, &OPTIONS::File1_Click);
    Form_Load();
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
    // The drive list starts on the volume that holds the program folder.
    const QList<Volume> volumes = listVolumes();
    Drive1->setVolumes(volumes);
    int best = 0;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString root = joinPath(volumes[i].rootPath, QString());
        if (Pfad.startsWith(root) && root.size() > joinPath(volumes[best].rootPath, QString()).size())
            best = i;
    }
    Drive1->showDrive(best);
    Dir1->setPath(Pfad);
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
    Dir1->setPath(QStringLiteral("/"));
    driveFolder_.clear();
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
    const QString endung = endungVon(BildPfad);
    if (zuGrossFuerVorschau(endung, QFileInfo(BildPfad).size())) {
        services_.box.show(QStringLiteral("Das Bild ist zu gross für Tavik"), kTitel, MsgIcon::Critical,
                           MsgButtons::Ok);
        return;
    }
    // A file that cannot be measured or decoded leaves the preview hidden.
    const auto natural = pictureSize(BildPfad);
    if (!natural)
        return;
    const QSize twips = vorschauTwips(*natural);
    const QSize pixels(px(twips.width()), px(twips.height()));
    const QImage image = loadPicture(BildPfad, pixels);
    if (image.isNull())
        return;
    imgVorschau->setPicture(QPixmap::fromImage(image));
    imgVorschau->resize(pixels);
    imgVorschau->setStretch(true);
    imgVorschau->show();
}

GameScreen* OPTIONS::spiel()
{
    if (!game_)
        game_ = createGame_(Spielfeldgroesse, txtSpielername->text());
    return game_;
}

void OPTIONS::Sammle_Bilder(double count)
{
    Sammlung s;
    s.ordner = Dir1->path();
    s.eintrag = [this](int i) { return File1->entry(i); };
    s.paareNoetig = pairsFor(Spielfeldgroesse);
    s.annehmbar = fuerSpielAnnehmbar;
    s.nimm = [this](const QString& path) { spiel()->appendBild(path); };
    sammleBilder(s, count, ErsteAnzahl, BildPfad);
}

void OPTIONS::cmdNimmOptions_Click()
{
    ErsteAnzahl = 0;
    const int k = Spielfeldgroesse * Spielfeldgroesse;
    const double paare = k / 2.0;
    const QString programm = programmOrdner();
    const bool andererOrdner = File1->path() != programm;
    Sammle_Bilder(andererOrdner ? File1->listCount() : paare);
    if (ErsteAnzahl < paare && andererOrdner) {
        services_.box.show(QStringLiteral("Im Verzeichnis '") + File1->path()
                               + QStringLiteral("' sind nicht genug Bilder vorhanden !") + QChar(13)
                               + QStringLiteral("Die Bilder werden durch Standard-Bilder ergänzt"),
                           kTitel, MsgIcon::None, MsgButtons::Ok);
        // Only a program folder that opens can fill the gap.
        if (Dir1->setPath(programm) && (File1->path() == programm || File1->setPath(programm)))
            Sammle_Bilder(paare - ErsteAnzahl);
    }
    GameScreen* game = spiel();
    close();
    game->zeige();
}

void OPTIONS::cmdExit_Click()
{
    if (frageBeenden(services_.box))
        emit beenden();
}

} // namespace tavik
