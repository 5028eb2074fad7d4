#include "ui/StartAction.h"

#include <QProgressBar>
#include <QTimer>
#include <cmath>

#include "pictures/OrderedChecks.h"
#include "platform/FolderReader.h"
#include "rules/Grid.h"
#include "ui/OptionsForm.h"
#include "ui/QuitQuestion.h"

namespace tavik {

namespace {

constexpr int kProgressBarAfterMs = 500;

} // namespace

// One press of the start button. Its board size, name and folder are those at the press.
struct StartAction::Run {
    int spielfeldgroesse = 10;
    QString name;
    double pairs = 0;
    QString chosenShown; // the chosen folder as the lists show it (control characters as placeholders)
    bool otherFolder = false; // the chosen folder is not the program folder
    QStringList taken;
    OrderedChecks* checks = nullptr;
    QTimer* barAfter = nullptr;
    QProgressBar* bar = nullptr;
    std::shared_ptr<DiskJob> programListing; // the program folder, read for the top-up

    ~Run()
    {
        // No signal of the walk or the timer may reach a start action that has ended.
        if (checks)
            checks->cancel();
        if (barAfter)
            barAfter->stop();
        if (programListing)
            programListing->cancel(); // a read not yet begun is not made at all
        for (QObject* o : std::initializer_list<QObject*>{checks, barAfter, bar})
            if (o)
                o->deleteLater(); // perhaps inside one of their own signals
    }
};

StartAction::StartAction(Services services, PictureWork work, OptionsForm& form, QuitQuestion& question,
                         QObject* parent)
    : QObject(parent)
    , services_(services)
    , work_(std::move(work))
    , form_(form)
    , question_(question)
{
}

StartAction::~StartAction() = default;

QString StartAction::programFolder() const
{
    return normalFolder(services_.folder.path());
}

void StartAction::start(int spielfeldgroesse, const QString& name)
{
    ++runNumber_;
    run_ = std::make_unique<Run>();
    run_->spielfeldgroesse = spielfeldgroesse;
    run_->name = name;
    run_->pairs = spielfeldgroesse * spielfeldgroesse / 2.0;
    run_->chosenShown = form_.File1->shownPath();
    run_->otherFolder = form_.File1->path() != programFolder();

    // The screen stays responsive and shows that it works; a bar after half a second.
    form_.setCursor(Qt::BusyCursor);
    run_->barAfter = new QTimer(this);
    run_->barAfter->setSingleShot(true);
    connect(run_->barAfter, &QTimer::timeout, this, &StartAction::showProgressBar);
    run_->barAfter->start(kProgressBarAfterMs);

    Sammle_Bilder(run_->otherFolder ? form_.File1->listCount() : run_->pairs, [this] { afterFirstCollection(); });
}

void StartAction::showProgressBar()
{
    auto* bar = new QProgressBar(&form_);
    bar->setObjectName(QStringLiteral("prgSammeln"));
    // In the free strip between the emblem and the start button, covering no control.
    bar->setGeometry(form_.width() / 2 + 24, form_.height() - 30, form_.width() / 2 - 72, 16);
    bar->setMaximum(0); // busy until the first entries are decided
    bar->show();
    run_->bar = bar;
}

void StartAction::Sammle_Bilder(double count, std::function<void()> andThen)
{
    const QString folder = form_.File1->path();
    const NameList names = form_.File1->names();
    // As many entries as a loop "for i = 0 to count - 1" visits; past the end they are empty.
    const int n = count <= 0 ? 0 : static_cast<int>(std::ceil(count));

    if (run_->checks)
        run_->checks->deleteLater(); // perhaps inside its own signal
    run_->checks = new OrderedChecks(work_.acceptable, work_.deadline, this);
    connect(run_->checks, &OrderedChecks::taken, this, [this](const QString& path) {
        run_->taken.append(path);
        emit taken(path);
    });
    connect(run_->checks, &OrderedChecks::progress, this, [this](int decided, int total) {
        if (run_->bar) {
            run_->bar->setMaximum(total);
            run_->bar->setValue(decided);
        }
        emit progress(decided, total);
    });
    connect(run_->checks, &OrderedChecks::finished, this,
            [this, folder, names, andThen = std::move(andThen)](int decided) {
                if (decided > 0)
                    emit examined(joinPath(folder, decided <= names.size() ? names.at(decided - 1) : QString()));
                // The next step may open a message box: not inside the walk's own signal.
                QTimer::singleShot(0, this, [this, number = runNumber_, andThen] {
                    if (number == runNumber_)
                        nextStep(andThen);
                });
            });
    run_->checks->start(folder, names, n, pairsFor(run_->spielfeldgroesse) - static_cast<int>(run_->taken.size()));
}

void StartAction::nextStep(std::function<void()> step)
{
    question_.run([this, number = runNumber_, step = std::move(step)] {
        if (number == runNumber_)
            step();
    });
}

void StartAction::afterFirstCollection()
{
    if (run_->taken.size() >= run_->pairs || !run_->otherFolder)
        return finish();
    services_.box.show(QStringLiteral("Im Verzeichnis '") + run_->chosenShown
                           + QStringLiteral("' sind nicht genug Bilder vorhanden !") + QChar(13)
                           + QStringLiteral("Die Bilder werden durch Standard-Bilder ergänzt"),
                       kTitel, MsgIcon::None, MsgButtons::Ok);
    // The program folder is read on a worker like any other; only one that opens can fill the gap.
    const QString program = programFolder();
    run_->programListing = listFolder(this, program, [this, number = runNumber_, program](const std::optional<FolderListing>& listing) {
        if (number != runNumber_)
            return;
        nextStep([this, program, listing] {
            if (!listing)
                return finish();
            form_.Dir1->showListing(program, *listing);
            Sammle_Bilder(run_->pairs - static_cast<double>(run_->taken.size()), [this] { finish(); });
        });
    });
}

void StartAction::finish()
{
    const int spielfeldgroesse = run_->spielfeldgroesse;
    const QString name = run_->name;
    const QStringList pictures = run_->taken;
    stop();
    emit finished(spielfeldgroesse, name, pictures);
}

void StartAction::stop()
{
    ++runNumber_;
    run_.reset();
    form_.unsetCursor();
}

} // namespace tavik
