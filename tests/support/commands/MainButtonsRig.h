#pragma once
// The main window's drawn buttons as start-up creates them, over a surface of
// type Surface (a plain widget, or the main window's own surface made from
// the buttons), with what they announce recorded: the bar's writes and the
// connection calls. Header only: it builds into the programs that
// already link commands/.
#include "commands/EseguiButt.h"
#include "commands/MainButtons.h"
#include "support/RecordingDisplay.h"

#include <QLabel>
#include <QTest>
#include <QWidget>
#include <memory>
#include <type_traits>

template <class Surface = QWidget> struct MainButtonsRig {
    ButtonBar bar;
    CButton connect, disconnect;
    Surface surface = makeSurface();
    RecordingDisplay display;
    QStringList written;
    QStringList calls;
    bool connectSucceeds = false;
    std::unique_ptr<MainButtons> buttons;

    MainButtonsRig() {
        connect.init("Connetti", 5, 180, 3, true, winRgb(255, 255, 128), 250, 25);
        disconnect.init("Disconnetti", 5, 265, 3, false, winRgb(255, 255, 128), 335, 25);
        for (int i = 0; i < 8; ++i)
            bar[size_t(i)].init(QString(), 40, 10 + 85 * i, 3, false, std::nullopt,
                                10 + 85 * i + 70, 60);
        buttons = std::make_unique<MainButtons>(&surface, bar, connect, disconnect);
        // The rig stands in for the session: it answers a successful request,
        // and the end of the connection, by telling the buttons.
        QObject::connect(buttons.get(), &MainButtons::connettiPressed, [this] {
            calls << "connetti";
            if (connectSucceeds)
                buttons->showConnected(true);
        });
        QObject::connect(buttons.get(), &MainButtons::disconnettiPressed, [this] {
            buttons->showConnected(false);
            calls << QString("disconnetti:%1").arg(connect.Attivo());
        });
        QObject::connect(buttons.get(), &MainButtons::barButtonPressed, [this](const CButton& b) {
            EseguiButt(b, display, [this](const QString& s) { written << s; });
        });
        surface.resize(900, 600);
        surface.show();
    }

    void activate(int n, const QString& azione) {
        bar[size_t(n - 1)].setAttivo(true);
        bar[size_t(n - 1)].setAzione(azione);
    }
    QLabel* cell(int n) { return surface.template findChild<QLabel*>(QString("lblShp_%1").arg(n)); }
    void moveOver(int n) { QTest::mouseMove(cell(n), QPoint(40, 10)); }
    void click(int n) { QTest::mousePress(cell(n), Qt::LeftButton, {}, QPoint(40, 10)); }
    // The cells (1 to 8 the bar, 9 and 10 the pair) whose button is highlighted.
    QList<int> highlighted() const {
        QList<int> on;
        for (int i = 0; i < 8; ++i)
            if (bar[size_t(i)].Selezionato())
                on << i + 1;
        if (connect.Selezionato())
            on << 9;
        if (disconnect.Selezionato())
            on << 10;
        return on;
    }

private:
    Surface makeSurface() {
        if constexpr (std::is_default_constructible_v<Surface>)
            return Surface();
        else
            return Surface(bar, connect, disconnect);
    }
};
