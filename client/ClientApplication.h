#pragma once
// What the client sets on the application before its first window: Qt's
// own texts in Italian, the desktop entry, the icon, the style and the face
// the windows were designed with. The program and its benchmark both call
// it, so the benchmark measures the client players run.
class QApplication;

void setUpClientApplication(QApplication& app);
