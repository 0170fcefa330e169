#pragma once
// Puts text into a box the way a player pastes it: through the clipboard and
// the paste keys. (QTest::keyClicks can only type Latin-1 characters.)
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QTest>
#include <QWidget>

inline void paste(QWidget* box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keySequence(box, QKeySequence::Paste);
}
