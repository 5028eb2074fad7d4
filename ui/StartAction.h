#pragma once
// The settings screen's start action: collects the pictures for a game from the folder the
// file list shows, checked on workers and taken in list order; when a folder other than the
// program folder holds too few, it says so and tops them up from the program folder. The
// screen stays responsive meanwhile and shows that it works: a busy cursor, and after half a
// second a progress bar in the free strip between the emblem and the start button.

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

#include "pictures/PictureWork.h"
#include "ui/Services.h"

namespace tavik {

class OptionsForm;
class QuitQuestion;

class StartAction : public QObject {
    Q_OBJECT
public:
    // Works on `form`'s lists, cursor and free strip; its next step waits for `question`.
    StartAction(Services services, PictureWork work, OptionsForm& form, QuitQuestion& question,
                QObject* parent = nullptr);
    ~StartAction() override;

    // Collects for a board of `spielfeldgroesse` and the player `name`, as they are at the
    // press. Not while it collects already.
    void start(int spielfeldgroesse, const QString& name);
    bool running() const { return run_ != nullptr; }
    // Ends a collection at once and leaves nothing behind: no further signal, no check or
    // folder read still on its way reaches it, the cursor and the bar are gone.
    void stop();

signals:
    void taken(const QString& path);       // a picture for the game, in list order
    void progress(int decided, int total); // entries of the folder now walked, decided so far
    void examined(const QString& path);    // the last entry a collection examined
    // The pictures are together, or as many as there are: the game can start.
    void finished(int spielfeldgroesse, const QString& name, const QStringList& pictures);

private:
    struct Run;
    // Examines the first `count` entries of File1, taking acceptable pictures in list order
    // until the pairs are together; then `andThen` runs.
    void Sammle_Bilder(double count, std::function<void()> andThen);
    void afterFirstCollection();
    // The next step: held while the quit question is open, dropped once this run has ended.
    void nextStep(std::function<void()> step);
    void showProgressBar();
    void finish();
    QString programFolder() const;

    Services services_;
    PictureWork work_;
    OptionsForm& form_;
    QuitQuestion& question_;
    std::unique_ptr<Run> run_;
    quint64 runNumber_ = 0; // a new one for each start and each end
};

} // namespace tavik
