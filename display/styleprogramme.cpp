#include "display/styleprogramme.h"

#include "display/icones.h"

#include <QApplication>
#include <QStyleFactory>

void TStyleProgramme::Installe() {
    // The application owns the style it is given; the wrapper owns the one it wraps.
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new TStyleProgramme(base));
}

QIcon TStyleProgramme::standardIcon(StandardPixmap image, const QStyleOption* option,
                                    const QWidget* widget) const {
    switch (image) {
    case SP_ToolBarHorizontalExtensionButton:
        return icone(QStringLiteral("suite-h"));
    case SP_ToolBarVerticalExtensionButton:
        return icone(QStringLiteral("suite-v"));
    default:
        return QProxyStyle::standardIcon(image, option, widget);
    }
}
