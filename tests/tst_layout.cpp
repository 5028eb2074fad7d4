// SPDX-License-Identifier: GPL-3.0-or-later
// The three windows against their layout tables: every control's kind, name, place, size,
// text, tooltip and starting state; fonts and colours; the keyboard order; window flags; what
// a screen reader hears of the controls.

#include <QAccessible>
#include <QtTest>

#include <QLineEdit>

#include "ui/MainWindow.h"
#include "ui/OptionsWindow.h"
#include "ui/CardButton.h"
#include "ui/IntroWindow.h"
#include "ui/ScreenReader.h"
#include "tests/TestDoubles.h"

using namespace tavik;

namespace {

void addRow(const char* window, const char* name, const char* kind, QRect px, const QString& text,
            const QString& tooltip, bool hidden = false)
{
    QTest::addRow("%s %s", window, name) << QString(window) << QString(name) << QString(kind) << px << text
                                          << tooltip << hidden;
}

QString textOf(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return {};
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

    test::ScriptedWorld world;
    std::unique_ptr<IntroWindow> intro;
    std::unique_ptr<OPTIONS> options;
    std::unique_ptr<MAIN> main;
    test::RecordingGame nullGame;

    QWidget* window(const QString& name)
    {
        return name == "INTRO" ? static_cast<QWidget*>(intro.get())
               : name == "OPTIONS" ? static_cast<QWidget*>(options.get())
                                   : static_cast<QWidget*>(main.get());
    }

private slots:
    void initTestCase()
    {
        world.folder.folder = QDir::tempPath();
        intro = std::make_unique<IntroWindow>();
        options = std::make_unique<OPTIONS>(world.services(), [this](int, const QString&) { return &nullGame; });
        main = std::make_unique<MAIN>(world.services(), 10, QStringLiteral("Label1"));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("win");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<bool>("hidden");

        addRow("INTRO", "Image1", "QLabel", {0, 0, 280, 107}, {}, {});

        addRow("OPTIONS", "Frame1", "QFrame", {0, 0, 153, 145}, {}, {});
        addRow("OPTIONS", "Label1", "QLabel", {32, 16, 73, 17}, "Spielfeldgrösse", {});
        addRow("OPTIONS", "lstGroesse", "QListWidget", {48, 32, 41, 56}, {}, "Wählen Sie hier die Spielfeldgrösse");
        addRow("OPTIONS", "Label2", "QLabel", {16, 96, 65, 17}, "Spielername:", {});
        addRow("OPTIONS", "txtSpielername", "QLineEdit", {16, 112, 121, 19}, "Noname", "Geben Sie hier Ihren Namen ein");
        addRow("OPTIONS", "Frame2", "QFrame", {160, 0, 409, 145}, {}, {});
        addRow("OPTIONS", "Drive1", "QComboBox", {16, 16, 121, 21}, {}, "Wählen Sie hier das Laufwerk, welches die Bilder enthält");
        addRow("OPTIONS", "Dir1", "QListWidget", {16, 40, 121, 96}, {}, "Wählen Sie hier den Ordner, welcher die Bilder enthält");
        addRow("OPTIONS", "File1", "QListView", {144, 24, 137, 110}, {}, "Sehen Sie sich hier die Bilder an");
        addRow("OPTIONS", "imgVorschau", "QLabel", {288, 32, 100, 100}, {}, {});
        addRow("OPTIONS", "cmdExit", "QPushButton", {0, 152, 41, 41}, {}, "Tavik beenden");
        addRow("OPTIONS", "Image1", "QLabel", {248, 152, 41, 41}, {}, {});
        addRow("OPTIONS", "cmdNimmOptions", "QPushButton", {528, 152, 41, 41}, {}, "Einstellungen übernehmen und Spiel beginnen");

        addRow("MAIN", "lblSpielername", "QLabel", {24, 8, 609, 25}, "Label1", {});
        addRow("MAIN", "lblVersuche", "QLabel", {24, 40, 153, 25}, "Versuche: 0", {});
        addRow("MAIN", "lblGefunden", "QLabel", {280, 40, 153, 25}, "Paare: 0", {});
        addRow("MAIN", "lblZeit", "QLabel", {480, 40, 153, 49}, "Zeit: 00:00:00", {});
        addRow("MAIN", "imgKarteOffen_0", "QLabel", {16, 88, 169, 169}, {}, "Ihre erste geöffnete Karte", true);
        addRow("MAIN", "imgKarteOffen_1", "QLabel", {16, 272, 169, 169}, {}, "Ihre zweite geöffnete Karte", true);
        addRow("MAIN", "frmSpiel", "QFrame", {200, 80, 441, 441}, {}, {});
        addRow("MAIN", "frmHallOfFame", "QFrame", {200, 80, 441, 441}, {}, {}, true);
        addRow("MAIN", "frmMischen", "QFrame", {24, 24, 201, 121}, {}, {});
        addRow("MAIN", "lblMischen", "QLabel", {32, 40, 129, 33}, "MISCHEN", {});
        addRow("MAIN", "cmdHallOfFame", "QPushButton", {16, 464, 41, 41}, {}, "Highscoreanzeige");
        addRow("MAIN", "cmdOptions", "QPushButton", {64, 464, 41, 41}, {}, "Neustart / neue Einstellungen");
        addRow("MAIN", "cmdExit", "QPushButton", {112, 464, 41, 41}, {}, "Tavik beenden");
        addRow("MAIN", "lstBilder", "QListWidget", {8, 0, 177, 30}, {}, {}, true);
        addRow("MAIN", "Label1", "QLabel", {112, 344, 225, 57},
               "Klicken Sie erneut auf den Button für die Highscoretabelle, um zum Spiel zurückzukehren.", {});
        addRow("MAIN", "Line1", "QFrame", {8, 48, 424, 1}, {}, {});
        const char* place[11] = {"Platz", " 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9", "10"};
        const int platzWidth[11] = {615, 375, 495, 375, 375, 495, 375, 375, 375, 375, 495};
        for (int row = 0; row <= 10; ++row) {
            const int top = px(row == 0 ? 360 : 600 + 360 * row);
            const QByteArray p = "lblHighPlatz_" + QByteArray::number(row);
            const QByteArray n = "lblHighName_" + QByteArray::number(row);
            const QByteArray s = "lblHighPunkte_" + QByteArray::number(row);
            addRow("MAIN", p.constData(), "QLabel", {8, top, px(platzWidth[row]), 17}, place[row], {});
            addRow("MAIN", n.constData(), "QLabel", row == 0 ? QRect(72, top, 233, 17) : QRect(40, top, 273, 17), "Name", {});
            addRow("MAIN", s.constData(), "QLabel", {328, top, 105, 17}, row == 0 ? "Punkte" : "0", {});
        }
    }
    void controls()
    {
        QFETCH(QString, win);
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(QString, tooltip);
        QFETCH(bool, hidden);
        auto* w = window(win)->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY(w->inherits(kind.toLatin1()));
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(textOf(w), text);
        QCOMPARE(w->toolTip(), tooltip);
        QCOMPARE(w->isHidden(), hidden);
    }

    void heard_data()
    {
        QTest::addColumn<QString>("win");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("heard");       // the name, or the label that names the control
        QTest::addColumn<QString>("description"); // null: not checked here
        const auto row = [](const char* win, const char* name, QAccessible::Role role, const char* heard,
                            const QString& description = {}) {
            QTest::addRow("%s %s", win, name) << QString(win) << QString(name) << int(role) << QString(heard) << description;
        };
        row("OPTIONS", "Frame1", QAccessible::Grouping, "");
        row("OPTIONS", "lstGroesse", QAccessible::List, "Spielfeldgrösse", "10x10");
        row("OPTIONS", "Drive1", QAccessible::ComboBox, "Laufwerk:");
        row("OPTIONS", "Dir1", QAccessible::List, "Ordner");
        row("OPTIONS", "File1", QAccessible::List, "Bilder", "");
        row("OPTIONS", "txtSpielername", QAccessible::EditableText, "Spielername:");
        row("OPTIONS", "announcer", QAccessible::Notification, "");
        row("MAIN", "frmSpiel", QAccessible::Grouping, "");
        row("MAIN", "frmHallOfFame", QAccessible::Grouping, "");
        row("MAIN", "cmdBild_9", QAccessible::Button, "Karte 10, Reihe 1, Spalte 10", "Verdeckt");
        row("MAIN", "cmdBild_10", QAccessible::Button, "Karte 11, Reihe 2, Spalte 1", "Verdeckt");
        row("MAIN", "announcer", QAccessible::Notification, "");
    }
    void heard()
    {
        QFETCH(QString, win);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, heard);
        QFETCH(QString, description);
        auto* w = window(win)->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QCOMPARE(int(a->role()), role);
        const auto labels = a->relations(QAccessible::Label);
        QCOMPARE(labels.isEmpty() ? a->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name), heard);
        if (!description.isNull())
            QCOMPARE(a->text(QAccessible::Description), description);
    }

    void onlyTheLaidOutControlsShow()
    {
        // What is there only for a screen reader (a label that names, a line that speaks) is
        // never shown: every widget shown on a window or in its frames is a control of the layout.
        for (QWidget* win : {window("OPTIONS"), window("MAIN")})
            for (QWidget* w : win->findChildren<QWidget*>())
                if ((w->parentWidget() == win || qobject_cast<Panel*>(w->parentWidget())) && w->isVisibleTo(win))
                    QVERIFY2(!w->objectName().isEmpty() && w->objectName() != "announcer", qPrintable(w->objectName()));
    }

    void windows()
    {
        QCOMPARE(intro->size(), QSize(280, 108));
        QCOMPARE(options->size(), QSize(570, 194));
        QCOMPARE(main->size(), QSize(653, 531));
        QCOMPARE(main->windowTitle(), QStringLiteral("Tavik V1.1"));
        for (QWidget* w : {window("INTRO"), window("OPTIONS"), window("MAIN")}) {
            QVERIFY(!(w->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(!(w->windowFlags() & Qt::WindowSystemMenuHint));
            QVERIFY(!(w->windowFlags() & Qt::WindowMinMaxButtonsHint));
        }
        QVERIFY(main->windowFlags() & Qt::WindowTitleHint);
        QCOMPARE(intro->windowType(), Qt::SplashScreen); // kept out of the task bar
        QVERIFY(intro->Timer1->isActive());
        QCOMPARE(intro->Timer1->interval(), 2000);
    }

    void sizeListAndTimers()
    {
        QStringList items;
        for (int i = 0; i < options->lstGroesse->count(); ++i)
            items << options->lstGroesse->item(i)->text();
        QCOMPARE(items, QStringList({"4 x 4", "6 x 6", "8 x 8", "10x10"}));
        QCOMPARE(main->tmrLadeBilder->interval(), 1000);
        QVERIFY(main->tmrLadeBilder->isActive());
        QCOMPARE(main->tmrKlick->interval(), 1500);
        QVERIFY(!main->tmrKlick->isActive());
        QCOMPARE(main->tmrZeit->interval(), 1000);
        QVERIFY(!main->tmrZeit->isActive());
    }

    void cardsOfTheFullBoard()
    {
        for (int i = 0; i < 100; ++i) {
            QPushButton* card = main->findChild<QPushButton*>(QStringLiteral("cmdBild_%1").arg(i));
            QVERIFY(card);
            QCOMPARE(card->parentWidget(), main->frmSpiel);
            QCOMPARE(card->size(), QSize(41, 41));
            QVERIFY(card->text().isEmpty());
            QVERIFY(card->icon().isNull());
        }
    }

    void fontsAndColours()
    {
        auto pixelSize = [](QWidget* w) { return w->font().pixelSize(); };
        QCOMPARE(pixelSize(main->lblSpielername), 18);
        QVERIFY(main->lblSpielername->font().bold());
        QCOMPARE(pixelSize(main->lblVersuche), 16);
        QCOMPARE(pixelSize(main->lblMischen), 24);
        QVERIFY(main->lblMischen->font().italic());
        QCOMPARE(pixelSize(main->Label1), 13);
        QCOMPARE(main->lblZeit->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(main->lblVersuche->palette().color(QPalette::WindowText), QColor(255, 128, 0));
        QCOMPARE(main->lblGefunden->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        QCOMPARE(main->lblSpielername->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(main->lblHighName[2]->palette().color(QPalette::WindowText), QColor(192, 255, 255));
        QCOMPARE(main->lblHighPunkte[3]->palette().color(QPalette::WindowText), QColor(128, 64, 0));
        QVERIFY(main->lblHighPunkte[5]->alignment() & Qt::AlignRight);
        QVERIFY(main->lblZeit->alignment() & Qt::AlignHCenter);
        QVERIFY(main->Label1->wordWrap());
    }

    void focusOrder()
    {
        auto chain = [](QWidget* first, int steps) {
            QStringList names{first->objectName()};
            QWidget* w = first;
            for (int i = 0; i < steps; ++i) {
                w = w->nextInFocusChain();
                while (w->focusPolicy() == Qt::NoFocus || w->isHidden() || !w->isEnabled())
                    w = w->nextInFocusChain();
                names << w->objectName();
            }
            return names;
        };
        options->show();
        QCOMPARE(options->focusWidget(), options->cmdNimmOptions); // the start button has the focus
        QCOMPARE(chain(options->cmdNimmOptions, 6),
                 QStringList({"cmdNimmOptions", "lstGroesse", "Drive1", "Dir1", "File1", "txtSpielername", "cmdExit"}));
        options->hide();
        QStringList expected;
        for (int i = 0; i < 100; ++i)
            expected << QStringLiteral("cmdBild_%1").arg(i);
        expected << "cmdHallOfFame" << "cmdOptions" << "cmdExit";
        main->frmSpiel->setEnabled(true);
        QCOMPARE(chain(main->cmdBild[0], 102), expected);
    }

    void cardLooks_data()
    {
        QTest::addColumn<QString>("state");
        for (const char* state : {"plain", "under the mouse", "pressed", "with the focus", "disabled"})
            QTest::newRow(state) << QString(state);
    }
    void cardLooks()
    {
        // A card copies the look the card style sheet draws for a push button in the same state.
        QFETCH(QString, state);
        QWidget window;
        CardButton card(&window);
        QPushButton styled(&window);
        styled.setStyleSheet(cardStyleSheet());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto look = [&](QPushButton* button, bool inState) {
            button->setGeometry(button == &card ? 0 : 50, 0, 41, 41);
            button->setEnabled(!inState || state != "disabled");
            inState && state == "with the focus" ? button->setFocus() : button->clearFocus(); // lets a press go
            button->setDown(inState && state == "pressed");
            QTest::mouseMove(&window, inState && state == "under the mouse" ? button->geometry().center() : QPoint(99, 0));
            QImage image(button->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            button->render(&image, {}, {}, QWidget::DrawChildren); // its own painting only
            return image;
        };
        const QImage plain = look(&card, false);
        QCOMPARE(look(&card, true), look(&styled, true));
        QCOMPARE(look(&card, true) == plain, state == "plain"); // the state shows
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
