#pragma once
// The program-wide module: the program folder and the trigger and alias
// tables that trigger firing, alias expansion and the editors share. One
// instance lives as long as the main window; windows receive a reference.
#include "automation/PairTable.h"

#include <QString>

struct Api {
    explicit Api(const QString& folder) : programFolder(folder) {}

    QString programFolder; // the player's folder (a temporary one in tests)
    PairTable TriggerList;
    PairTable AliasList;

    qint32 TriggerCount() const { return TriggerList.count; }
    qint32 AliasCount() const { return AliasList.count; }

    QString pathOf(const QString& fileName) const { return programFolder + '/' + fileName; }
};
