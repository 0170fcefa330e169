#pragma once
// The desktop's own style, except for the arrow a menu bar or tool bar shows
// when its items overflow: that arrow is drawn here instead of read from a
// picture file. Reading any picture file makes Qt load every image plugin
// (and the JPEG library) to ask each whether it knows the format: about a
// quarter of a megabyte for a 16-pixel arrow, paid at start by every window
// with a menu bar.
#include <QProxyStyle>

class ClientStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
