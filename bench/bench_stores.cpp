// Figures for the trigger store and its editor with a large hand-made file:
// load into the list, save, and opening the editor.
// Run: QT_QPA_PLATFORM=offscreen ./bench_stores [lines]
#include "automation/FrmPairEditor.h"
#include "automation/Stores.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 40000;
    QTemporaryDir dir;
    {
        QFile f(dir.filePath("trigger.txt"));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 0; i < lines; ++i)
            f.write(QStringLiteral("qualcuno ti colpisce %1<!>fuggi<%>bevi pozione<%>\r\n")
                        .arg(i)
                        .toLatin1());
    }
    Api api(dir.path());
    QListWidget list;
    QElapsedTimer t;
    double best[3] = {1e9, 1e9, 1e9};
    for (int run = 0; run < 5; ++run) {
        t.start();
        LoadTriggers(api, &list);
        best[0] = qMin(best[0], t.nsecsElapsed() / 1e6);
        t.start();
        SaveTriggers(api);
        best[1] = qMin(best[1], t.nsecsElapsed() / 1e6);
        t.start();
        { frmTrigger editor(api); }
        best[2] = qMin(best[2], t.nsecsElapsed() / 1e6);
    }
    std::printf("lines %d, count %d\n", lines, int(api.TriggerCount()));
    std::printf("LoadTriggers into a list: %.1f ms (best of 5)\n", best[0]);
    std::printf("SaveTriggers (atomic):    %.1f ms\n", best[1]);
    std::printf("open frmTrigger:          %.1f ms\n", best[2]);
    return 0;
}
